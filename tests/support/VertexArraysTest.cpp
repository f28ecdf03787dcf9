#include "support/data/ObjectModule.h"
#include "support/data/VertexArrays.h"
#include "support/memory/MemoryPool.h"
#include "support/memory/MemoryPoolTesting.h"
#include "tests/support/ObjectBuilder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Loads a hand-built object and makes its arrays; releases everything at the end.
struct Arrays {
    std::vector<std::uint8_t> data;
    PackedDataDescriptor descriptor{};
    VertexArrayObject record{};
    std::uint8_t module = 0;
    Vector3* vertices = nullptr;
    Vector3* normals = nullptr;

    Arrays(const ObjectBuilder& builder, float scale) : data(builder.bytes()), descriptor(StoredDescriptor(data))
    {
        module = ModuleCreate("arrays");
        EXPECT_EQ(ObjectLoadVA(module, &record, &descriptor), 1);
        vertices = ObjectMakeVertexArray(&record, scale);
        normals = ObjectMakeNormalArray(&record, vertices);
    }
    ~Arrays()
    {
        MemoryFree(normals);
        MemoryFree(vertices);
        ModuleDelete(module);
    }
};

void ExpectVector(const Vector3& v, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

TEST(VertexArraysTest, ScaleOnlyMultiplies)
{
    ObjectBuilder b;
    b.vertices = {{100, 25, -37}, {87, 0, 0}, {0, 0, 1}};
    b.colouredTriangles = {{0, 1, 2}};
    Arrays a(b, 0.1f);
    EXPECT_EQ(a.vertices[0].x, 10.0f);
    EXPECT_EQ(a.vertices[0].y, 2.5f);
    EXPECT_EQ(a.vertices[0].z, -37.0f * 0.1f);
    EXPECT_EQ(a.vertices[1].x, 87.0f * 0.1f);

    Arrays zero(b, 0.0f);
    for (int k = 0; k < 3; ++k) {
        ExpectVector(zero.vertices[k], 0, 0, 0);
        ExpectVector(zero.normals[k], 0, 0, 0);
    }
}

TEST(VertexArraysTest, FlatSquareFacesPlusZ)
{
    ObjectBuilder b;
    b.vertices = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, {5, 5, 5}};
    b.colouredTriangles = {{0, 1, 2}, {0, 2, 3}};
    Arrays a(b, 1.0f);
    for (int k = 0; k < 4; ++k)
        ExpectVector(a.normals[k], 0, 0, 1);
    ExpectVector(a.normals[4], 0, 0, 0); // used by no triangle
}

TEST(VertexArraysTest, RightAngleVertexAveragesByArea)
{
    // Two faces of equal area meeting at the vertex 0: one facing +x, one facing +z.
    ObjectBuilder b;
    b.vertices = {{0, 0, 0}, {0, 4, 0}, {0, 0, -4}, {4, 0, 0}};
    b.colouredTriangles = {{0, 2, 1}, {0, 3, 1}};
    Arrays a(b, 1.0f);
    const float h = 1.0f / std::sqrt(2.0f);
    ExpectVector(a.normals[0], h, 0, h);
    ExpectVector(a.normals[2], 1, 0, 0);
    ExpectVector(a.normals[3], 0, 0, 1);
}

TEST(VertexArraysTest, TexturedTrianglesCountToo)
{
    ObjectBuilder b;
    b.vertices = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {0, 0, 10}};
    b.texturedTriangles = {{0, 1, 2}, {0, 2, 3}};
    Arrays a(b, 1.0f);
    ExpectVector(a.normals[1], 0, 0, 1);
    ExpectVector(a.normals[3], 1, 0, 0);
}

TEST(VertexArraysTest, EmptyObjectAndFailures)
{
    ObjectBuilder empty;
    Arrays a(empty, 0.1f);
    EXPECT_NE(a.vertices, nullptr);
    EXPECT_NE(a.normals, nullptr);
    EXPECT_EQ(ObjectMakeVertexArray(nullptr, 1.0f), nullptr);
    EXPECT_EQ(ObjectMakeNormalArray(&a.record, nullptr), nullptr);

    const std::size_t blocks = MemoryLiveBlockCount();
    MemorySetFailAfter(0);
    EXPECT_EQ(ObjectMakeVertexArray(&a.record, 1.0f), nullptr);
    EXPECT_EQ(ObjectMakeNormalArray(&a.record, a.vertices), nullptr);
    MemorySetFailAfter(-1);
    EXPECT_EQ(MemoryLiveBlockCount(), blocks);
}

} // namespace

// Vertex and normal arrays of hand-built objects: scaling, area-weighted normals over both kinds of triangle,
// unused vertices and degenerate faces. Failed allocations are covered by the view's start (FrameLoopTest).
#include "support/data/ObjectModule.h"
#include "support/data/VertexArrays.h"
#include "support/memory/MemoryPool.h"
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

#define EXPECT_VECTOR(v, ex, ey, ez)                                                                                   \
    do {                                                                                                               \
        EXPECT_FLOAT_EQ((v).x, ex);                                                                                    \
        EXPECT_FLOAT_EQ((v).y, ey);                                                                                    \
        EXPECT_FLOAT_EQ((v).z, ez);                                                                                    \
    } while (0)

TEST(VertexArraysTest, ScaledVerticesAndAreaWeightedNormals)
{
    // Two faces of equal area meet at vertex 0, one coloured facing +x, one textured facing +z; vertex 4 is unused.
    ObjectBuilder b;
    b.vertices = {{0, 0, 0}, {0, 40, 0}, {0, 0, -40}, {40, 0, 0}, {100, 25, -37}};
    b.colouredTriangles = {{0, 2, 1}};
    b.texturedTriangles = {{0, 3, 1}};
    Arrays a(b, 0.1f);
    EXPECT_VECTOR(a.vertices[4], 10.0f, 2.5f, -37.0f * 0.1f);
    const float h = 1.0f / std::sqrt(2.0f);
    EXPECT_VECTOR(a.normals[0], h, 0, h);
    EXPECT_VECTOR(a.normals[2], 1, 0, 0);
    EXPECT_VECTOR(a.normals[3], 0, 0, 1);
    EXPECT_VECTOR(a.normals[4], 0, 0, 0);

    Arrays zero(b, 0.0f); // degenerate faces give zero normals, not NaN
    for (int k = 0; k < 5; ++k)
        EXPECT_VECTOR(zero.normals[k], 0, 0, 0);
}

} // namespace

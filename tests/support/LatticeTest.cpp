// The embedded lattice proves its description: counts, layout, coordinates, a closed and consistently wound
// surface (open only at the joints), faces pointing out of the solid, unit vertex normals.
#include "support/data/EmbeddedObject.h"
#include "support/data/ObjectModule.h"
#include "support/data/VertexArrays.h"
#include "support/memory/MemoryPool.h"
#include "support/memory/MemoryPoolTesting.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <set>

namespace {

constexpr int kCoordinates[8] = {-100, -87, -37, -25, 25, 37, 87, 100};

struct LatticeTest : ::testing::Test {
    VertexArrayObject record{};
    std::uint8_t module = 0;

    void SetUp() override
    {
        module = ModuleCreate("lattice test");
        ASSERT_NE(module, 0);
        ASSERT_EQ(ObjectLoadEmbedded(module, &record), 1);
    }
    void TearDown() override { ModuleDelete(module); }

    std::array<int, 3> vertex(int k) const
    {
        return {ObjectVertexCoordinate(record, k, 0), ObjectVertexCoordinate(record, k, 1), ObjectVertexCoordinate(record, k, 2)};
    }
    int triangles() const { return record.Header->nColTrigs(); }
};

// Inside the solid lattice: within a bar (two coordinates inside bands) or a joint (all three).
bool InsideSolid(double x, double y, double z)
{
    auto inBand = [](double c) {
        for (int b = 0; b < 4; ++b)
            if (c > kCoordinates[2 * b] && c < kCoordinates[2 * b + 1])
                return true;
        return false;
    };
    const int bands = int(inBand(x)) + int(inBand(y)) + int(inBand(z));
    const bool withinExtent = std::abs(x) < 100 && std::abs(y) < 100 && std::abs(z) < 100;
    return withinExtent && bands >= 2;
}

TEST_F(LatticeTest, HeaderAndRegions)
{
    const ObjectHeader& h = *record.Header;
    EXPECT_EQ(h.nVertices(), 504);
    EXPECT_EQ(h.nTxtTrigs(), 0);
    EXPECT_EQ(h.nColTrigs(), 1152);
    EXPECT_EQ(h.nColTags(), 0);
    EXPECT_EQ(h.extentX(), 200);
    EXPECT_EQ(h.extentY(), 200);
    EXPECT_EQ(h.extentZ(), 200);
    const auto* data = reinterpret_cast<const std::uint8_t*>(record.Header);
    EXPECT_EQ(record.SVertexArray - data, 14);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(record.offTxtTrigs) - data, 3038);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(record.offColTrigs) - data, 3038);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(record.offColTags) - data, 30686);
    EXPECT_EQ(record.nTextures - data, 30686);
    EXPECT_EQ(inkspin::ReadBES32(record.nTextures), 0);
    EXPECT_EQ(record.offTxtData - data, 30690);
    EXPECT_EQ(gEmbeddedObjectDescriptor.magic, kPackedMagicLZO1);
    EXPECT_EQ(gEmbeddedObjectDescriptor.packedSize, EmbeddedObjectBlobSize());
    EXPECT_EQ(gEmbeddedObjectDescriptor.unpackedSize, 30690u);
}

TEST_F(LatticeTest, VerticesAreDistinctUsedAndOnTheGrid)
{
    std::set<std::array<int, 3>> positions;
    std::array<std::set<int>, 3> values;
    for (int k = 0; k < 504; ++k) {
        positions.insert(vertex(k));
        for (int axis = 0; axis < 3; ++axis)
            values[axis].insert(vertex(k)[axis]);
    }
    EXPECT_EQ(positions.size(), 504u);
    const std::set<int> expected(std::begin(kCoordinates), std::end(kCoordinates));
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_EQ(values[axis], expected);

    std::set<int> used;
    for (int t = 0; t < triangles(); ++t) {
        const ColouredTriangle& tri = record.offColTrigs[t];
        EXPECT_TRUE(tri.i0() != tri.i1() && tri.i1() != tri.i2() && tri.i0() != tri.i2()) << "triangle " << t;
        used.insert({tri.i0(), tri.i1(), tri.i2()});
        EXPECT_FLOAT_EQ(tri.colour(0), 1.0f);
        EXPECT_FLOAT_EQ(tri.colour(1), 0.85f);
        EXPECT_FLOAT_EQ(tri.colour(2), 0.71f);
    }
    EXPECT_EQ(used.size(), 504u);
}

TEST_F(LatticeTest, SurfaceIsConsistentlyWoundAndOpenOnlyAtJoints)
{
    std::map<std::pair<int, int>, int> directed;
    for (int t = 0; t < triangles(); ++t) {
        const ColouredTriangle& tri = record.offColTrigs[t];
        for (int c = 0; c < 3; ++c)
            ++directed[{tri.index(c), tri.index((c + 1) % 3)}];
    }
    int borderEdges = 0;
    std::set<std::pair<int, int>> seen;
    for (const auto& [edge, count] : directed) {
        EXPECT_EQ(count, 1) << "an edge run twice in the same direction";
        const auto reversed = std::make_pair(edge.second, edge.first);
        const auto key = std::minmax(edge.first, edge.second);
        if (!seen.insert(key).second)
            continue;
        if (directed.count(reversed) == 0)
            ++borderEdges;
    }
    EXPECT_EQ(borderEdges, 288);
}

TEST_F(LatticeTest, FacesPointOutOfTheSolidAndTrianglesPairIntoQuads)
{
    std::map<std::array<int, 3>, int> centres;
    for (int t = 0; t < triangles(); ++t) {
        const ColouredTriangle& tri = record.offColTrigs[t];
        const auto a = vertex(tri.i0()), b = vertex(tri.i1()), c = vertex(tri.i2());
        const double e[3] = {double(b[0] - a[0]), double(b[1] - a[1]), double(b[2] - a[2])};
        const double f[3] = {double(c[0] - a[0]), double(c[1] - a[1]), double(c[2] - a[2])};
        double n[3] = {e[1] * f[2] - e[2] * f[1], e[2] * f[0] - e[0] * f[2], e[0] * f[1] - e[1] * f[0]};
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        ASSERT_GT(length, 0.0);
        double centroid[3];
        for (int i = 0; i < 3; ++i) {
            n[i] /= length;
            centroid[i] = (a[i] + b[i] + c[i]) / 3.0;
        }
        EXPECT_TRUE(InsideSolid(centroid[0] - 0.5 * n[0], centroid[1] - 0.5 * n[1], centroid[2] - 0.5 * n[2])) << t;
        EXPECT_FALSE(InsideSolid(centroid[0] + 0.5 * n[0], centroid[1] + 0.5 * n[1], centroid[2] + 0.5 * n[2])) << t;
        ++centres[{tri.centre(0), tri.centre(1), tri.centre(2)}];
    }
    EXPECT_EQ(centres.size(), 576u);
    for (const auto& [centre, count] : centres)
        EXPECT_EQ(count, 2);
}

TEST_F(LatticeTest, VertexNormalsAreUnitLength)
{
    Vector3* vertices = ObjectMakeVertexArray(&record, 0.1f);
    Vector3* normals = ObjectMakeNormalArray(&record, vertices);
    ASSERT_NE(normals, nullptr);
    for (int k = 0; k < 504; ++k) {
        const Vector3& n = normals[k];
        EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0f, 1e-6f) << "vertex " << k;
    }
    EXPECT_EQ(vertices[0].x, static_cast<float>(vertex(0)[0]) * 0.1f);
    MemoryFree(normals);
    MemoryFree(vertices);
}

} // namespace

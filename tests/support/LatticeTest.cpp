// The embedded lattice as the saver loads it: its counts and layout, and unit normals at every vertex. What it looks
// like is checked by the golden frames; that the generator still makes these bytes, by lattice_generator_reproduces_resource.
#include "support/data/EmbeddedObject.h"
#include "support/data/ObjectModule.h"
#include "support/data/VertexArrays.h"
#include "support/memory/MemoryPool.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(LatticeTest, HeaderRegionsAndNormals)
{
    const std::uint8_t module = ModuleCreate("lattice test");
    VertexArrayObject record{};
    ASSERT_EQ(ObjectLoadEmbedded(module, &record), 1);
    const ObjectHeader& h = *record.Header;
    EXPECT_EQ(h.nVertices(), 504);
    EXPECT_EQ(h.nTxtTrigs(), 0);
    EXPECT_EQ(h.nColTrigs(), 1152);
    EXPECT_EQ(h.nColTags(), 0);
    EXPECT_EQ(h.extentX() + h.extentY() + h.extentZ(), 600);
    const auto* data = reinterpret_cast<const std::uint8_t*>(record.Header);
    EXPECT_EQ(record.SVertexArray - data, 14);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(record.offColTrigs) - data, 3038);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(record.offColTags) - data, 30686);
    EXPECT_EQ(record.offTxtData - data, 30690);
    EXPECT_EQ(gEmbeddedObjectDescriptor.packedSize, EmbeddedObjectBlobSize());
    EXPECT_EQ(gEmbeddedObjectDescriptor.unpackedSize, 30690u);

    Vector3* vertices = ObjectMakeVertexArray(&record, 0.1f);
    Vector3* normals = ObjectMakeNormalArray(&record, vertices);
    ASSERT_NE(normals, nullptr);
    for (int k = 0; k < 504; ++k) {
        const Vector3& n = normals[k];
        EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0f, 1e-6f) << "vertex " << k;
    }
    EXPECT_EQ(vertices[0].x, static_cast<float>(ObjectVertexCoordinate(record, 0, 0)) * 0.1f);
    MemoryFree(normals);
    MemoryFree(vertices);
    ModuleDelete(module);
}

} // namespace

#include "support/data/ObjectModule.h"
#include "support/memory/MemoryPool.h"
#include "support/memory/MemoryPoolTesting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ObjectModuleTest : ::testing::Test {
    const std::size_t blocks = MemoryLiveBlockCount();
    void TearDown() override
    {
        MemorySetFailAfter(-1);
        for (std::uint32_t id = 1; id <= 255; ++id)
            ModuleDelete(id);
        EXPECT_EQ(MemoryLiveBlockCount(), blocks);
    }
};

TEST_F(ObjectModuleTest, IdsGrowToTheLimitAndRestartOnlyWhenAllAreGone)
{
    const std::string exact(254, 'x'), longer(400, 'y');
    EXPECT_EQ(ModuleCreate(exact.c_str()), 1);
    EXPECT_EQ(ModuleCreate(longer.c_str()), 2);
    EXPECT_EQ(ModuleName(1), exact);
    EXPECT_EQ(ModuleName(2), longer.substr(0, 254));
    EXPECT_EQ(ModuleName(77), nullptr);
    ModuleDelete(2);
    ModuleDelete(77); // unknown id: no effect
    EXPECT_EQ(ModuleCreate("c"), 2) << "one above the highest live id";
    EXPECT_EQ(ModuleCreate("d"), 3);
    ModuleDelete(2);
    EXPECT_EQ(ModuleCreate("e"), 4) << "ids below the highest are not reused";
    for (int i = 5; i <= 255; ++i)
        ASSERT_EQ(ModuleCreate("m"), i);
    for (std::uint32_t id = 3; id < 255; ++id)
        ModuleDelete(id);
    const std::size_t live = MemoryLiveBlockCount();
    EXPECT_EQ(ModuleCreate("full"), 0) << "modules 1 and 255 alive";
    ModuleDelete(1);
    EXPECT_EQ(ModuleCreate("full"), 0) << "module 255 alone";
    EXPECT_EQ(MemoryLiveBlockCount(), live - 1) << "a refused create allocates nothing";
    ModuleDelete(255);
    EXPECT_EQ(ModuleCreate("d"), 1);
}

TEST_F(ObjectModuleTest, OneDeleteReleasesEveryObjectAndFailuresReleaseEverything)
{
    VertexArrayObject first{}, second{};
    EXPECT_EQ(ObjectLoadEmbedded(0, &first), 0);
    EXPECT_EQ(ObjectLoadEmbedded(9, &first), 0) << "no module has id 9";
    const std::uint8_t module = ModuleCreate("two objects");
    ASSERT_EQ(ObjectLoadEmbedded(module, &first), 1);
    ASSERT_EQ(ObjectLoadEmbedded(module, &second), 1);
    EXPECT_NE(first.Header, second.Header);
    EXPECT_EQ(MemoryLiveBlockCount(), blocks + 5); // module, two entries, two data blocks
    ModuleDelete(module);
    EXPECT_EQ(MemoryLiveBlockCount(), blocks);
    MemorySetFailAfter(0);
    EXPECT_EQ(ModuleCreate("out of memory"), 0);
    EXPECT_EQ(ModuleCount(), 0u);
}

} // namespace

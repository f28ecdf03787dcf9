#include "support/data/ObjectModule.h"
#include "support/memory/MemoryPool.h"
#include "support/memory/MemoryPoolTesting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ObjectModuleTest : ::testing::Test {
    void SetUp() override { ASSERT_EQ(ModuleCount(), 0u) << "an earlier test left a module behind"; }
    void TearDown() override
    {
        MemorySetFailAfter(-1);
        for (std::uint32_t id = 1; id <= 255; ++id)
            ModuleDelete(id);
    }
};

TEST_F(ObjectModuleTest, IdsGrowAndRestartOnlyWhenAllAreGone)
{
    EXPECT_EQ(ModuleCreate("a"), 1);
    EXPECT_EQ(ModuleCreate("b"), 2);
    ModuleDelete(1);
    EXPECT_EQ(ModuleCreate("c"), 3) << "ids below the highest are not reused";
    ModuleDelete(2);
    ModuleDelete(3);
    ModuleDelete(3); // unknown id: no effect
    EXPECT_EQ(ModuleCount(), 0u);
    EXPECT_EQ(ModuleCreate("d"), 1);
}

TEST_F(ObjectModuleTest, NoIdPast255)
{
    for (int i = 1; i <= 255; ++i)
        ASSERT_EQ(ModuleCreate("m"), i);
    for (std::uint32_t id = 2; id < 255; ++id)
        ModuleDelete(id);
    const std::size_t blocks = MemoryLiveBlockCount();
    EXPECT_EQ(ModuleCreate("full"), 0) << "modules 1 and 255 alive";
    ModuleDelete(1);
    EXPECT_EQ(ModuleCreate("full"), 0) << "module 255 alone";
    EXPECT_EQ(MemoryLiveBlockCount(), blocks - 1) << "a refused create allocates nothing";
}

TEST_F(ObjectModuleTest, NamesAreKeptUpTo254Characters)
{
    const std::string exact(254, 'x');
    const std::string longer(400, 'y');
    const std::uint8_t a = ModuleCreate(exact.c_str());
    const std::uint8_t b = ModuleCreate(longer.c_str());
    EXPECT_EQ(std::string(ModuleName(a)), exact);
    EXPECT_EQ(std::string(ModuleName(b)), longer.substr(0, 254));
    EXPECT_EQ(ModuleName(77), nullptr);
}

TEST_F(ObjectModuleTest, LoadFailuresReleaseEverything)
{
    VertexArrayObject record{};
    const std::size_t blocks = MemoryLiveBlockCount();
    EXPECT_EQ(ObjectLoadEmbedded(0, &record), 0);
    EXPECT_EQ(ObjectLoadEmbedded(9, &record), 0) << "no module has id 9";
    EXPECT_EQ(MemoryLiveBlockCount(), blocks);
    MemorySetFailAfter(0);
    EXPECT_EQ(ModuleCreate("out of memory"), 0);
    EXPECT_EQ(ModuleCount(), 0u);
}

TEST_F(ObjectModuleTest, OneDeleteReleasesEveryObjectOfTheModule)
{
    const std::size_t blocks = MemoryLiveBlockCount();
    const std::uint8_t module = ModuleCreate("two objects");
    VertexArrayObject first{}, second{};
    ASSERT_EQ(ObjectLoadEmbedded(module, &first), 1);
    ASSERT_EQ(ObjectLoadEmbedded(module, &second), 1);
    EXPECT_NE(first.Header, second.Header);
    EXPECT_EQ(MemoryLiveBlockCount(), blocks + 5); // module, two entries, two data blocks
    ModuleDelete(module);
    EXPECT_EQ(MemoryLiveBlockCount(), blocks);
}

} // namespace

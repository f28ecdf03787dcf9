// The shade coordinate of a normal under the frame's rotation.
#include "tests/common/TestEnvironment.h"

namespace {

class LightingTest : public ::testing::Test {
protected:
    InkspinView view;
    void SetUp() override
    {
        for (int i = 0; i < 16; ++i)
            view.gModelView.v[i] = (i % 5 == 0) ? 1.0f : 0.0f; // identity
    }
};

TEST_F(LightingTest, IdentityGivesTheClampedZ)
{
    Vector3 facing = {0, 0, 1}, away = {0, 0, -1}, side = {1, 0, 0}, slanted = {0, 3, 4}, zero = {0, 0, 0};
    EXPECT_EQ(view.doCalcShadow(&facing), 1.0f);
    EXPECT_EQ(view.doCalcShadow(&away), 0.0f);
    EXPECT_EQ(view.doCalcShadow(&side), 0.0f);
    EXPECT_FLOAT_EQ(view.doCalcShadow(&slanted), 0.8f);
    EXPECT_FLOAT_EQ(slanted.y, 0.6f) << "the stored normal stays normalised";
    EXPECT_FLOAT_EQ(slanted.z, 0.8f);
    EXPECT_EQ(view.doCalcShadow(&zero), 0.0f);
    EXPECT_EQ(zero.x, 0.0f);
}

TEST_F(LightingTest, RotationTurnsNormalsAwayToExactlyZero)
{
    // A half turn about x: +z faces away from the eye.
    view.gModelView.v[5] = -1.0f;
    view.gModelView.v[10] = -1.0f;
    Vector3 normal = {0, 0.6f, 0.8f};
    EXPECT_EQ(view.doCalcShadow(&normal), 0.0f);
    Vector3 down = {0, 0, -2};
    EXPECT_EQ(view.doLighting(&down), 2.0f) << "only doCalcShadow normalises";
}

} // namespace

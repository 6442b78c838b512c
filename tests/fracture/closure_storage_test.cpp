#include "fracture/closure_storage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "fracture/section_area.h"

namespace quenlor {
namespace {

class ClosureStorageTest : public ::testing::Test {
protected:
    std::unique_ptr<ModelState> s = std::make_unique<ModelState>();
    void SetUp() override {
        DerivedGroups& d = s->derived;
        d.dimensionlessFractureStorage = 0.04;
        d.dimensionlessWellboreStorage = 0.002;
        d.scaledFractureStorage = 0.05;
        d.equilibriumPressureRatio1 = 0.5;
        d.equilibriumPressureRatio2 = 0.6;
        d.stressContrastRatio = 0.8;
        d.dimensionlessStressContrast = 2.0;
        d.dimensionlessClosureTime = 1.0;
        d.effectiveShrinkageDelay = 0.4;
        s->control.injectionDuration = 0.5;
        s->control.fractureStorageFactor = 1.5;
        s->control.closedFractureCompliance = -20.0;
        s->control.closureWidthFraction = 0.5;
    }
    double openValue() const { return 0.002 * 1.5 + 0.04; }
};

TEST_F(ClosureStorageTest, ByTimeDropsTheFractureAtTheEndOfInjection) {
    EXPECT_EQ(closureStorageByTime(*s, 0.2), 0.04);
    EXPECT_EQ(closureStorageByTime(*s, 0.5 + 0.5e-6), 0.04);
    EXPECT_EQ(closureStorageByTime(*s, 0.5 + 2e-6), 0.0);
    EXPECT_EQ(closureStorageByTime(*s, 0.5 + 1e-6), 0.0);  // the margin is 1e-6 in single precision
}

TEST_F(ClosureStorageTest, BeforeClosureReturnsTheOpenValueAndRecordsThePeak) {
    s->march.currentTime = 0.7;
    s->control.closureReferencePressure = 3.0;
    EXPECT_EQ(closureStorageByPressure(*s, 5.0), openValue());
    EXPECT_EQ(s->control.closureReferencePressure, 5.0);
    EXPECT_EQ(closureStorageByPressure(*s, 2.0), openValue());
    EXPECT_EQ(s->control.closureReferencePressure, 5.0);
}

TEST_F(ClosureStorageTest, JustAfterClosureKeepsTheOpenVolumeAndCompliance) {
    s->march.currentTime = 1.5;
    s->control.closureReferencePressure = 5.0;
    // pw below the reference: the net pressure is still E2, so both ratios are 1.
    EXPECT_NEAR(closureStorageByPressure(*s, 4.0), 0.002 * 1.5 + 0.05, 1e-6);
    EXPECT_EQ(s->control.closureReferencePressure, 5.0);
}

TEST_F(ClosureStorageTest, ClosedFractureValueAndItsLimits) {
    s->march.currentTime = 1.5;
    s->control.closureReferencePressure = 1.0;
    const double closedPw = 1.0 + 0.6 * 2.0 + 0.1;  // net pressure below zero
    s->control.closedFractureCompliance = 0.0;
    EXPECT_EQ(closureStorageByPressure(*s, closedPw), 0.0);
    s->control.closedFractureCompliance = -1e-11;
    EXPECT_EQ(closureStorageByPressure(*s, closedPw), -1e-11);
    // -5: the area terms at the floor net pressure 0.001, no ramp.
    s->control.closedFractureCompliance = -5.0;
    const double h = static_cast<double>(1e-6f);
    auto state = std::make_unique<ModelState>(*s);
    const double a0 = fractureSectionArea(*state, 0.6), a = fractureSectionArea(*state, 0.001);
    const double d0 = fractureSectionArea(*state, 0.6 + h) - fractureSectionArea(*state, 0.6 - h);
    const double d = fractureSectionArea(*state, 0.001 + h) - fractureSectionArea(*state, 0.001 - h);
    EXPECT_NEAR(closureStorageByPressure(*s, closedPw), a / a0 * 0.002 * 1.5 + d / d0 * 0.05, 1e-6);
}

TEST(ShrinkageRamp, FallsFromOneToAboutZeroOverTheDelay) {
    const double delta = 0.4;
    const double norm = 1.0 + 0.1 * std::log(1.0 + std::exp(-10.0));
    struct Case {
        double s, expected;
    };
    const Case cases[] = {
        {0.0, 1.0},
        {-delta / 2, (0.5 + 0.1 * std::log(1.0 + std::exp(-5.0))) / norm},
        {-delta, 0.1 * std::log(2.0) / norm},
        {-2 * delta, 0.1 * std::log(1.0 + std::exp(-10.0)) / norm},
    };
    // The smoothing width is 0.1 in single precision: agreement to 1e-8.
    for (const Case& c : cases) EXPECT_NEAR(applyShrinkageRamp(1.0, c.s, delta), c.expected, 1e-8) << c.s;
    EXPECT_NEAR(applyShrinkageRamp(3.0, -delta / 2, delta), 3.0 * cases[1].expected, 3e-8);
    EXPECT_TRUE(std::isfinite(applyShrinkageRamp(1.0, -1e6, delta)));
}

TEST_F(ClosureStorageTest, RampAppliesBelowTheWidthFractionOnly) {
    s->march.currentTime = 1.5;
    s->control.closureReferencePressure = 1.0;
    // Pn = 0.6 - (pw - 1)/2; the ramp starts at Pd = 0.5 * 0.6 = 0.3.
    const double above = 1.0 + 2.0 * (0.6 - 0.35);  // Pn = 0.35 > Pd
    const double below = 1.0 + 2.0 * (0.6 - 0.2);   // Pn = 0.2 < Pd
    const double withRampAbove = closureStorageByPressure(*s, above);
    const double withRampBelow = closureStorageByPressure(*s, below);
    s->control.closedFractureCompliance = -5.0;  // no ramp
    EXPECT_EQ(closureStorageByPressure(*s, above), withRampAbove);
    const double plainBelow = closureStorageByPressure(*s, below);
    const double sRamp = (0.2 - 0.3) * 2.0;
    EXPECT_NEAR(withRampBelow, applyShrinkageRamp(plainBelow, sRamp, 0.4), 1e-15);
    EXPECT_LT(withRampBelow, plainBelow);
}

}  // namespace
}  // namespace quenlor

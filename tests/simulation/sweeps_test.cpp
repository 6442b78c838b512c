#include "simulation/sweeps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace quenlor {
namespace {

// Sums of a sweep whose outputs follow known laws exactly.
SweepSums sumsOf(std::initializer_list<double> times, double (*pressure)(double), double (*derivative)(double)) {
    SweepSums s{};
    for (double t : times) {
        const double lt = std::log(t);
        s.st += lt;
        s.stt += lt * lt;
        s.s1 += std::log(pressure(t));
        s.s1t += std::log(pressure(t)) * lt;
        s.s2 += std::log(pressure(t));
        s.s2t += std::log(pressure(t)) * lt;
        s.s3 += std::log(std::max(pressure(t) * 0.0, 1e-30));  // a zero output enters as ln 1e-30
        s.s3t += std::log(1e-30) * lt;
        s.sd += derivative(t);
        s.sdt += derivative(t) * lt;
        ++s.points;
    }
    return s;
}

TEST(SweepFit, RecoversExactPowerLawsAndLines) {
    const SweepSums s = sumsOf({0.5, 1.0, 2.0, 3.0, 7.0}, [](double t) { return 2.0 * std::sqrt(t); },
                               [](double t) { return 1.0 + 3.0 * std::log(t); });
    const SweepFit f = fitSweep(s);
    EXPECT_NEAR(f.pressureScale, 2.0, 1e-13);
    EXPECT_NEAR(f.pressureExponent, 0.5, 1e-13);
    EXPECT_NEAR(f.storageDerivativeIntercept, 1.0, 1e-13);
    EXPECT_NEAR(f.storageDerivativeSlope, 3.0, 1e-13);
    // A floored output is a constant ln 1e-30: scale 1e-30, exponent 0.
    EXPECT_NEAR(f.derivativeExponent, 0.0, 1e-12);
    EXPECT_NEAR(std::log(f.derivativeScale), std::log(1e-30), 1e-10);
}

class SweepGridTest : public ::testing::Test {
protected:
    std::unique_ptr<ModelState> s = std::make_unique<ModelState>();
    void SetUp() override {
        s->laplace = {1.0, 100.0, 0.0, 0.0, 1.15};
        s->control.stehfestTerms = 8;
        s->derived.dimensionlessFractureStorage = 0.01;
    }
};

TEST_F(SweepGridTest, EqualStepsRunFromStartToEndThroughTheClock) {
    s->control.timeStepCount = 2;
    const SweepSums sums = calibrationSweep(*s, 1.0, 3.0, true, true);
    EXPECT_EQ(sums.points, 3);
    EXPECT_NEAR(sums.st, std::log(6.0), 1e-15);  // ln 1 + ln 2 + ln 3
    EXPECT_EQ(s->march.currentTime, 3.0);
    // The private clock leaves the simulation clock alone.
    s->march.currentTime = 0.25;
    calibrationSweep(*s, 1.0, 3.0, true, false);
    EXPECT_EQ(s->march.currentTime, 0.25);
}

TEST_F(SweepGridTest, GeometricStepsMultiply) {
    s->control.timeStepCount = 3;
    const SweepSums sums = calibrationSweep(*s, 1.0, 8.0, false, true);
    EXPECT_EQ(sums.points, 4);
    EXPECT_NEAR(sums.st, 6.0 * std::log(2.0), 1e-14);  // 1, 2, 4, 8
    EXPECT_NEAR(s->march.currentTime, 8.0, 1e-14);
}

}  // namespace
}  // namespace quenlor

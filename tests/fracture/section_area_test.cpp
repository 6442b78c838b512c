#include "fracture/section_area.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "fracture/tip_solvers.h"

namespace quenlor {
namespace {

const double kPi = std::acos(-1.0);

std::unique_ptr<ModelState> stateWith(double ratio, double equilibrium1) {
    auto s = std::make_unique<ModelState>();
    s->derived.stressContrastRatio = ratio;
    s->derived.equilibriumPressureRatio1 = equilibrium1;
    return s;
}

TEST(SectionArea, SymmetricFreeTipsMatchTheClosedFormOfTheStepOpenings) {
    // Equal contrasts at half their value: u1 = u2 = cos(pi/4), the
    // uniform term vanishes, and each barrier's step opening I1 - I2 is
    // (pi/2) u sqrt(1 - u^2), so the area is pi sqrt(1-u^2)/u / ... over m^2:
    // 2 (pi/2) u sqrt(1-u^2) / u^2 = pi.
    auto s = stateWith(1.0, 0.99);
    EXPECT_NEAR(fractureSectionArea(*s, 0.5), kPi, kPi * 2e-3);
}

TEST(SectionArea, ClosedFormHoldsForUnequalBarriers) {
    // Area = [pi/2 (pi pn - ratio acos u1 - acos u2) + (pi/2)(ratio u1 sqrt(1-u1^2) + u2 sqrt(1-u2^2))] / m^2.
    const double ratio = 0.5;
    auto s = stateWith(ratio, 0.9);
    for (double pn : {0.2, 0.35, 0.45}) {
        const TipPositions u = solveFreeTips(pn / ratio, ratio);
        const double m = (u.u1 + u.u2) / 2;
        const double closed = (kPi / 2 * (kPi * pn - ratio * std::acos(u.u1) - std::acos(u.u2)) +
                               kPi / 2 * (ratio * u.u1 * std::sqrt(1 - u.u1 * u.u1) + u.u2 * std::sqrt(1 - u.u2 * u.u2))) /
                              (m * m);
        EXPECT_NEAR(fractureSectionArea(*s, pn) / closed, 1.0, 3e-3) << pn;
    }
}

TEST(SectionArea, GrowsWithNetPressureOnBothBranches) {
    auto s = stateWith(0.5, 0.3);
    double previous = -1e300;
    // The free branch holds up to pn = (0.3 + 0.001) * 0.5, then tip 1 is pinned.
    for (double pn : {0.05, 0.1, 0.14, 0.15, 0.16, 0.2, 0.3, 0.5}) {
        const double a = fractureSectionArea(*s, pn);
        EXPECT_GT(a, previous) << pn;
        previous = a;
    }
    EXPECT_TRUE(s->pinnedTipRatioDerived);
    // Every integral ran with its limits inside the clamp.
    EXPECT_LE(std::fabs(s->kernel.kernelPosition), 0.999);
}

TEST(SectionArea, PinnedTipRatioIsKeptUntilTheNextRunClearsIt) {
    auto s = stateWith(0.5, 0.3);
    fractureSectionArea(*s, 0.4);
    const double r = s->pinnedTipRatio;
    const TipPositions t = solveFreeTips(0.3, 0.5);
    EXPECT_NEAR(r, (t.u1 + t.u2) / ((t.u2 - t.u1) + 2.0), 1e-15);
    s->derived.equilibriumPressureRatio1 = 0.2;
    fractureSectionArea(*s, 0.4);
    EXPECT_EQ(s->pinnedTipRatio, r);
    s->pinnedTipRatioDerived = false;  // as a new run does
    fractureSectionArea(*s, 0.4);
    EXPECT_NE(s->pinnedTipRatio, r);
}

}  // namespace
}  // namespace quenlor

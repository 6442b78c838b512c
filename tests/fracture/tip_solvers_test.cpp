#include "fracture/tip_solvers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quenlor {
namespace {

const double kPi = std::acos(-1.0);
constexpr double kNewton = 1e-6;

TEST(FreeTips, EqualContrastsAtHalfTheirValueStandAtCosPiOverFour) {
    const TipPositions u = solveFreeTips(0.5, 1.0);
    EXPECT_NEAR(u.u1, std::cos(kPi / 4), 10 * kNewton);
    EXPECT_NEAR(u.u2, std::cos(kPi / 4), 10 * kNewton);
}

TEST(FreeTips, SatisfyBothTipConditions) {
    for (double ratio : {0.2, 0.5, 0.8}) {
        for (double p : {0.3, 0.6, 0.9}) {  // contained: net pressure below S1
            const TipPositions u = solveFreeTips(p, ratio);
            // With S1 = ratio, S2 = 1 and net pressure P = ratio p:
            // pi P = ratio acos u1 + acos u2, and ratio sqrt(1-u1^2) = sqrt(1-u2^2).
            EXPECT_NEAR(ratio * std::acos(u.u1) + std::acos(u.u2), kPi * ratio * p, 1e-5) << ratio << " " << p;
            EXPECT_NEAR(std::sqrt(1 - u.u2 * u.u2), ratio * std::sqrt(1 - u.u1 * u.u1), 1e-5) << ratio << " " << p;
            EXPECT_GE(u.u2, u.u1);
        }
    }
}

TEST(FreeTips, VerySmallPressureStartsAtTheTopAndMayPassIt) {
    const TipPositions u = solveFreeTips(0.001, 0.5);
    EXPECT_EQ(u.u1, 1.0);  // clamped
    EXPECT_GE(u.u2, 1.0);
}

TEST(PinnedTip, HoldsTipOneAndBalancesTipTwo) {
    const double ratio = 0.5, r = 0.2;
    for (double p : {0.6, 0.9, 1.4}) {
        const TipPositions u = solvePinnedTip(p, ratio, r);
        // The pinning relation (1 + u2)/(1 - u1) = (1 + r)/(1 - r).
        EXPECT_NEAR((1 + u.u2) / (1 - u.u1), (1 + r) / (1 - r), 1e-9) << p;
        // Zero stress intensity at tip 2, over pi S1 with S2 = S1/ratio:
        // p = (acos u1 - sqrt(1-u1^2)) + (acos u2 + sqrt(1-u2^2))/ratio, all / pi.
        const double tip2 = ((std::acos(u.u1) - std::sqrt(1 - u.u1 * u.u1)) +
                             (std::acos(u.u2) + std::sqrt(1 - u.u2 * u.u2)) / ratio) / kPi;
        EXPECT_NEAR(tip2, p, 1e-5) << p;
    }
    // u2 falls as the pressure rises.
    EXPECT_GT(solvePinnedTip(0.6, ratio, r).u2, solvePinnedTip(1.4, ratio, r).u2);
}

}  // namespace
}  // namespace quenlor

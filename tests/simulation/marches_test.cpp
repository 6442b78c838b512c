#include "simulation/marches.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quenlor {
namespace {

TEST(TailHistory, ScalesTheFirstIntervalAndDifferencesAgainstThePreviousStep) {
    double memory = 0.0;
    EXPECT_NEAR(scaledTailHistory(0.3, 41, memory), 12.0, 1e-14);
    EXPECT_EQ(memory, 0.3);
    EXPECT_NEAR(scaledTailHistory(0.2, 42, memory), 7.7, 1e-14);
    EXPECT_EQ(memory, 0.2);
    // One interval or fewer: the term itself, memory untouched.
    EXPECT_EQ(scaledTailHistory(0.5, 2, memory), 0.5);
    EXPECT_EQ(memory, 0.2);
}

TEST(TailStart, ExtrapolatesTheThirdSlopeBack) {
    // Record linear in time with equal steps, p = 1 + 2 t at t = 1..6: the
    // slopes against ln t are 2 t_mid (9, 7, 5, 3 for the four intervals
    // before the new one), their changes all 2, the extrapolated slope
    // 2 * 1 + 5 = 7, the extrapolated point 7 / 5.5 + p(5); p(6) = p(5) + 2.
    double t[7], p[7];
    for (int i = 0; i <= 6; ++i) {
        t[i] = i;
        p[i] = 1.0 + 2.0 * i;
    }
    EXPECT_NEAR(tailStartCorrection(t, p, 6), 2.0 - 7.0 / 5.5, 1e-13);
}

}  // namespace
}  // namespace quenlor

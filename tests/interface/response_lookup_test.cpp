#include "interface/response_lookup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace quenlor {
namespace {

// A state whose table holds rows (t, f(t)) and whose conversions are the
// identity (rw = Xf, fracture height = thickness) unless a test changes them.
class LookupTest : public ::testing::Test {
protected:
    std::unique_ptr<ModelState> state = std::make_unique<ModelState>();

    void SetUp() override {
        state->layer.wellRadius = 1.0;
        state->parameters.halfLength = 1.0;
        state->parameters.height1 = 10.0;
        state->parameters.height2 = 10.0;
        state->layer.thickness = 20.0;
    }
    template <class F>
    void fill(std::initializer_list<double> times, F f) {
        state->table.count = 1;
        for (double t : times) appendRow(state->table, t, f(t));
    }
};

TEST_F(LookupTest, BeforeAnyRunEveryRequestIsZero) {
    EXPECT_EQ(lookupResponse(*state, 0.5), 0.0);
    EXPECT_EQ(lookupResponse(*state, 1e6), 0.0);
}

TEST_F(LookupTest, ParabolasAreReproducedInTimeAtOrBelowOneAndInLogTimeAbove) {
    const std::initializer_list<double> times = {0.1, 0.3, 0.6, 1.0, 2.0, 5.0, 9.0, 20.0};
    fill(times, [](double t) { return 1.0 + 2.0 * t + 3.0 * t * t; });
    for (double t : {0.2, 0.45, 0.8, 1.0}) EXPECT_NEAR(lookupResponse(*state, t), 1.0 + 2.0 * t + 3.0 * t * t, 1e-12) << t;
    fill(times, [](double t) { return 4.0 + std::log(t) + 0.5 * std::log(t) * std::log(t); });
    for (double t : {1.5, 2.5, 7.0, 15.0}) {
        const double l = std::log(t);
        EXPECT_NEAR(lookupResponse(*state, t), 4.0 + l + 0.5 * l * l, 1e-12) << t;
    }
    // A row time itself returns the row's value.
    EXPECT_DOUBLE_EQ(lookupResponse(*state, 5.0), state->table.value[7]);
}

TEST_F(LookupTest, BeyondTheLastRowHoldsThePreviousResult) {
    fill({0.5, 1.0, 2.0, 4.0}, [](double t) { return t; });
    const double held = lookupResponse(*state, 0.75);
    EXPECT_EQ(lookupResponse(*state, 4.5), held);
    EXPECT_EQ(lookupResponse(*state, NAN), held);
}

TEST_F(LookupTest, EarlyExtrapolationIsFlooredAtZeroOnlyAtOrBelowOne) {
    // Rows 2, 3, 4 on a line through (0.4, 0.1) with slope 1: at 0.05 the
    // extrapolation is negative and becomes 0.
    fill({0.4, 0.6, 0.8, 1.0}, [](double t) { return t - 0.3; });
    EXPECT_EQ(lookupResponse(*state, 0.05), 0.0);
    // Above 1 a negative interpolation is returned as it is.
    fill({2.0, 3.0, 4.0, 5.0}, [](double t) { return -std::log(t); });
    EXPECT_NEAR(lookupResponse(*state, 2.5), -std::log(2.5), 1e-12);
}

TEST_F(LookupTest, ConvertsTheHostTimeAndRescalesToTheThickness) {
    fill({0.5, 1.0, 2.0, 4.0}, [](double t) { return 1.0 + 0.0 * t; });
    state->layer.wellRadius = 1.0;
    state->parameters.halfLength = 100.0;
    state->layer.thickness = 40.0;  // fracture height 20: pressure doubles
    EXPECT_DOUBLE_EQ(lookupResponse(*state, 10000.0), 2.0);  // host 10000 -> 1
    state->layer.thickness = 15.0;  // fracture taller than the layer: unchanged
    EXPECT_DOUBLE_EQ(lookupResponse(*state, 10000.0), 1.0);
}

TEST_F(LookupTest, TablesWithFewerThanThreeRowsAfterTheOriginHoldTheResult) {
    fill({0.5, 1.0, 2.0, 4.0}, [](double t) { return t; });
    const double held = lookupResponse(*state, 1.5);
    fill({0.5, 1.0}, [](double t) { return 100.0 * t; });
    EXPECT_EQ(lookupResponse(*state, 0.7), held);
    fill({0.5}, [](double t) { return 100.0 * t; });
    EXPECT_EQ(lookupResponse(*state, 0.5), held);
}

TEST(ResponseTable, AppendStopsAtCapacity) {
    auto state = std::make_unique<ModelState>();
    state->table.count = 1;
    for (int i = 0; i < kTableCapacity + 5; ++i) appendRow(state->table, i + 1.0, 1.0);
    EXPECT_EQ(state->table.count, kTableCapacity);
    EXPECT_EQ(state->table.time[kTableCapacity], kTableCapacity - 1.0);
}

}  // namespace
}  // namespace quenlor

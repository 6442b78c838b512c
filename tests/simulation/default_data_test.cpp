// The shipped default data with the catalogue's defaults and the
// documented default layer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "interface/intake.h"
#include "interface/response_lookup.h"
#include "state/default_case.h"
#include "support/test_files.h"

namespace quenlor {
namespace {

const std::string kDataDirectory = std::string(QUENLOR_SOURCE_DIR) + "/data/";

std::unique_ptr<ModelState> runDefaults(const double (&parameters)[kParameterCount]) {
    auto s = std::make_unique<ModelState>();
    setDataDirectory(*s, kDataDirectory.data(), static_cast<int>(kDataDirectory.size()));
    setActiveLayer(*s, kParameterCount, parameters, kDefaultLayerValues);
    return s;
}

TEST(DefaultData, GivesTheFullIncreasingResponseWithClosureInsideTheEqualStepFallOff) {
    const auto s = runDefaults(testing_support::kCatalogueDefaults);
    const ControlRecord& c = s->control;
    const ResponseTable& t = s->table;
    EXPECT_EQ(c.passCount, 1);
    EXPECT_EQ(c.timeSpacingMode, 5);
    EXPECT_EQ(c.closureModel, 5);
    EXPECT_LT(c.closedFractureCompliance, -10.0);
    EXPECT_GT(c.closureWidthFraction, 0.0);
    EXPECT_LE(c.closureWidthFraction, 1.0);
    EXPECT_EQ(c.stehfestTerms, 12);
    EXPECT_EQ(s->control.stehfestTermsCached, 12);  // built during the run from a file value of 0
    ASSERT_EQ(t.count, 1 + c.stepsPerInjection * (2 + c.falloffPeriods));
    EXPECT_LE(t.count, 3000);
    for (int i = 2; i <= t.count; ++i) {
        ASSERT_TRUE(std::isfinite(t.value[i])) << i;
        if (i > 2) {
            ASSERT_GT(t.value[i], t.value[i - 1]) << i;
        }
    }
    const int lastEqualStep = 1 + c.stepsPerInjection * (1 + c.falloffPeriods);
    EXPECT_GT(s->derived.dimensionlessClosureTime, c.injectionDuration);
    EXPECT_LT(s->derived.dimensionlessClosureTime, t.time[lastEqualStep]);
}

TEST(DefaultData, EveryCatalogueParameterMovesTheCurve) {
    const auto base = runDefaults(testing_support::kCatalogueDefaults);
    // Host times spanning the table (host time = table time * Xf^2 / rw^2).
    const double scale = 200.0 * 200.0 / (DefaultLayer::wellRadius * DefaultLayer::wellRadius);
    const double times[] = {1e-7 * scale, 1e-6 * scale, 1e-5 * scale, 4e-5 * scale, 1e-3 * scale, 8e-3 * scale};
    double reference[std::size(times)];
    for (std::size_t i = 0; i < std::size(times); ++i) reference[i] = lookupResponse(*base, times[i]);
    for (int k = 0; k < kParameterCount; ++k) {
        double changed[kParameterCount];
        std::memcpy(changed, testing_support::kCatalogueDefaults, sizeof changed);
        changed[k] = k == 1 ? 0.5 : changed[k] * 1.2;  // the face skin's default is 0
        auto s = runDefaults(changed);
        double largest = 0.0;
        for (std::size_t i = 0; i < std::size(times); ++i)
            largest = std::fmax(largest, std::fabs(lookupResponse(*s, times[i]) / reference[i] - 1.0));
        EXPECT_GT(largest, 1e-4) << "parameter " << k + 1;
    }
}

}  // namespace
}  // namespace quenlor

// Reusing earlier results must not change a single bit: every preset is
// run with reuse on and off, and the tables and lookups compared exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "datafiles/control_file.h"
#include "interface/intake.h"
#include "interface/response_lookup.h"
#include "state/default_case.h"
#include "support/test_files.h"

namespace quenlor {
namespace {

using testing_support::ModelRun;

ControlRecord shippedControl() {
    ControlRecord c{};
    FirstProblem problems;
    const std::string path = std::string(QUENLOR_SOURCE_DIR) + "/data/" + kControlFileName;
    EXPECT_TRUE(readControlFile(path.c_str(), c, problems));
    return c;
}

void expectSameBothWays(const ControlRecord& c, const char* name) {
    SCOPED_TRACE(name);
    ModelRun withReuse, plain;
    plain.state->reuseDisabled = true;
    withReuse.run(c);
    plain.run(c);
    const ResponseTable& a = withReuse.table();
    const ResponseTable& b = plain.table();
    ASSERT_EQ(a.count, b.count);
    ASSERT_GT(a.count, 1);
    EXPECT_EQ(std::memcmp(a.time, b.time, sizeof(double) * (a.count + 1)), 0);
    EXPECT_EQ(std::memcmp(a.value, b.value, sizeof(double) * (a.count + 1)), 0);
    // Lookups: bisection against the scan, across and beyond the table.
    const double scale = 200.0 * 200.0 / (DefaultLayer::wellRadius * DefaultLayer::wellRadius);
    for (int i = 2; i <= a.count; i += 7) {
        for (double f : {1.0, 0.9999, 1.37}) {
            const double host = a.time[i] * f * scale;
            const double x = lookupResponse(*withReuse.state, host);
            const double y = lookupResponse(*plain.state, host);
            ASSERT_EQ(std::memcmp(&x, &y, sizeof x), 0) << "row " << i << " factor " << f;
        }
    }
}

TEST(Reuse, ShippedDefaultsAreBitForBitTheSame) { expectSameBothWays(shippedControl(), "shipped defaults"); }

TEST(Reuse, OtherPresetsAreBitForBitTheSame) {
    const ControlRecord base = [] {
        ControlRecord c = shippedControl();
        c.falloffPeriods = 40;  // closure and its transition stay inside the equal steps
        return c;
    }();
    struct Preset {
        const char* name;
        void (*change)(ControlRecord&);
    };
    const Preset presets[] = {
        {"closure by pressure, ramp", [](ControlRecord&) {}},
        {"closure by pressure, no ramp", [](ControlRecord& c) { c.closedFractureCompliance = -5.0; }},
        {"closure by pressure, closed value", [](ControlRecord& c) { c.closedFractureCompliance = 0.0; }},
        {"closure by time", [](ControlRecord& c) { c.closureModel = 2; }},
        {"constant storage, rate integrand", [](ControlRecord& c) { c.closureModel = 0; }},
        {"constant storage, storage integrand", [](ControlRecord& c) { c.closureModel = 0; c.quadratureSwitch = 1; }},
        {"two passes", [](ControlRecord& c) { c.passCount = 2; }},
        {"inversion thresholds", [](ControlRecord& c) { c.minInjectionInversionTime = 1e-7; c.minShutInInversionTime = 2e-6; }},
    };
    for (const Preset& p : presets) {
        ControlRecord c = base;
        p.change(c);
        expectSameBothWays(c, p.name);
    }
}

}  // namespace
}  // namespace quenlor

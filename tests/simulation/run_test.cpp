// Whole runs through the intake on small control files.
#include "simulation/run_simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "flow/stehfest_inversion.h"
#include "support/test_files.h"

namespace quenlor {
namespace {

using testing_support::ModelRun;
using testing_support::smallControl;

TEST(Run, RowCountsFollowTheModeAndThePasses) {
    ModelRun r;
    ControlRecord c = smallControl();
    c.stepsPerInjection = 10;
    c.falloffPeriods = 3;
    EXPECT_EQ(r.run(c), "");
    const ResponseTable& t = r.table();
    ASSERT_EQ(t.count, 51);
    EXPECT_EQ(t.time[1], 0.0);
    EXPECT_EQ(t.value[1], 0.0);
    EXPECT_NEAR(t.time[12], 0.011, 1e-15);  // first fall-off step T + T/10
    EXPECT_NEAR(t.time[41], 0.04, 1e-15);   // the equal steps end at 4 T
    EXPECT_NEAR(t.time[51], c.simulationEndTime, 1e-14);
    for (int i = 2; i <= t.count; ++i) {
        EXPECT_GT(t.time[i], t.time[i - 1]) << i;
        EXPECT_TRUE(std::isfinite(t.value[i])) << i;
    }

    c.passCount = 2;
    EXPECT_EQ(r.run(c), "");
    ASSERT_EQ(t.count, 21);
    for (int i = 2; i <= 11; ++i) EXPECT_EQ(t.time[i], t.time[i + 10]) << i;

    c.passCount = 0;
    EXPECT_EQ(r.run(c), "");
    EXPECT_EQ(t.count, 1);
    c.passCount = 1;
    c.timeSpacingMode = 4;
    EXPECT_EQ(r.run(c), "");
    EXPECT_EQ(t.count, 1);
}

TEST(Run, ConstantStorageInjectionRowsAreTheSolutionWithStorage) {
    ModelRun r;
    ControlRecord c = smallControl();
    c.closureModel = 0;
    c.stepsPerInjection = 4;
    c.injectionDuration = 1.0;
    c.falloffPeriods = 2;
    c.simulationEndTime = 10.0;
    c.firstPassEndTime = 10.0;
    c.linearPassEndTime = 10.0;
    EXPECT_EQ(r.run(c), "");
    ASSERT_EQ(r.table().count, 1 + 4 * 4);
    StehfestTable table{};
    std::int32_t claimed = 0;
    for (int i = 0; i < 4; ++i) {
        const double t = 0.25 * (i + 1);
        const InversionResult v = invertLaplace(r.state->laplace, 12, t, r.state->derived.dimensionlessFractureStorage,
                                                table, claimed);
        EXPECT_EQ(r.table().time[i + 2], t);
        EXPECT_EQ(r.table().value[i + 2], v.storagePressure) << t;
    }
}

TEST(Run, FirstClosureStepTakesTheSolutionWithStorageAndMeasuresTheOffset) {
    ModelRun r;
    ControlRecord c = smallControl();
    c.passCount = 2;  // injection only
    c.stepsPerInjection = 1;
    EXPECT_EQ(r.run(c), "");
    ASSERT_EQ(r.table().count, 3);
    const ModelState& s = *r.state;
    StehfestTable table{};
    std::int32_t claimed = 0;
    const InversionResult v =
        invertLaplace(s.laplace, 12, c.injectionDuration, s.derived.dimensionlessFractureStorage, table, claimed);
    const double w = (1.0 + c.fractureStorageFactor) * s.derived.dimensionlessWellboreStorage +
                     s.derived.dimensionlessFractureStorage;
    const double g = s.fits.pressureFitScale * std::pow(c.injectionDuration, s.fits.pressureFitExponent) / c.injectionDuration;
    EXPECT_EQ(r.table().value[3], v.storagePressure);
    EXPECT_NEAR(s.march.pressureOffset, v.storagePressure - v.pressure / (1.0 + w * g), 1e-15);
}

TEST(Run, TimeClosureModelsOneToFourAgree) {
    ModelRun r;
    ControlRecord c = smallControl();
    c.closureModel = 1;
    r.run(c);
    const ResponseTable first = r.table();
    for (int model : {2, 3, 4}) {
        c.closureModel = model;
        r.run(c);
        ASSERT_EQ(r.table().count, first.count);
        for (int i = 1; i <= first.count; ++i) EXPECT_EQ(r.table().value[i], first.value[i]) << model << " " << i;
    }
}

TEST(Run, PinnedTipRatioIsDerivedAnewInEveryRun) {
    ControlRecord c = smallControl();
    c.closedFractureCompliance = -5.0;
    ModelRun fresh;
    fresh.parameters[7] = 40.0;  // another contrast ratio, so another pinned ratio
    fresh.run(c);

    ModelRun reused;
    reused.run(c);  // the defaults first
    reused.parameters[7] = 40.0;
    reused.run(c);
    ASSERT_EQ(reused.table().count, fresh.table().count);
    for (int i = 1; i <= fresh.table().count; ++i) EXPECT_EQ(reused.table().value[i], fresh.table().value[i]) << i;
}

TEST(Run, AClaimedWeightCacheIsNotTrustedInAFreshProcess) {
    ControlRecord c = smallControl();
    ModelRun plain;
    plain.run(c);
    c.stehfestTermsCached = c.stehfestTerms;  // the file claims the weights are built
    ModelRun claimed;
    claimed.run(c);
    ASSERT_EQ(claimed.table().count, plain.table().count);
    for (int i = 2; i <= plain.table().count; ++i) {
        EXPECT_NE(claimed.table().value[i], 0.0);
        EXPECT_EQ(claimed.table().value[i], plain.table().value[i]) << i;
    }
}

TEST(Run, ABadDataFileAbandonsTheRunAndKeepsThePreviousRows) {
    ModelRun r;
    r.run(smallControl());
    const int count = r.table().count;
    const double last = r.table().value[count];
    std::string text = testing_support::controlFileText(smallControl());
    text.replace(text.find('\n', 0) + 1 + 11, 5, "abcde");  // line 2's value field
    testing_support::writeText(r.dir + kControlFileName, text);
    ::testing::internal::CaptureStderr();
    r.run();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("line 2"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(r.table().count, count);
    EXPECT_EQ(r.table().value[count], last);
}

struct Rejection {
    const char* name;
    void (*change)(ControlRecord&);
    const char* mentions;
};

const Rejection kRejections[] = {
    {"no sweep steps", [](ControlRecord& c) { c.timeStepCount = 0; }, "timeStepCount"},
    {"first sweep starts at zero", [](ControlRecord& c) { c.firstPassStartTime = 0.0; }, "firstPassStartTime"},
    {"first sweep ends before it starts", [](ControlRecord& c) { c.firstPassEndTime = 1e-5; }, "firstPassEndTime"},
    {"odd term count", [](ControlRecord& c) { c.stehfestTerms = 7; }, "stehfestTerms"},
    {"term count beyond 18", [](ControlRecord& c) { c.stehfestTerms = 20; }, "stehfestTerms"},
    {"no terms", [](ControlRecord& c) { c.stehfestTerms = 0; }, "stehfestTerms"},
    {"zero diffusivity", [](ControlRecord& c) { c.fractureDiffusivity = 0.0; }, "fractureDiffusivity"},
    {"no injection steps", [](ControlRecord& c) { c.stepsPerInjection = 0; }, "stepsPerInjection"},
    {"no injection time", [](ControlRecord& c) { c.injectionDuration = 0.0; }, "injectionDuration"},
    {"closure model 6", [](ControlRecord& c) { c.closureModel = 6; }, "closureModel"},
    {"closure model -1", [](ControlRecord& c) { c.closureModel = -1; }, "closureModel"},
    {"negative fall-off periods", [](ControlRecord& c) { c.falloffPeriods = -1; }, "falloffPeriods"},
    {"more rows than the table", [](ControlRecord& c) { c.stepsPerInjection = 2000; c.falloffPeriods = 3; }, "rows"},
    {"more passes than the table", [](ControlRecord& c) { c.passCount = 900; }, "rows"},
    {"second sweep starts at zero", [](ControlRecord& c) { c.linearPassStartTime = 0.0; }, "linearPassStartTime"},
    {"second sweep ends before it starts", [](ControlRecord& c) { c.linearPassEndTime = 1e-5; }, "linearPassEndTime"},
    {"tail without four steps before it",
     [](ControlRecord& c) { c.closureModel = 0; c.stepsPerInjection = 3; c.falloffPeriods = 1; }, "tail"},
    {"end time inside the fall-off", [](ControlRecord& c) { c.simulationEndTime = 0.02; }, "simulationEndTime"},
};

TEST(Run, ControlsThatBreakTheMethodAreRejectedWithOneLineAndAnEmptyTable) {
    for (const Rejection& k : kRejections) {
        SCOPED_TRACE(k.name);
        ModelRun r;
        r.run(smallControl());
        ASSERT_GT(r.table().count, 1);
        ControlRecord c = smallControl();
        k.change(c);
        const std::string err = r.run(c);
        EXPECT_NE(err.find(k.mentions), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(r.table().count, 1);
    }
}

TEST(Run, NegativeApparentSkinFromTheGridIsRejected) {
    ModelRun r;
    testing_support::writeGrid(r.dir + kGridFileName, [](int, int) { return -0.5; });
    const std::string err = r.run(smallControl());
    EXPECT_NE(err.find("apparent skin"), std::string::npos) << err;
    EXPECT_EQ(r.table().count, 1);
}

TEST(Run, SingularPassesAcceptedAndHostValuesNotValidated) {
    // A mode other than 5 runs the first sweep only: the later rules do not apply.
    ModelRun r;
    ControlRecord c = smallControl();
    c.timeSpacingMode = 1;
    c.stepsPerInjection = 0;
    c.closureModel = 42;
    EXPECT_EQ(r.run(c), "");
    EXPECT_EQ(r.table().count, 1);
    // Hostile host values run to completion without faults.
    for (double bad : {0.0, -1.0, static_cast<double>(NAN), static_cast<double>(INFINITY)}) {
        ModelRun h;
        for (double& p : h.parameters) p = bad;
        h.run(smallControl());
        EXPECT_GE(h.table().count, 1);
        EXPECT_LE(h.table().count, kTableCapacity);
    }
}

}  // namespace
}  // namespace quenlor

#include "simulation/run_simulation.h"

#include <cmath>
#include <cstdio>
#include <cstdint>

#include "datafiles/control_file.h"
#include "datafiles/lookup_grid.h"
#include "flow/stehfest_inversion.h"
#include "interface/intake.h"
#include "simulation/marches.h"
#include "simulation/setup.h"
#include "simulation/sweeps.h"

namespace quenlor {

namespace {

// Record numbers of the controls the checks name.
enum Record : int {
    kFirstPassStart = 9,
    kFirstPassEnd = 10,
    kFractureDiffusivity = 12,
    kInjectionDuration = 16,
    kLinearPassStart = 18,
    kLinearPassEnd = 19,
    kSimulationEnd = 27,
    kStehfestTerms = 28,
    kPassCount = 31,
    kTimeStepCount = 32,
    kFalloffPeriods = 35,
    kStepsPerInjection = 37,
    kClosureModel = 39,
};

class RequirementReporter {
public:
    RequirementReporter(const char* path, ProblemSink& sink) : path_(path), sink_(sink) {}

    template <class... Args>
    void fail(int record, const char* format, Args... args) {
        FileProblem p{path_, record, controlValueFirstColumn(), controlValueLastColumn(record), {}};
        std::snprintf(p.message, sizeof p.message, format, args...);
        sink_.report(p);
        ok_ = false;
    }
    void fail(const FileProblem& problem) {
        sink_.report(problem);
        ok_ = false;
    }
    bool ok() const { return ok_; }

private:
    const char* path_;
    ProblemSink& sink_;
    bool ok_ = true;
};

bool isPositive(double v) { return v > 0.0 && std::isfinite(v); }

}  // namespace

bool loadDataFiles(ModelState& state, ProblemSink& problems) {
    char path[kFilePathLength + 1];
    buildDataFilePath(state, kControlFileName, path);
    ControlRecord control = state.control;
    if (!readControlFile(path, control, problems)) return false;
    buildDataFilePath(state, kGridFileName, path);
    if (!readLookupGrid(path, state.gridScratch, problems)) return false;
    state.control = control;
    state.grid = state.gridScratch;
    return true;
}

bool checkRunRequirements(const ModelState& state, const char* path, ProblemSink& problems) {
    const ControlRecord& c = state.control;
    RequirementReporter r(path, problems);
    if (c.passCount < 1) return true;  // nothing runs

    if (c.timeStepCount < 1) r.fail(kTimeStepCount, "timeStepCount is %d; the sweeps need at least 1 step", c.timeStepCount);
    if (!isPositive(c.firstPassStartTime))
        r.fail(kFirstPassStart, "firstPassStartTime is %g; the first sweep needs a positive start", c.firstPassStartTime);
    if (!(c.firstPassEndTime > c.firstPassStartTime) || !std::isfinite(c.firstPassEndTime))
        r.fail(kFirstPassEnd, "firstPassEndTime is %g; it must lie beyond firstPassStartTime (%g)", c.firstPassEndTime,
               c.firstPassStartTime);
    if (!isValidStehfestTermCount(c.stehfestTerms))
        r.fail(kStehfestTerms, "stehfestTerms is %d; it must be even and from 2 to 18", c.stehfestTerms);
    if (!isPositive(c.fractureDiffusivity))
        r.fail(kFractureDiffusivity, "fractureDiffusivity is %g; it must be positive", c.fractureDiffusivity);
    if (!(state.derived.apparentSkin >= 0.0)) {
        FileProblem p{kGridFileName, 0, 0, 0, {}};
        std::snprintf(p.message, sizeof p.message,
                      "the apparent skin looked up for 2/FcD = %g and |skin| = %g is %g; it must not be negative",
                      2.0 / state.parameters.conductivity, std::fabs(state.parameters.fractureFaceSkin),
                      state.derived.apparentSkin);
        r.fail(p);
    }
    if (c.timeSpacingMode != 5) return r.ok();  // the first sweep only

    if (c.stepsPerInjection < 1)
        r.fail(kStepsPerInjection, "stepsPerInjection is %d; the marches need at least 1 step", c.stepsPerInjection);
    if (!isPositive(c.injectionDuration))
        r.fail(kInjectionDuration, "injectionDuration is %g; it must be positive", c.injectionDuration);
    if (c.closureModel < 0 || c.closureModel > 5)
        r.fail(kClosureModel, "closureModel is %d; the closure models are 0 to 5", c.closureModel);
    if (c.falloffPeriods < 0) r.fail(kFalloffPeriods, "falloffPeriods is %d; it must not be negative", c.falloffPeriods);
    if (!r.ok()) return false;

    const std::int64_t steps = c.stepsPerInjection;
    const std::int64_t periods = c.falloffPeriods;
    if (c.passCount >= 2) {
        const std::int64_t rows = 1 + static_cast<std::int64_t>(c.passCount) * steps;
        if (rows > kTableCapacity)
            r.fail(kPassCount, "%d passes of %d steps append %lld rows; the table holds %d", c.passCount,
                   c.stepsPerInjection, static_cast<long long>(rows), kTableCapacity);
        if (steps > kRecordLastIndex)
            r.fail(kStepsPerInjection, "stepsPerInjection is %d; the step records hold %d steps", c.stepsPerInjection,
                   kRecordLastIndex);
        return r.ok();
    }

    const std::int64_t rows = 1 + steps * (2 + periods);
    if (rows > kTableCapacity)
        r.fail(kFalloffPeriods, "stepsPerInjection %d and falloffPeriods %d make %lld rows; the table holds %d",
               c.stepsPerInjection, c.falloffPeriods, static_cast<long long>(rows), kTableCapacity);
    const std::int64_t lastEntry = c.closureModel == 0 ? steps * (periods + 1) : steps * (periods + 2);
    if (lastEntry > kRecordLastIndex)
        r.fail(kFalloffPeriods, "the run needs %lld step records; they hold %d", static_cast<long long>(lastEntry),
               kRecordLastIndex);
    if (!isPositive(c.linearPassStartTime))
        r.fail(kLinearPassStart, "linearPassStartTime is %g; the second sweep needs a positive start",
               c.linearPassStartTime);
    if (!(c.linearPassEndTime > c.linearPassStartTime) || !std::isfinite(c.linearPassEndTime))
        r.fail(kLinearPassEnd, "linearPassEndTime is %g; it must lie beyond linearPassStartTime (%g)",
               c.linearPassEndTime, c.linearPassStartTime);
    const std::int64_t firstTailEntry = (c.closureModel == 0 ? steps * periods : steps * (1 + periods)) + 1;
    if (firstTailEntry < 5)
        r.fail(kFalloffPeriods,
               "the tail needs four fall-off steps before it (stepsPerInjection %d, falloffPeriods %d give %lld)",
               c.stepsPerInjection, c.falloffPeriods, static_cast<long long>(firstTailEntry - 1));
    if (!r.ok()) return false;

    // The clock at the end of the equal-step fall-off, added up as the marches do.
    const double step = c.injectionDuration / c.stepsPerInjection;
    double clock = 0.0;
    for (std::int64_t i = 0; i < steps * (1 + periods); ++i) clock += step;
    if (!(c.simulationEndTime > clock) || !std::isfinite(c.simulationEndTime))
        r.fail(kSimulationEnd, "simulationEndTime is %g; the tail needs it beyond the fall-off's end at %g",
               c.simulationEndTime, clock);
    return r.ok();
}

void runPasses(ModelState& s) {
    const ControlRecord& c = s.control;
    if (c.passCount <= 0) return;
    for (int pass = 0; pass < c.passCount; ++pass) {
        const bool equalSteps = c.timeSpacingMode == 5;
        const SweepSums first = calibrationSweep(s, c.firstPassStartTime, c.firstPassEndTime, equalSteps, true);
        if (!equalSteps) continue;
        const SweepFit f = fitSweep(first);
        SweepFits& fits = s.fits;
        fits.pressureFitScale = f.pressureScale;
        fits.pressureFitExponent = f.pressureExponent;
        fits.storagePressureFitScale = f.storagePressureScale;
        fits.storagePressureFitExponent = f.storagePressureExponent;
        fits.pressureDerivativeFitScale = f.derivativeScale;
        fits.pressureDerivativeFitExponent = f.derivativeExponent;
        fits.storageDerivativeFitIntercept = f.storageDerivativeIntercept;
        fits.storageDerivativeFitSlope = f.storageDerivativeSlope;
        injectionMarch(s);
        if (c.passCount >= 2) continue;
        const SweepSums second = calibrationSweep(s, c.linearPassStartTime, c.linearPassEndTime, true, false);
        const SweepFit g = fitSweep(second);
        fits.fallOffPressureFitScale = g.pressureScale;
        fits.fallOffPressureFitExponent = g.pressureExponent;
        fits.fallOffDerivativeFitScale = g.derivativeScale;
        fits.fallOffDerivativeFitExponent = g.derivativeExponent;
        fits.lastSweepStoragePressure = second.lastStoragePressure;
        fallOffMarch(s);
        tailMarch(s);
    }
}

namespace {

// Prints the first problem as the one diagnostic line of the run.
class PrintFirst final : public ProblemSink {
public:
    void report(const FileProblem& problem) override {
        if (printed_) return;
        printProblem(stderr, problem);
        printed_ = true;
    }

private:
    bool printed_ = false;
};

}  // namespace

void runSimulation(ModelState& state) {
    state.march.firstTermMemory = 0.0;
    state.pinnedTipRatioDerived = false;
    state.memo.closureStart.valid = false;
    for (ReuseMemo::SectionArea& e : state.memo.recentAreas) e.valid = false;
    PrintFirst diagnostics;
    if (!loadDataFiles(state, diagnostics)) return;
    orderContrastsAndHeights(state.parameters);
    setUpSimulation(state);
    char path[kFilePathLength + 1];
    buildDataFilePath(state, kControlFileName, path);
    if (!checkRunRequirements(state, path, diagnostics)) return;
    runPasses(state);
}

}  // namespace quenlor

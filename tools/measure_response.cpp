// Runs the model on a data directory and measures its response: rows,
// where the method changes regime (shut-in, closure, first tail row), and
// the size of the step the logarithmic derivative takes at each of them.
//
// The step at row i is the change of the log-log derivative slope across
// the row beyond what its neighbours show: with dL and dR the derivatives
// dp/d(ln t) of the intervals before and after row i, and
// j(i) = ln(dR/dL), the step is j(i) - (j(i-1) + j(i+1))/2, in percent of
// the derivative. A smooth curve gives about 0 whatever its spacing.
//
// The tail evaluates one earlier interval per step and scales it; its
// error is measured against a reference run of the same data in which the
// equal steps go on as far as the table allows: the relative difference
// of the tail's pressures (and of their derivative) from the reference,
// over the tail rows the reference covers.
//
// Usage: quenlor_measure_response DATA_DIRECTORY [INDEX=VALUE ...]
//   INDEX 1..12 sets a catalogue parameter, -1..-9 a layer value.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "datafiles/problems.h"
#include "interface/intake.h"
#include "simulation/run_simulation.h"
#include "simulation/setup.h"
#include "state/default_case.h"

using namespace quenlor;

namespace {

constexpr double kDefaults[kParameterCount] = {300.0, 0.0,  200.0, 15.0, 15.0, 1.0, 20.0, 20.0,
                                               static_cast<double>(0.01f), 2.0, 130000.0, 0.25};

double logStep(const ResponseTable& t, int i) {
    const double dl = (t.value[i] - t.value[i - 1]) / std::log(t.time[i] / t.time[i - 1]);
    const double dr = (t.value[i + 1] - t.value[i]) / std::log(t.time[i + 1] / t.time[i]);
    return std::log(dr / dl);
}

double stepAt(const ResponseTable& t, int i) {
    if (i < 4 || i > t.count - 2) return NAN;
    return 100.0 * (logStep(t, i) - 0.5 * (logStep(t, i - 1) + logStep(t, i + 1)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DATA_DIRECTORY [INDEX=VALUE ...]\n", argv[0]);
        return 2;
    }
    double parameters[kParameterCount];
    double layer[kLayerValueCount];
    std::memcpy(parameters, kDefaults, sizeof parameters);
    std::memcpy(layer, kDefaultLayerValues, sizeof layer);
    for (int a = 2; a < argc; ++a) {
        const int index = std::atoi(argv[a]);
        const char* eq = std::strchr(argv[a], '=');
        if (!eq || index == 0 || index > kParameterCount || index < -kLayerValueCount) {
            std::fprintf(stderr, "%s: bad setting '%s'\n", argv[0], argv[a]);
            return 2;
        }
        (index > 0 ? parameters[index - 1] : layer[-index - 1]) = std::atof(eq + 1);
    }
    std::string dir = argv[1];
    if (dir.empty() || dir.back() != '/') dir += '/';
    auto state = std::make_unique<ModelState>();
    setDataDirectory(*state, dir.data(), static_cast<int>(dir.size()));
    setActiveLayer(*state, kParameterCount, parameters, layer);
    const ResponseTable& t = state->table;
    const ControlRecord& c = state->control;
    if (t.count < 8) {
        std::fprintf(stderr, "%s: the run gave %d rows\n", argv[0], t.count);
        return 1;
    }
    bool increasing = true, finite = true;
    for (int i = 2; i <= t.count; ++i) {
        finite = finite && std::isfinite(t.value[i]);
        if (i > 2) increasing = increasing && t.value[i] > t.value[i - 1];
    }
    const int shutIn = 1 + c.stepsPerInjection + 1;  // first row after shut-in
    const int tail = 1 + c.stepsPerInjection * (1 + c.falloffPeriods) + 1;
    const double closureTime = state->derived.dimensionlessClosureTime;
    int closure = 0;
    for (int i = 2; i <= t.count && !closure; ++i)
        if (t.time[i] > closureTime) closure = i;
    // Elsewhere: every row but those within two rows of a regime change
    // (whose step the neighbour average carries) and the first ten rows
    // (equal steps from time zero change their ratio too fast there for
    // the measure to mean anything).
    double typical = 0.0;
    int typicalRow = 0, counted = 0;
    for (int i = 12; i <= t.count - 2; ++i) {
        auto near = [i](int row) { return std::abs(i - row) <= 2; };
        if (near(shutIn) || near(shutIn - 1) || near(closure) || near(tail) || near(tail - 1)) continue;
        if (std::fabs(stepAt(t, i)) > std::fabs(typical)) {
            typical = stepAt(t, i);
            typicalRow = i;
        }
        ++counted;
    }
    std::printf("rows %d, finite %s, increasing %s\n", t.count, finite ? "yes" : "no", increasing ? "yes" : "no");
    std::printf("injection %.6g, closure %.6g (row %d), end of equal steps %.6g, end %.6g\n", c.injectionDuration,
                closureTime, closure, t.time[tail - 1], t.time[t.count]);
    std::printf("closure inside the equal-step fall-off: %s\n",
                closureTime > c.injectionDuration && closureTime < t.time[tail - 1] ? "yes" : "no");
    std::printf("derivative step at shut-in (rows %d, %d): %.2f%%, %.2f%%\n", shutIn - 1, shutIn, stepAt(t, shutIn - 1),
                stepAt(t, shutIn));
    std::printf("derivative step at closure (row %d): %.2f%%\n", closure, stepAt(t, closure));
    std::printf("derivative step at the first tail rows (rows %d, %d): %.2f%%, %.2f%%\n", tail - 1, tail,
                stepAt(t, tail - 1), stepAt(t, tail));
    // Reference: the equal steps continued.
    auto reference = std::make_unique<ModelState>(*state);
    {
        ModelState& r = *reference;
        FirstProblem problems;
        if (!loadDataFiles(r, problems)) return 1;
        orderContrastsAndHeights(r.parameters);
        const std::int64_t steps = r.control.stepsPerInjection;
        std::int64_t periods = (kTableCapacity - 1) / steps - 2;
        if (steps * (periods + 2) > kRecordLastIndex) periods = kRecordLastIndex / steps - 2;
        const double endOfSteps = r.control.injectionDuration * (1 + periods);
        if (endOfSteps >= r.control.simulationEndTime)
            periods = static_cast<std::int64_t>(r.control.simulationEndTime / r.control.injectionDuration) - 2;
        r.control.falloffPeriods = static_cast<std::int32_t>(periods);
        r.march.firstTermMemory = 0.0;
        r.pinnedTipRatioDerived = false;
        setUpSimulation(r);
        runPasses(r);
    }
    const ResponseTable& ref = reference->table;
    const int refTail = 1 + c.stepsPerInjection * (1 + reference->control.falloffPeriods) + 1;
    auto refAt = [&](double time) {  // linear in log-log between the reference's fine rows
        int j = 2;
        while (j < refTail - 1 && ref.time[j] < time) ++j;
        const double w = std::log(time / ref.time[j - 1]) / std::log(ref.time[j] / ref.time[j - 1]);
        return std::exp(std::log(ref.value[j - 1]) + w * std::log(ref.value[j] / ref.value[j - 1]));
    };
    double worstPressure = 0.0, worstDerivative = 0.0, firstPressure = NAN, firstDerivative = NAN;
    int covered = 0;
    for (int i = tail; i <= t.count && t.time[i] < ref.time[refTail - 1]; ++i) {
        const double pr = refAt(t.time[i]), pPrev = refAt(t.time[i - 1]);
        worstPressure = std::fmax(worstPressure, std::fabs(t.value[i] / pr - 1.0));
        const double secant = (t.value[i] - t.value[i - 1]) / (pr - pPrev);
        worstDerivative = std::fmax(worstDerivative, std::fabs(secant - 1.0));
        if (covered == 0) {
            firstPressure = 100.0 * (t.value[i] / pr - 1.0);
            firstDerivative = 100.0 * (secant - 1.0);
        }
        ++covered;
    }
    if (covered > 0)
        std::printf("tail against continued equal steps: first row pressure %.2f%%, derivative %.2f%%; "
                    "largest over %d rows to t = %.4g: pressure %.2f%%, derivative %.2f%%\n",
                    firstPressure, firstDerivative, covered, ref.time[refTail - 1], 100.0 * worstPressure,
                    100.0 * worstDerivative);
    std::printf("largest step elsewhere (%d rows from row 12): %.2f%% at row %d (t = %.6g)\n", counted, typical,
                typicalRow, t.time[typicalRow]);
    return finite && increasing ? 0 : 1;
}

// Fuzz target: whole runs with fuzzed host values and fuzzed control
// values, as the host drives them, on one model state that lives as long
// as the process (so each run starts from what the earlier ones left).
//
// Each input is decoded into: the twelve parameters and nine layer values
// (NaN, infinities, zeros, negatives, huge and subnormal values, or
// values spread around the defaults), a control file (a small valid run
// with any of its forty values replaced, or its text damaged), which data
// files are present, and the host times of the solution requests. Step
// counts that the control file may legally ask for are cut down to a few
// tens of rows so that every input runs in a bounded time; counts beyond
// the table's capacity stay as they are, since the run must reject them.
// The exported catalogue queries and EL_SetDllPath get fuzzed indices and
// lengths.
//
// After every input:
// - no crash, hang or sanitizer report;
// - the table's count is within 0..10000 (0 only before any run) and its
//   origin row is (0, 0);
// - when a data file is missing or cannot be read, the table, the control
//   record and the grid are exactly as before;
// - a run that appends rows appends exactly the rows its controls call
//   for, at the times the marches' clock gives them (these depend on the
//   controls alone, whatever the host's values);
// - every solution request returns, and with fewer than three rows after
//   the origin it returns the previous result;
// - catalogue queries outside 1..12 leave their outputs untouched.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "datafiles/control_file.h"
#include "datafiles/lookup_grid.h"
#include "fuzz_support.h"
#include "interface/catalogue.h"
#include "interface/exports.h"
#include "interface/intake.h"
#include "interface/response_lookup.h"
#include "state/default_case.h"

namespace {

using namespace quenlor;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

constexpr double kCatalogueDefaults[kParameterCount] = {300.0, 0.0,  200.0, 15.0,
                                                        15.0,  1.0,  20.0,  20.0,
                                                        static_cast<double>(0.01f), 2.0, 130000.0, 0.25};

// Budget of a legal run: rows of the march and steps of each sweep.
constexpr int kMaxSweepSteps = 40;
constexpr int kMaxInjectionSteps = 6;
constexpr int kMaxFalloffPeriods = 3;
constexpr int kMaxPasses = 3;

class Silent final : public ProblemSink {
public:
    void report(const FileProblem&) override {}
};

// A small valid run on the time scales of the shipped data.
ControlRecord templateControl() {
    ControlRecord c{};
    c.firstPassStartTime = 5e-8;
    c.firstPassEndTime = 1e-4;
    c.fractureDiffusivity = 1000.0;
    c.injectionDuration = 1e-6;
    c.linearPassStartTime = 5e-8;
    c.linearPassEndTime = 1e-4;
    c.storageProductFactor = 1.0;
    c.fractureStorageFactor = 1.0;
    c.closedFractureCompliance = -20.0;
    c.closureWidthFraction = 0.5;
    c.simulationEndTime = 1e-3;
    c.stehfestTerms = 12;
    c.passCount = 1;
    c.timeStepCount = 10;
    c.timeSpacingMode = 5;
    c.falloffPeriods = 2;
    c.stepsPerInjection = 4;
    c.closureModel = 5;
    return c;
}

double hostileValue(FuzzedDataProvider& in, double typical) {
    const int kind = in.ConsumeIntegralInRange(0, 255);
    if (kind < 150) return typical * std::exp2((kind - 75) / 8.0);  // about 2^-9 .. 2^9 times typical
    if (kind < 190) return typical;
    if (kind < 240) {
        const double special[] = {kNaN, kInf, -kInf, 0.0, -0.0, -typical, -1.0, 1e-300, 1e300,
                                  std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::lowest(), 1.0, 0.5};
        return in.PickValueInArray(special);
    }
    return in.ConsumeFloatingPoint<double>();
}

// A control value that fits its field: reals are written with 13
// significant digits, so they stay finite.
double controlReal(FuzzedDataProvider& in, double typical) {
    double v = hostileValue(in, typical == 0.0 ? 1.0 : typical);
    if (!std::isfinite(v)) v = in.ConsumeBool() ? 1e300 : -1e300;
    return v;
}

std::int32_t controlInteger(FuzzedDataProvider& in) {
    const std::int32_t choices[] = {-9999999, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 16, 17, 18, 19, 20,
                                    9999, 10000, 15000, 15001, 99999999};
    if (in.ConsumeBool()) return in.PickValueInArray(choices);
    return in.ConsumeIntegralInRange<std::int32_t>(-9999999, 99999999);
}

// Cuts legal step counts down to the budget; counts the run must reject
// (beyond the table, or not positive) are left alone.
void fitBudget(ControlRecord& c) {
    if (c.timeStepCount > kMaxSweepSteps) c.timeStepCount = 1 + c.timeStepCount % kMaxSweepSteps;
    const std::int64_t steps = c.stepsPerInjection;
    if (c.timeSpacingMode != 5) {
        if (c.passCount > kMaxPasses) c.passCount = 1 + c.passCount % kMaxPasses;
        return;
    }
    if (c.passCount >= 2) {
        const std::int64_t rows = 1 + c.passCount * steps;
        if (rows <= kTableCapacity && steps >= 1) {
            if (c.passCount > kMaxPasses) c.passCount = 2 + c.passCount % 2;
            if (c.stepsPerInjection > kMaxInjectionSteps) c.stepsPerInjection = 1 + c.stepsPerInjection % kMaxInjectionSteps;
        }
        return;
    }
    const std::int64_t rows = 1 + steps * (2 + static_cast<std::int64_t>(c.falloffPeriods));
    if (rows <= kTableCapacity && steps >= 1 && c.falloffPeriods >= 0) {
        if (c.stepsPerInjection > kMaxInjectionSteps) c.stepsPerInjection = 1 + c.stepsPerInjection % kMaxInjectionSteps;
        if (c.falloffPeriods > kMaxFalloffPeriods) c.falloffPeriods = c.falloffPeriods % (kMaxFalloffPeriods + 1);
    }
}

std::string controlText(const ControlRecord& c) {
    std::string text;
    for (int n = 1; n <= kControlRecordCount; ++n) {
        const ControlFieldInfo& info = controlField(n);
        char line[64];
        if (info.kind == ControlFieldKind::integer)
            std::snprintf(line, sizeof line, " %-10.10s%8d\n", info.name, static_cast<int>(c.*info.integer));
        else
            std::snprintf(line, sizeof line, " %-10.10s%20.12E\n", info.name, c.*info.real);
        text += line;
    }
    return text;
}

// The times of the rows a run appends, by the marches' clock: equal steps
// by repeated addition, the tail by repeated multiplication.
std::vector<double> plannedTimes(const ControlRecord& c) {
    std::vector<double> times;
    if (c.passCount < 1 || c.timeSpacingMode != 5) return times;
    const double step = c.injectionDuration / c.stepsPerInjection;
    for (int pass = 0; pass < c.passCount; ++pass) {
        double t = 0.0;
        for (int i = 0; i < c.stepsPerInjection; ++i) times.push_back(t += step);
        if (c.passCount >= 2) continue;
        for (std::int64_t i = 0; i < static_cast<std::int64_t>(c.stepsPerInjection) * c.falloffPeriods; ++i)
            times.push_back(t += step);
        const double ratio = std::pow(c.simulationEndTime / t, 1.0 / c.stepsPerInjection);
        for (int i = 0; i < c.stepsPerInjection; ++i) times.push_back(t *= ratio);
    }
    return times;
}

// Outcomes of the inputs so far, printed when the process ends.
struct Outcomes {
    long inputs = 0;
    long withoutRun = 0;    // a file missing, or the names run together
    long unreadable = 0;    // the control file damaged or cut short
    long originOnly = 0;    // read, then rejected or appending nothing
    long rowsAppended = 0;  // a run that appended rows
    ~Outcomes() {
        std::fprintf(stderr, "run_fuzzer outcomes: %ld inputs: %ld without a run, %ld unreadable control files, "
                             "%ld runs with the origin row only, %ld runs with rows\n",
                     inputs, withoutRun, unreadable, originOnly, rowsAppended);
    }
};
Outcomes outcomes;

struct Fixture {
    std::string zeroGrid;      // T = 0: quick to read, the apparent skin 0
    std::string planeGrid;     // the default grid, T = (b - 1) 0.025
    std::string negativeGrid;  // T = -1 everywhere: the apparent skin is negative
    std::string withoutGrid;   // a control file only
    std::unique_ptr<ModelState> state = std::make_unique<ModelState>();
    std::unique_ptr<ModelState> before = std::make_unique<ModelState>();

    Fixture() {
        const std::string root = quenlor::fuzz::scratchDirectory();
        zeroGrid = root + "zero/";
        planeGrid = root + "plane/";
        negativeGrid = root + "negative/";
        withoutGrid = root + "nogrid/";
        for (const std::string* d : {&zeroGrid, &planeGrid, &negativeGrid, &withoutGrid})
            std::filesystem::create_directory(*d);
        writeGrid(zeroGrid + kGridFileName, [](int) { return 0.0; });
        writeGrid(planeGrid + kGridFileName, [](int b) { return (b - 1) * 0.025; });
        writeGrid(negativeGrid + kGridFileName, [](int) { return -1.0; });
    }

    template <class Value>
    static void writeGrid(const std::string& path, Value value) {
        std::string text;
        char number[32];
        for (int a = 1; a <= kGridSize; ++a)
            for (int b = 1; b <= kGridSize; ++b) {
                std::snprintf(number, sizeof number, "%.15g%c", value(b), b == kGridSize ? '\n' : ' ');
                text += number;
            }
        quenlor::fuzz::writeFile(path, text.data(), text.size());
    }
};

bool sameTable(const ResponseTable& a, const ResponseTable& b) {
    if (a.count != b.count) return false;
    for (int i = 1; i <= a.count; ++i)
        if (!quenlor::fuzz::sameBits(a.time[i], b.time[i]) || !quenlor::fuzz::sameBits(a.value[i], b.value[i]))
            return false;
    return true;
}

bool sameControl(const ControlRecord& a, const ControlRecord& b) {
    for (int n = 1; n <= kControlRecordCount; ++n) {
        const ControlFieldInfo& info = controlField(n);
        if (info.kind == ControlFieldKind::integer ? a.*info.integer != b.*info.integer
                                                   : !quenlor::fuzz::sameBits(a.*info.real, b.*info.real))
            return false;
    }
    return true;
}

void checkCatalogueAndPath(FuzzedDataProvider& in) {
    const std::int32_t indices[] = {INT32_MIN, -1, 0, 1, 12, 13, INT32_MAX};
    const std::int32_t index = in.ConsumeBool() ? in.PickValueInArray(indices) : in.ConsumeIntegral<std::int32_t>();
    const bool inside = index >= 1 && index <= 12;
    double minimum = -3.5, maximum = -3.5, value = -3.5;
    std::int32_t unit = -35, info = -35, mainInfo = -35, enums = -35, enumIndex = -35;
    char label[80], longName[80], shortName[80];
    std::memset(label, '#', sizeof label);
    std::memset(longName, '#', sizeof longName);
    std::memset(shortName, '#', sizeof shortName);
    EL_GetRealParameterInfo(index, &minimum, &maximum, &value, &unit, label, &info);
    EL_GetMainParameterInfo(index, longName, shortName, &mainInfo);
    EL_GetNumberOfEnums(index, &enums);
    EL_GetEnumDefaultIndex(index, &enumIndex);
    if (inside) {
        QUENLOR_FUZZ_CHECK(info == 0 && mainInfo == 0 && enums == 0 && enumIndex == 0, "index %d", index);
        QUENLOR_FUZZ_CHECK(label[0] == ' ' && label[1] == '\0' && label[79] == ' ', "label of index %d", index);
    } else {
        QUENLOR_FUZZ_CHECK(minimum == -3.5 && maximum == -3.5 && value == -3.5 && unit == -35 && info == -35 &&
                               mainInfo == -35 && enums == -35 && enumIndex == -35,
                           "index %d wrote an output", index);
        for (int i = 0; i < 80; ++i)
            QUENLOR_FUZZ_CHECK(label[i] == '#' && longName[i] == '#' && shortName[i] == '#',
                               "index %d wrote a text", index);
    }
    // The library reads at most 100 characters of the host's text, whatever
    // length it is told; a read past this buffer is a sanitizer report.
    const auto text = std::make_unique<char[]>(100);
    std::memset(text.get(), 'p', 100);
    const std::int32_t lengths[] = {INT32_MIN, -1, 0, 1, 99, 100, 101, 1000, INT32_MAX};
    EL_SetDllPath(text.get(), in.ConsumeBool() ? in.PickValueInArray(lengths) : in.ConsumeIntegral<std::int32_t>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    ModelState& state = *fixture.state;
    FuzzedDataProvider in(data, size);

    checkCatalogueAndPath(in);

    // Host values.
    double parameters[kParameterCount];
    double layer[kLayerValueCount];
    for (int i = 0; i < kParameterCount; ++i)
        parameters[i] = in.ConsumeBool() ? hostileValue(in, kCatalogueDefaults[i] == 0.0 ? 1.0 : kCatalogueDefaults[i])
                                         : kCatalogueDefaults[i];
    for (int i = 0; i < kLayerValueCount; ++i)
        layer[i] = in.ConsumeBool() ? hostileValue(in, kDefaultLayerValues[i] == 0.0 ? 1.0 : kDefaultLayerValues[i])
                                    : kDefaultLayerValues[i];

    // Control values.
    ControlRecord control = templateControl();
    const int changes = in.ConsumeIntegralInRange(0, 8);
    for (int k = 0; k < changes; ++k) {
        const ControlFieldInfo& info = controlField(in.ConsumeIntegralInRange(1, kControlRecordCount));
        if (info.kind == ControlFieldKind::integer)
            control.*info.integer = controlInteger(in);
        else
            control.*info.real = controlReal(in, control.*info.real);
    }
    fitBudget(control);
    std::string text = controlText(control);

    // Which files the run finds, and how the control file may be damaged.
    enum Scenario { zeroGrid, planeGrid, negativeGrid, noControlFile, noGridFile, noSeparator, damagedText, cutShort };
    const Scenario scenario = in.PickValueInArray({zeroGrid, zeroGrid, zeroGrid, planeGrid, planeGrid, negativeGrid,
                                                   noControlFile, noGridFile, noSeparator, damagedText, cutShort});
    if (scenario == damagedText && !text.empty()) {
        const std::size_t at = in.ConsumeIntegralInRange<std::size_t>(0, text.size() - 1);
        const std::string insert = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(1, 24));
        text.replace(at, in.ConsumeIntegralInRange<std::size_t>(0, insert.size()), insert);
    } else if (scenario == cutShort) {
        text.resize(in.ConsumeIntegralInRange<std::size_t>(0, text.size()));
    }
    std::string directory = scenario == planeGrid      ? fixture.planeGrid
                            : scenario == negativeGrid ? fixture.negativeGrid
                            : scenario == noGridFile   ? fixture.withoutGrid
                                                       : fixture.zeroGrid;
    const std::string controlPath = directory + kControlFileName;
    if (scenario == noControlFile)
        std::remove(controlPath.c_str());
    else
        quenlor::fuzz::writeFile(controlPath, text.data(), text.size());
    if (scenario == noSeparator) directory.pop_back();

    // Host times of the solution requests.
    std::vector<double> hostTimes = {kNaN, kInf, -kInf, 0.0, -1.0, 1e-300, 1e300};
    while (hostTimes.size() < 12 && in.remaining_bytes() > 0) hostTimes.push_back(hostileValue(in, 1e3));

    // What the run should see of its files.
    ControlRecord fileControl{};
    Silent silent;
    const bool runs = scenario != noControlFile && scenario != noGridFile && scenario != noSeparator;
    const bool readable = runs && readControlFile(controlPath.c_str(), fileControl, silent);
    if (readable) {
        // Damage may have turned a count into a legal but long run: skip it.
        ControlRecord fitted = fileControl;
        fitBudget(fitted);
        if (!sameControl(fitted, fileControl)) return 0;
    }

    *fixture.before = state;
    setDataDirectory(state, directory.data(), static_cast<int>(directory.size()));
    setActiveLayer(state, kParameterCount, parameters, layer);

    const ResponseTable& table = state.table;
    const ModelState& before = *fixture.before;
    ++outcomes.inputs;
    if (!runs)
        ++outcomes.withoutRun;
    else if (!readable)
        ++outcomes.unreadable;
    else if (table.count == 1)
        ++outcomes.originOnly;
    else
        ++outcomes.rowsAppended;
    QUENLOR_FUZZ_CHECK(table.count >= 0 && table.count <= kTableCapacity, "count %d", table.count);
    QUENLOR_FUZZ_CHECK(table.count >= 1 || before.table.count == 0, "count %d after %d", table.count,
                       before.table.count);
    QUENLOR_FUZZ_CHECK(table.time[1] == 0.0 && table.value[1] == 0.0, "origin row (%g, %g)", table.time[1],
                       table.value[1]);
    if (!readable) {
        QUENLOR_FUZZ_CHECK(sameTable(table, before.table), "table changed without a readable control file");
        QUENLOR_FUZZ_CHECK(sameControl(state.control, before.control), "control record changed");
        QUENLOR_FUZZ_CHECK(std::memcmp(&state.grid, &before.grid, sizeof state.grid) == 0, "grid changed");
    } else {
        QUENLOR_FUZZ_CHECK(table.count >= 1, "count %d after a run", table.count);
        if (table.count > 1) {
            const std::vector<double> planned = plannedTimes(fileControl);
            QUENLOR_FUZZ_CHECK(static_cast<std::size_t>(table.count - 1) == planned.size(),
                               "%d rows appended, %zu planned", table.count - 1, planned.size());
            for (int i = 2; i <= table.count; ++i)
                QUENLOR_FUZZ_CHECK(quenlor::fuzz::sameBits(table.time[i], planned[static_cast<std::size_t>(i - 2)]),
                                   "row %d at %.17g, planned %.17g", i, table.time[i],
                                   planned[static_cast<std::size_t>(i - 2)]);
        }
    }

    for (double hostTime : hostTimes) {
        const double held = state.heldResult;
        const double result = lookupResponse(state, hostTime);
        if (table.count - 1 < 3)
            QUENLOR_FUZZ_CHECK(quenlor::fuzz::sameBits(result, held), "short table answered %g, held %g", result, held);
        double exported = 0.0;
        EL_GetRealSpaceSolution(hostTime, &exported);
    }
    return 0;
}

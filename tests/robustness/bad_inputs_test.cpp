// Bad inputs, each with what the model does with it: the one diagnostic
// line it prints on standard error (or that it prints nothing), the
// response table it leaves (the previous rows, the origin row only, or a
// complete run's rows), and that nothing else in the model's state changes.
//
// Before each case the state is primed as if an earlier run had left it:
// a table of six rows, a held lookup result, marker values in the control
// record, the grid, the derived groups, the Stehfest weights, the fits and
// the march records, so that a part that changes when it should not is
// seen. The good inputs are a small run (closure model 5, four injection
// steps, two fall-off periods); a complete run appends the rows that the
// marches' clock gives: equal steps by repeated addition through the
// injection and the fall-off, then the tail's steps by repeated
// multiplication up to the end time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "datafiles/control_file.h"
#include "interface/exports.h"
#include "interface/intake.h"
#include "interface/response_lookup.h"
#include "state/default_case.h"
#include "support/test_files.h"

namespace quenlor {
namespace {

using testing_support::controlFileText;
using testing_support::kCatalogueDefaults;
using testing_support::makeScratchDirectory;
using testing_support::writeText;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The small run of the other tests, with fewer sweep and injection steps.
ControlRecord goodControl() {
    ControlRecord c = testing_support::smallControl();
    c.timeStepCount = 10;
    c.stepsPerInjection = 4;
    return c;
}

std::string gridText(double (*value)(int a, int b)) {
    std::string text;
    char number[40];
    for (int a = 1; a <= kGridSize; ++a)
        for (int b = 1; b <= kGridSize; ++b) {
            std::snprintf(number, sizeof number, "%.15g%c", value(a, b), b == kGridSize ? '\n' : ' ');
            text += number;
        }
    return text;
}

const std::string& defaultGridText() {
    static const std::string text = gridText([](int, int b) { return (b - 1) * 0.025; });
    return text;
}

// What a case hands the model; each case changes the good inputs.
struct Inputs {
    std::string control = controlFileText(goodControl());
    std::string grid = defaultGridText();
    bool writeControl = true;
    bool writeGrid = true;
    bool separator = true;
    double parameters[kParameterCount];
    double layer[kLayerValueCount];
    // When set, the case does this instead of handing over a parameter set.
    std::function<void(ModelState&)> act;
    Inputs() {
        std::memcpy(parameters, kCatalogueDefaults, sizeof parameters);
        std::memcpy(layer, kDefaultLayerValues, sizeof layer);
    }
};

// Offset of line n (1-based) of a text, or of its value field.
std::size_t lineStart(const std::string& text, int n) {
    std::size_t at = 0;
    for (int i = 1; i < n; ++i) at = text.find('\n', at) + 1;
    return at;
}
std::size_t fieldStart(const std::string& text, int n) { return lineStart(text, n) + 11; }

void setField(Inputs& in, int record, const std::string& field) {
    const int width = controlValueLastColumn(record) - controlValueFirstColumn() + 1;
    std::string padded = field;
    padded.insert(0, static_cast<std::size_t>(std::max(0, width - static_cast<int>(field.size()))), ' ');
    in.control.replace(fieldStart(in.control, record), static_cast<std::size_t>(width), padded);
}

void cutAfterLines(Inputs& in, int lines) { in.control.resize(lineStart(in.control, lines + 1)); }

std::function<void(Inputs&)> withControl(void (*change)(ControlRecord&)) {
    return [change](Inputs& in) {
        ControlRecord c = goodControl();
        change(c);
        in.control = controlFileText(c);
    };
}

// What the state looks like afterwards.
enum class Outcome {
    untouched,  // nothing in the state changes
    pathOnly,   // only the directory text changes
    noRun,      // the host's values are stored; no run, the previous rows stay
    abandoned,  // a data file is unreadable: the run stops before the table restarts
    rejected,   // the controls are refused after the set-up: the origin row only, no sweep
    sweepOnly,  // a first sweep runs and appends nothing: the origin row only
    complete,   // every planned row is appended
    sameCurve,  // every planned row is appended, the rows those of the good inputs
    never,      // (for parts that no case may change)
};

struct Case {
    const char* name;
    std::function<void(Inputs&)> prepare;
    Outcome outcome;
    const char* diagnostic;  // text the one line on standard error holds; null: nothing printed
};

const Case kCases[] = {
    // The good inputs, and changes that must not matter.
    {"the good inputs", [](Inputs&) {}, Outcome::complete, nullptr},
    {"an overlong line",
     [](Inputs& in) { in.control.insert(lineStart(in.control, 6) - 1, std::string(3000, 'x')); },
     Outcome::sameCurve, nullptr},
    {"CR LF line ends",
     [](Inputs& in) {
         std::string text;
         for (char c : in.control) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
         in.control = text;
     },
     Outcome::sameCurve, nullptr},
    {"a NUL byte in a label", [](Inputs& in) { in.control[lineStart(in.control, 3) + 4] = '\0'; },
     Outcome::sameCurve, nullptr},

    // Missing files and directory texts.
    {"no control file", [](Inputs& in) { in.writeControl = false; }, Outcome::noRun, nullptr},
    {"no grid file", [](Inputs& in) { in.writeGrid = false; }, Outcome::noRun, nullptr},
    {"a directory text without its separator", [](Inputs& in) { in.separator = false; }, Outcome::noRun, nullptr},

    // Control files that cannot be read.
    {"an empty control file", [](Inputs& in) { cutAfterLines(in, 0); }, Outcome::abandoned,
     "the file ends after 0 lines"},
    {"a control file cut after line 1", [](Inputs& in) { cutAfterLines(in, 1); }, Outcome::abandoned,
     "the file ends after 1 lines"},
    {"a control file cut after line 12", [](Inputs& in) { cutAfterLines(in, 12); }, Outcome::abandoned,
     "the file ends after 12 lines"},
    {"a control file cut after line 27", [](Inputs& in) { cutAfterLines(in, 27); }, Outcome::abandoned,
     "the file ends after 27 lines"},
    {"a control file cut after line 39", [](Inputs& in) { cutAfterLines(in, 39); }, Outcome::abandoned,
     "the file ends after 39 lines"},
    {"letters in a real field", [](Inputs& in) { setField(in, 12, "abc"); }, Outcome::abandoned,
     "line 12, columns 12-31: fractureDiffusivity: 'abc' is not a number"},
    {"letters in an integer field", [](Inputs& in) { setField(in, 37, "four"); }, Outcome::abandoned,
     "line 37, columns 12-19: stepsPerInjection: 'four' is not an integer"},
    {"a field with two points", [](Inputs& in) { setField(in, 16, "0.01.5"); }, Outcome::abandoned,
     "line 16, columns 12-31: injectionDuration: '0.01.5' is not a number"},
    {"a real beyond the double range", [](Inputs& in) { setField(in, 27, "1.0E+999"); }, Outcome::abandoned,
     "line 27, columns 12-31: simulationEndTime: '1.0E+999' is out of range"},
    {"a sign alone in an integer field", [](Inputs& in) { setField(in, 32, "-"); }, Outcome::abandoned,
     "line 32, columns 12-19: timeStepCount: '-' is not an integer"},

    // Grid files that cannot be read.
    {"a grid short by one value",
     [](Inputs& in) {
         in.grid.pop_back();  // the last line end
         in.grid.resize(in.grid.rfind(' '));
     },
     Outcome::abandoned, "the file ends in record 201 after 200 of its 201 values"},
    {"a grid with text",
     [](Inputs& in) {
         const std::size_t at = lineStart(in.grid, 100);  // record 100 is line 100
         in.grid.replace(at, in.grid.find(' ', at) - at, "n/a");
     },
     Outcome::abandoned, "line 100, columns 1-3: record 100, value 1: 'n/a' is not a number"},

    // Controls the method cannot run with.
    {"no sweep steps", withControl([](ControlRecord& c) { c.timeStepCount = 0; }), Outcome::rejected,
     "line 32, columns 12-19: timeStepCount is 0"},
    {"first sweep starting at zero", withControl([](ControlRecord& c) { c.firstPassStartTime = 0.0; }),
     Outcome::rejected, "line 9, columns 12-31: firstPassStartTime is 0"},
    {"first sweep starting below zero", withControl([](ControlRecord& c) { c.firstPassStartTime = -1e-4; }),
     Outcome::rejected, "line 9, columns 12-31: firstPassStartTime is -0.0001"},
    {"first sweep ending at its start", withControl([](ControlRecord& c) { c.firstPassEndTime = 1e-4; }),
     Outcome::rejected, "line 10, columns 12-31: firstPassEndTime is 0.0001"},
    {"an odd number of Stehfest terms", withControl([](ControlRecord& c) { c.stehfestTerms = 11; }),
     Outcome::rejected, "line 28, columns 12-19: stehfestTerms is 11"},
    {"no Stehfest terms", withControl([](ControlRecord& c) { c.stehfestTerms = 0; }), Outcome::rejected,
     "line 28, columns 12-19: stehfestTerms is 0"},
    {"twenty Stehfest terms", withControl([](ControlRecord& c) { c.stehfestTerms = 20; }), Outcome::rejected,
     "line 28, columns 12-19: stehfestTerms is 20"},
    {"zero fracture diffusivity", withControl([](ControlRecord& c) { c.fractureDiffusivity = 0.0; }),
     Outcome::rejected, "line 12, columns 12-31: fractureDiffusivity is 0"},
    {"negative fracture diffusivity", withControl([](ControlRecord& c) { c.fractureDiffusivity = -5.0; }),
     Outcome::rejected, "line 12, columns 12-31: fractureDiffusivity is -5"},
    {"a negative apparent skin",
     [](Inputs& in) { in.grid = gridText([](int, int) { return -0.5; }); }, Outcome::rejected,
     "the apparent skin looked up for 2/FcD = 2 and |skin| = 0 is -0.5"},
    {"no injection steps", withControl([](ControlRecord& c) { c.stepsPerInjection = 0; }), Outcome::rejected,
     "line 37, columns 12-19: stepsPerInjection is 0"},
    {"no injection time", withControl([](ControlRecord& c) { c.injectionDuration = 0.0; }), Outcome::rejected,
     "line 16, columns 12-31: injectionDuration is 0"},
    {"closure model -1", withControl([](ControlRecord& c) { c.closureModel = -1; }), Outcome::rejected,
     "line 39, columns 12-19: closureModel is -1"},
    {"closure model 6", withControl([](ControlRecord& c) { c.closureModel = 6; }), Outcome::rejected,
     "line 39, columns 12-19: closureModel is 6"},
    {"negative fall-off periods", withControl([](ControlRecord& c) { c.falloffPeriods = -1; }), Outcome::rejected,
     "line 35, columns 12-19: falloffPeriods is -1"},
    {"one row more than the table holds",
     withControl([](ControlRecord& c) {
         c.stepsPerInjection = 5000;  // 1 + 5000 (2 + 0) rows
         c.falloffPeriods = 0;
     }),
     Outcome::rejected, "make 10001 rows; the table holds 10000"},
    {"passes beyond the table",
     withControl([](ControlRecord& c) { c.passCount = 2500; }),  // 1 + 2500 x 4 rows
     Outcome::rejected, "line 31, columns 12-19: 2500 passes of 4 steps append 10001 rows"},
    {"second sweep starting at zero", withControl([](ControlRecord& c) { c.linearPassStartTime = 0.0; }),
     Outcome::rejected, "line 18, columns 12-31: linearPassStartTime is 0"},
    {"second sweep ending before its start", withControl([](ControlRecord& c) { c.linearPassEndTime = 5e-5; }),
     Outcome::rejected, "line 19, columns 12-31: linearPassEndTime is 5e-05"},
    {"a tail with three steps before it",
     withControl([](ControlRecord& c) {
         c.stepsPerInjection = 1;  // the tail's first step is entry 1 x (1 + 2) + 1 = 4
         c.falloffPeriods = 2;
     }),
     Outcome::rejected, "the tail needs four fall-off steps before it"},
    {"an end time inside the fall-off", withControl([](ControlRecord& c) { c.simulationEndTime = 0.02; }),
     Outcome::rejected, "line 27, columns 12-31: simulationEndTime is 0.02"},

    // Controls that run nothing, or a first sweep only: no rule applies.
    {"no passes",
     withControl([](ControlRecord& c) {
         c.passCount = 0;
         c.timeStepCount = 0;
     }),
     Outcome::rejected, nullptr},
    {"a geometric first sweep with no march values",
     withControl([](ControlRecord& c) {
         c.timeSpacingMode = 4;
         c.stepsPerInjection = 0;
         c.closureModel = 9;
     }),
     Outcome::sweepOnly, nullptr},

    // Host values are not validated; none may fault.
    {"every parameter NaN", [](Inputs& in) { std::fill_n(in.parameters, kParameterCount, kNaN); },
     Outcome::rejected, "the apparent skin looked up for 2/FcD = nan and |skin| = nan"},
    {"a NaN face skin", [](Inputs& in) { in.parameters[1] = kNaN; }, Outcome::rejected, "|skin| = nan"},
    {"zero conductivity", [](Inputs& in) { in.parameters[5] = 0.0; }, Outcome::rejected, "2/FcD = inf"},
    {"every parameter infinite", [](Inputs& in) { std::fill_n(in.parameters, kParameterCount, kInf); },
     Outcome::complete, nullptr},
    {"every parameter minus infinity", [](Inputs& in) { std::fill_n(in.parameters, kParameterCount, -kInf); },
     Outcome::complete, nullptr},
    {"every parameter zero but the conductivity",
     [](Inputs& in) {
         std::fill_n(in.parameters, kParameterCount, 0.0);
         in.parameters[5] = 1.0;
     },
     Outcome::complete, nullptr},
    {"every parameter negative", [](Inputs& in) { std::fill_n(in.parameters, kParameterCount, -1.0); },
     Outcome::complete, nullptr},
    {"every parameter huge", [](Inputs& in) { std::fill_n(in.parameters, kParameterCount, 1e300); },
     Outcome::complete, nullptr},
    {"every layer value NaN", [](Inputs& in) { std::fill_n(in.layer, kLayerValueCount, kNaN); },
     Outcome::complete, nullptr},
    {"every layer value infinite", [](Inputs& in) { std::fill_n(in.layer, kLayerValueCount, kInf); },
     Outcome::complete, nullptr},
    {"every layer value zero", [](Inputs& in) { std::fill_n(in.layer, kLayerValueCount, 0.0); },
     Outcome::complete, nullptr},
    {"every layer value negative", [](Inputs& in) { std::fill_n(in.layer, kLayerValueCount, -1.0); },
     Outcome::complete, nullptr},

    // Solution requests at times no table row can match: the held result.
    {"NaN and infinite host times",
     [](Inputs& in) {
         in.act = [](ModelState& s) {
             const double held = s.heldResult;
             for (double t : {kNaN, kInf, 1e300}) {
                 const double p = lookupResponse(s, t);
                 EXPECT_EQ(p, held) << t;
             }
         };
     },
     Outcome::untouched, nullptr},

    // The exported functions with arguments outside what the host passes.
    {"catalogue indices outside 1..12",
     [](Inputs& in) {
         in.act = [](ModelState&) {
             for (std::int32_t index : {INT32_MIN, -1, 0, 13, INT32_MAX}) {
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
                 EXPECT_TRUE(minimum == -3.5 && maximum == -3.5 && value == -3.5 && unit == -35 && info == -35 &&
                             mainInfo == -35 && enums == -35 && enumIndex == -35)
                     << index;
                 EXPECT_EQ(std::string(label, 80), std::string(80, '#')) << index;
                 EXPECT_EQ(std::string(longName, 80), std::string(80, '#')) << index;
                 EXPECT_EQ(std::string(shortName, 80), std::string(80, '#')) << index;
             }
         };
     },
     Outcome::untouched, nullptr},
    {"a negative directory length",
     [](Inputs& in) {
         in.act = [](ModelState& s) {
             for (std::int32_t n : {-1, INT32_MIN}) {
                 EL_SetDllPath("/somewhere/", n);
                 setDataDirectory(s, "/somewhere/", n);
                 EXPECT_EQ(std::string(s.dllPath.chars, kDllPathLength), std::string(kDllPathLength, ' '));
             }
         };
     },
     Outcome::pathOnly, nullptr},
    {"a zero directory length",
     [](Inputs& in) {
         in.act = [](ModelState& s) {
             EL_SetDllPath(nullptr, 0);
             setDataDirectory(s, nullptr, 0);
             EXPECT_EQ(std::string(s.dllPath.chars, kDllPathLength), std::string(kDllPathLength, ' '));
         };
     },
     Outcome::pathOnly, nullptr},
    {"over-long directory lengths",
     [](Inputs& in) {
         in.act = [](ModelState& s) {
             // A buffer of exactly 100 characters: reading one more is a
             // fault under the address sanitizer.
             const auto text = std::make_unique<char[]>(kDllPathLength);
             for (int i = 0; i < kDllPathLength; ++i) text[i] = static_cast<char>('a' + i % 26);
             for (std::int32_t n : {101, 4096, INT32_MAX}) {
                 EL_SetDllPath(text.get(), n);
                 setDataDirectory(s, text.get(), n);
                 EXPECT_EQ(std::string(s.dllPath.chars, kDllPathLength), std::string(text.get(), kDllPathLength));
             }
         };
     },
     Outcome::pathOnly, nullptr},
};

// --- The primed state and its comparison, part by part. ---

void prime(ModelState& s) {
    s.parameters = {300.0, 0.0, 200.0, 15.0, 15.0, 1.0, 20.0, 20.0, 0.01, 2.0, 130000.0, 0.25};
    s.layer = {0.1, 20.0, 0.3, 1.0, 1e-5, 0.08, 10.0};
    s.table.count = 6;
    for (int i = 2; i <= 6; ++i) {
        s.table.time[i] = i * 1e-3;
        s.table.value[i] = 0.5 * i;
    }
    s.heldResult = 0.75;
    for (int n = 1; n <= kControlRecordCount; ++n) {
        const ControlFieldInfo& info = controlField(n);
        if (info.kind == ControlFieldKind::integer)
            s.control.*info.integer = -3;
        else
            s.control.*info.real = -3.25;
    }
    for (int a = 1; a <= kGridSize; ++a)
        for (int b = 1; b <= kGridSize; ++b) s.grid.at(a, b) = 7.5;
    s.derived.apparentSkin = 0.125;
    s.derived.dimensionlessFractureStorage = 0.125;
    s.laplace.conductivity = 0.125;
    s.fits.pressureFitScale = 0.125;
    s.fits.fallOffPressureFitExponent = 0.125;
    for (int i = 1; i <= kMaxStehfestTerms; ++i) s.stehfest.weights[i] = 0.0625 * i;
    s.stehfest.builtFor = 6;
    s.march.currentTime = 0.375;
    s.march.recordCount = 3;
    for (int i = 0; i <= 3; ++i) {
        s.march.timeRecord[i] = 0.5 * i;
        s.march.pressureRecord[i] = 0.25 * i;
    }
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

template <class T>
bool sameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

bool sameControl(const ControlRecord& a, const ControlRecord& b) {
    for (int n = 1; n <= kControlRecordCount; ++n) {
        const ControlFieldInfo& info = controlField(n);
        if (info.kind == ControlFieldKind::integer ? a.*info.integer != b.*info.integer
                                                   : !sameBits(a.*info.real, b.*info.real))
            return false;
    }
    return true;
}

bool sameRows(const ResponseTable& a, const ResponseTable& b, int from, int to) {
    for (int i = from; i <= to; ++i)
        if (!sameBits(a.time[i], b.time[i]) || !sameBits(a.value[i], b.value[i])) return false;
    return true;
}

bool sameMarch(const MarchState& a, const MarchState& b) {
    return sameBits(a.currentTime, b.currentTime) && a.recordCount == b.recordCount &&
           sameBytes(a.timeRecord, b.timeRecord) && sameBytes(a.pressureRecord, b.pressureRecord);
}

struct Part {
    const char* name;
    bool (*same)(const ModelState&, const ModelState&);
    Outcome firstAllowedToChange;  // the outcomes from this one on may change the part
};

// Outcomes in the order of how far the model gets; a part that a step
// writes may change in every outcome that reaches that step.
const Part kParts[] = {
    {"directory text", [](const ModelState& a, const ModelState& b) { return sameBytes(a.dllPath, b.dllPath); },
     Outcome::pathOnly},
    {"host values",
     [](const ModelState& a, const ModelState& b) {
         return sameBytes(a.parameters, b.parameters) && sameBytes(a.layer, b.layer) &&
                sameBits(a.effectiveCompressibility, b.effectiveCompressibility) &&
                sameBytes(a.workingPath, b.workingPath);
     },
     Outcome::noRun},
    {"control record", [](const ModelState& a, const ModelState& b) { return sameControl(a.control, b.control); },
     Outcome::rejected},
    {"grid", [](const ModelState& a, const ModelState& b) { return sameBytes(a.grid, b.grid); }, Outcome::rejected},
    {"derived groups",
     [](const ModelState& a, const ModelState& b) {
         return sameBytes(a.derived, b.derived) && sameBytes(a.laplace, b.laplace);
     },
     Outcome::rejected},
    {"response table",
     [](const ModelState& a, const ModelState& b) {
         return a.table.count == b.table.count && sameRows(a.table, b.table, 1, kTableCapacity);
     },
     Outcome::rejected},
    {"Stehfest weights",
     [](const ModelState& a, const ModelState& b) {
         return sameBytes(a.stehfest.weights, b.stehfest.weights) && a.stehfest.builtFor == b.stehfest.builtFor;
     },
     Outcome::sweepOnly},
    {"march records", [](const ModelState& a, const ModelState& b) { return sameMarch(a.march, b.march); },
     Outcome::sweepOnly},
    {"fits", [](const ModelState& a, const ModelState& b) { return sameBytes(a.fits, b.fits); }, Outcome::complete},
    {"held result", [](const ModelState& a, const ModelState& b) { return sameBits(a.heldResult, b.heldResult); },
     Outcome::never},
};

// The rows' times by the marches' clock for the controls c.
std::vector<double> plannedTimes(const ControlRecord& c) {
    std::vector<double> times;
    const double step = c.injectionDuration / c.stepsPerInjection;
    double t = 0.0;
    for (int i = 0; i < c.stepsPerInjection * (1 + c.falloffPeriods); ++i) times.push_back(t += step);
    const double ratio = std::pow(c.simulationEndTime / t, 1.0 / c.stepsPerInjection);
    for (int i = 0; i < c.stepsPerInjection; ++i) times.push_back(t *= ratio);
    return times;
}

TEST(BadInputs, EachHasItsDiagnosticItsTableAndChangesNothingElse) {
    const auto state = std::make_unique<ModelState>();
    const auto before = std::make_unique<ModelState>();
    const std::vector<double> planned = plannedTimes(goodControl());
    ASSERT_EQ(planned.size(), 16u);
    const auto blank = std::make_unique<ModelState>();
    const auto goodRows = std::make_unique<ResponseTable>();
    ASSERT_EQ(kCases[0].outcome, Outcome::complete);

    for (const Case& k : kCases) {
        SCOPED_TRACE(k.name);
        Inputs in;
        k.prepare(in);
        const std::string dir = makeScratchDirectory();
        if (in.writeControl) writeText(dir + kControlFileName, in.control);
        if (in.writeGrid) writeText(dir + kGridFileName, in.grid);
        const std::string directory = in.separator ? dir : dir.substr(0, dir.size() - 1);

        *state = *blank;
        prime(*state);
        setDataDirectory(*state, directory.data(), static_cast<int>(directory.size()));
        *before = *state;

        ::testing::internal::CaptureStderr();
        if (in.act)
            in.act(*state);
        else
            setActiveLayer(*state, kParameterCount, in.parameters, in.layer);
        const std::string err = ::testing::internal::GetCapturedStderr();

        // The diagnostic: one line holding the expected text, or nothing.
        if (k.diagnostic) {
            EXPECT_NE(err.find(k.diagnostic), std::string::npos) << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
            EXPECT_EQ(err.rfind("quenlor: ", 0), 0u) << err;
        } else {
            EXPECT_EQ(err, "");
        }

        // The table.
        const ResponseTable& table = state->table;
        ASSERT_GE(table.count, 1);
        ASSERT_LE(table.count, kTableCapacity);
        EXPECT_TRUE(table.time[1] == 0.0 && table.value[1] == 0.0);
        switch (k.outcome) {
            case Outcome::untouched:
            case Outcome::pathOnly:
            case Outcome::noRun:
            case Outcome::abandoned:
                EXPECT_EQ(table.count, before->table.count);
                EXPECT_TRUE(sameRows(table, before->table, 1, kTableCapacity));
                break;
            case Outcome::rejected:
            case Outcome::sweepOnly:
                EXPECT_EQ(table.count, 1);
                EXPECT_TRUE(sameRows(table, before->table, 2, kTableCapacity)) << "rows beyond the count rewritten";
                break;
            case Outcome::complete:
            case Outcome::sameCurve:
            case Outcome::never:
                ASSERT_EQ(table.count, 1 + static_cast<int>(planned.size()));
                for (int i = 2; i <= table.count; ++i)
                    EXPECT_EQ(table.time[i], planned[static_cast<std::size_t>(i - 2)]) << "row " << i;
                if (&k == &kCases[0]) {  // the good inputs: a sane curve
                    *goodRows = table;
                    for (int i = 2; i <= table.count; ++i) EXPECT_TRUE(std::isfinite(table.value[i])) << "row " << i;
                }
                if (k.outcome == Outcome::sameCurve) {
                    EXPECT_TRUE(sameRows(table, *goodRows, 1, table.count));
                }
                break;
        }

        // Nothing else changed.
        for (const Part& part : kParts) {
            if (k.outcome >= part.firstAllowedToChange) continue;
            EXPECT_TRUE(part.same(*state, *before)) << part.name << " changed";
        }

        // Every solution request afterwards returns.
        for (double t : {kNaN, kInf, -kInf, 0.0, -1.0, 1e-300, 1.0, 1e4, 1e300}) (void)lookupResponse(*state, t);
    }
}

}  // namespace
}  // namespace quenlor

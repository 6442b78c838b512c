// quenlor fit: synthetic fall-offs made by the model itself from known
// parameters, with Gaussian noise of a stated size from a fixed-seed
// generator, must come back within the fit's reported intervals when the
// fit starts away from the truth; a parameter the data cannot see must
// come back as not determined; bad inputs are refused with one line.
//
// The data directory is the leak-off example (data/examples/leak-off):
// injection of 0.01 in half-length time, 150 equal fall-off periods, with
// a layer in which the fall-off is shaped by leak-off, not by storage.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <numbers>
#include <random>

#include "cli_test_support.h"
#include "fit.h"
#include "fit_data.h"
#include "fit_model.h"
#include "interface/catalogue.h"

namespace quenlor {
namespace {

using namespace cli_testing;

const std::string kExampleControl = kSourceDir + "/data/examples/leak-off/e_Quenlor Input.dat";

// The layer of the example: k 50 md, h 20 ft, rw 0.3 ft, mu 1 cp,
// ct 1e-3 1/psi, phi 0.08, qB 2400 bbl/day.
constexpr std::array<double, 9> kExampleLayer = {50.0, 20.0, 0.3, 0.0, 0.0, 1.0, 1e-3, 0.08, 2400.0};

std::vector<CatalogueInfo> catalogue() {
    std::vector<CatalogueInfo> list;
    for (int i = 1; i <= 12; ++i) {
        const CatalogueEntry* e = catalogueEntry(i);
        list.push_back({e->longName, e->shortName, e->minimum, e->maximum, e->defaultValue, e->unitCode});
    }
    return list;
}

ModelInputs exampleInputs(const std::map<int, double>& parameters) {
    ModelInputs in = defaultInputs(catalogue());
    for (int i = 0; i < 9; ++i) in.layer[i] = kExampleLayer[i];
    for (const auto& [index, value] : parameters) in.parameters[index] = value;
    return in;
}

std::string exampleDirectory() { return dataDirectory(readText(kExampleControl)); }

// n shut-in times evenly spaced in log time from first to last.
std::vector<double> logTimes(double first, double last, int n) {
    std::vector<double> t(n);
    for (int i = 0; i < n; ++i) t[i] = first * std::pow(last / first, static_cast<double>(i) / (n - 1));
    return t;
}

// Standard normal deviates by the Box-Muller transform of uniform numbers
// from a 64-bit Mersenne twister, whose sequence the standard fixes.
std::vector<double> normalDeviates(std::size_t n, std::uint64_t seed) {
    std::mt19937_64 engine(seed);
    const auto uniform = [&] { return (static_cast<double>(engine() >> 11) + 0.5) / 9007199254740992.0; };
    std::vector<double> out;
    while (out.size() < n) {
        const double r = std::sqrt(-2.0 * std::log(uniform()));
        const double a = 2.0 * std::numbers::pi * uniform();
        out.push_back(r * std::cos(a));
        if (out.size() < n) out.push_back(r * std::sin(a));
    }
    return out;
}

struct Synthetic {
    std::vector<double> dt, dp;
};

// The model's fall-off for the truth, with noise of standard deviation
// sigma psi added.
Synthetic synthesise(const std::string& dir, const ModelInputs& truth, double tp, const std::vector<double>& dt,
                     double sigma, std::uint64_t seed) {
    FallOffModel model(dir);
    const ModelFallOff clean = model.evaluate(truth, tp, dt, false, 0.1);
    EXPECT_TRUE(clean.ran);
    EXPECT_EQ(clean.pastLastRow, 0);
    const std::vector<double> noise = normalDeviates(dt.size(), seed);
    Synthetic s{dt, clean.pressureChange};
    for (std::size_t i = 0; i < dt.size(); ++i) s.dp[i] += sigma * noise[i];
    return s;
}

// --- recovery of known parameters ---------------------------------------

struct RecoveryCase {
    const char* name;
    std::map<int, double> truth;     // catalogue index (0-based) -> value
    std::map<int, double> start;     // the fitted parameters' start values
    double injectionHours;
    double firstHours, lastHours;
    int points;
    double sigma;  // psi
    std::uint64_t seed;
};

const RecoveryCase kRecoveryCases[] = {
    // Half length, conductivity and the closure time during the fall-off.
    {"HalfLengthConductivityClosure",
     {{kHalfLengthIndex, 200.0}, {5, 1.0}, {kClosureTimeIndex, 4.0}},
     {{kHalfLengthIndex, 300.0}, {5, 3.0}, {kClosureTimeIndex, 5.0}},
     2.5, 0.4, 100.0, 50, 0.5, 1},
    // A shorter, more conductive fracture in stiffer rock; closure held.
    {"HalfLengthConductivityModulus",
     {{kHalfLengthIndex, 150.0}, {5, 3.0}, {kYoungModulusIndex, 3.0e5}, {kClosureTimeIndex, 3.0}},
     {{kHalfLengthIndex, 120.0}, {5, 5.0}, {kYoungModulusIndex, 5.0e5}},
     1.5, 0.2, 60.0, 50, 0.3, 2},
};

void PrintTo(const RecoveryCase& c, std::ostream* out) { *out << c.name; }

class Recovery : public ::testing::TestWithParam<RecoveryCase> {};

TEST_P(Recovery, KnownValuesLieWithinTheReportedIntervals) {
    const RecoveryCase& c = GetParam();
    const std::string dir = exampleDirectory();
    const ModelInputs truth = exampleInputs(c.truth);
    const Synthetic data =
        synthesise(dir, truth, c.injectionHours, logTimes(c.firstHours, c.lastHours, c.points), c.sigma, c.seed);

    FitSetup setup;
    setup.dataDirectory = dir;
    setup.start = truth;
    for (const auto& [index, value] : c.start) setup.start.parameters[index] = value;
    for (const auto& [index, value] : c.start)
        setup.parameters.push_back(
            makeFitParameter(catalogue(), catalogue()[index].shortName, setup.start, {}, {}, {}));
    setup.injectionHours = c.injectionHours;
    setup.shutInHours = data.dt;
    setup.pressureChange = data.dp;
    setup.threads = 2;
    const FitResult r = fitFallOff(setup);

    ASSERT_TRUE(r.converged) << r.stopReason;
    ASSERT_EQ(r.parameters.size(), c.start.size());
    for (std::size_t j = 0; j < setup.parameters.size(); ++j) {
        const FitParameter& p = setup.parameters[j];
        const FittedParameter& f = r.parameters[j];
        const double known = truth.parameters[p.index];
        SCOPED_TRACE(p.name);
        std::printf("    %s: known %.6g, fitted %.6g, %g %% interval %.6g to %.6g (start %.6g)\n", p.name.c_str(), known,
                    f.value, 100.0 * setup.confidence, f.low, f.high, p.start);
        EXPECT_TRUE(f.determined);
        EXPECT_LE(f.low, known);
        EXPECT_GE(f.high, known);
        // The intervals are informative, and the start lay outside them.
        EXPECT_LT(f.high / f.low, 1.15);
        EXPECT_TRUE(p.start < f.low || p.start > f.high);
    }
    std::printf("    s = %.4g psi (noise %.4g psi), %d iterations, %d model runs, %.2f s on %d threads\n",
                r.standardError, c.sigma, r.iterations, r.modelRuns, r.seconds, r.threads);
    // The residuals are the noise: s estimates sigma (n - p = 47).
    EXPECT_NEAR(r.standardError, c.sigma, 0.35 * c.sigma);
    EXPECT_EQ(r.pressure.count, c.points);
    EXPECT_EQ(r.degreesOfFreedom, c.points - static_cast<int>(c.start.size()));
    for (const std::string& w : r.warnings) EXPECT_EQ(w.find("runs test"), std::string::npos) << w;
    EXPECT_GT(r.modelRuns, r.iterations);
}

INSTANTIATE_TEST_SUITE_P(SyntheticFallOffs, Recovery, ::testing::ValuesIn(kRecoveryCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A closure after the last measurement has no influence on the data: the
// fit must say so instead of returning a precise closure time, and still
// find the parameters the data do see.
TEST(FitUnseenParameter, ClosureAfterTheDataIsReportedNotDetermined) {
    const std::string dir = exampleDirectory();
    const ModelInputs truth = exampleInputs({{kHalfLengthIndex, 200.0}, {5, 1.0}, {kClosureTimeIndex, 400.0}});
    const Synthetic data = synthesise(dir, truth, 2.5, logTimes(0.4, 100.0, 50), 0.5, 3);
    FitSetup setup;
    setup.dataDirectory = dir;
    setup.start = exampleInputs({{kHalfLengthIndex, 300.0}, {5, 3.0}, {kClosureTimeIndex, 300.0}});
    for (const char* name : {"Xf", "FcD", "t(close)"})
        setup.parameters.push_back(makeFitParameter(catalogue(), name, setup.start, {}, {}, {}));
    setup.injectionHours = 2.5;
    setup.shutInHours = data.dt;
    setup.pressureChange = data.dp;
    const FitResult r = fitFallOff(setup);

    ASSERT_TRUE(r.converged) << r.stopReason;
    const FittedParameter& closure = r.parameters[2];
    EXPECT_FALSE(closure.determined);
    EXPECT_TRUE(std::isinf(closure.standardError));
    EXPECT_TRUE(std::isinf(closure.low) && std::isinf(closure.high));
    bool warned = false;
    for (const std::string& w : r.warnings) warned = warned || w.find("t(close) is not determined") == 0;
    EXPECT_TRUE(warned);
    for (int j : {0, 1}) {
        const double known = truth.parameters[setup.parameters[j].index];
        EXPECT_TRUE(r.parameters[j].determined);
        EXPECT_LE(r.parameters[j].low, known) << setup.parameters[j].name;
        EXPECT_GE(r.parameters[j].high, known) << setup.parameters[j].name;
    }
    EXPECT_TRUE(std::isnan(r.correlation[0][2]));
}

// --- parameters and their transforms ------------------------------------

TEST(FitParameters, ScaleAndBoundsFollowTheCatalogue) {
    const ModelInputs start = exampleInputs({});
    const FitParameter xf = makeFitParameter(catalogue(), "Fracture Half Length", start, {}, {}, {});
    EXPECT_EQ(xf.name, "Xf");
    EXPECT_EQ(xf.scale, FitScale::log);
    EXPECT_EQ(xf.lower, 0.5);
    EXPECT_TRUE(std::isinf(xf.upper));  // the catalogue's 1e30
    const FitParameter nu = makeFitParameter(catalogue(), "poissonsratio", start, {}, {}, {});
    EXPECT_EQ(nu.scale, FitScale::linear);  // 0.01 to 0.99: under two decades
    EXPECT_EQ(nu.upper, catalogue()[11].maximum);
    const FitParameter skin = makeFitParameter(catalogue(), "S(Fracture)", start, {}, {}, {});
    EXPECT_EQ(skin.scale, FitScale::linear);  // a start of 0 has no logarithm
    const FitParameter closure = makeFitParameter(catalogue(), "tclose", start, {}, {}, {});
    EXPECT_EQ(closure.scale, FitScale::log);
    EXPECT_EQ(closure.lower, 0.0);
    const FitParameter given = makeFitParameter(catalogue(), "Xf", start, 100.0, 400.0, FitScale::linear);
    EXPECT_EQ(given.lower, 100.0);
    EXPECT_EQ(given.upper, 400.0);
    EXPECT_EQ(given.scale, FitScale::linear);
}

TEST(FitParameters, RefusedWithAReason) {
    const ModelInputs start = exampleInputs({});
    const struct {
        const char* name;
        std::optional<double> lower, upper;
        std::optional<FitScale> scale;
        const char* fragment;
    } cases[] = {
        {"Xg", {}, {}, {}, "unknown parameter 'Xg'"},
        {"Xf", 250.0, 500.0, {}, "lies outside its bounds"},
        {"Xf", {}, 150.0, {}, "lies outside its bounds"},
        {"Xf", 300.0, 100.0, {}, "the lower must be below the upper"},
        {"S(Fracture)", {}, {}, FitScale::log, "cannot be fitted on a log scale"},
    };
    for (const auto& c : cases) {
        try {
            makeFitParameter(catalogue(), c.name, start, c.lower, c.upper, c.scale);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
        }
    }
}

TEST(FitTransforms, MapEveryRealIntoTheBoundsAndBack) {
    const double inf = std::numeric_limits<double>::infinity();
    const FitParameter parameters[] = {
        {2, "both, log", FitScale::log, 10.0, 1000.0, 200.0},
        {2, "lower, log", FitScale::log, 0.5, inf, 200.0},
        {8, "open, log", FitScale::log, 0.0, inf, 4.0},
        {11, "both, linear", FitScale::linear, 0.01, 0.99, 0.25},
        {6, "lower, linear", FitScale::linear, 0.0, inf, 20.0},
        {1, "upper, linear", FitScale::linear, -inf, 5.0, 2.0},
    };
    for (const FitParameter& p : parameters) {
        SCOPED_TRACE(p.name);
        const FitTransform t = fitTransform(p);
        // The start maps to z and back.
        const double y0 = t.toY(p.start);
        EXPECT_NEAR(t.yFromZ(t.zFromY(y0)), y0, 1e-12 * std::max(1.0, std::fabs(y0)));
        EXPECT_NEAR(t.toValue(y0), p.start, 1e-12 * p.start);
        for (double z : {-1e3, -7.0, -1.3, -0.2, 0.0, 0.4, 2.5, 9.0, 1e3}) {
            const double v = t.toValue(t.yFromZ(z));
            EXPECT_GE(v, p.lower) << "z = " << z;
            EXPECT_LE(v, p.upper) << "z = " << z;
            // The slope against a central difference.
            const double h = 1e-6 * std::max(1.0, std::fabs(z));
            const double numeric = (t.yFromZ(z + h) - t.yFromZ(z - h)) / (2.0 * h);
            EXPECT_NEAR(t.dYdZ(z), numeric, 1e-5 * std::max(1.0, std::fabs(numeric))) << "z = " << z;
        }
    }
}

// --- the command ---------------------------------------------------------

// Gauge pressures with the shut-in row, a header, and the injection in the
// case file: the fit recovers the truth, writes the matched curves, the
// parameter table and both plots.
TEST(FitCommand, MatchesGaugePressuresAndWritesCurvesAndPlots) {
    const std::string dir = exampleDirectory();
    const ModelInputs truth = exampleInputs({{kHalfLengthIndex, 200.0}, {5, 1.0}, {kClosureTimeIndex, 4.0}});
    const Synthetic data = synthesise(dir, truth, 2.5, logTimes(0.4, 100.0, 40), 0.5, 4);
    const double shutIn = 5000.0;
    const std::string work = scratchDirectory();
    std::string csv = "# a fall-off after 2.5 h of injection\nelapsed hours, pressure psi\n0, 5000\n";
    for (std::size_t i = 0; i < data.dt.size(); ++i)
        csv += fmt::format("{}, {}\n", data.dt[i], shutIn - data.dp[i]);
    writeText(work + "falloff.csv", csv);
    writeText(work + "case.toml",
              "[injection]\nhours = 2.5\nrate = 2400\n[layer]\nk = 50\nct = 1e-3\n[parameters]\nXf = 300\nFcD = 3\n"
              "\"t(close)\" = 5\n");
    const CommandResult r = runQuenlor({"fit", work + "falloff.csv", "--case", work + "case.toml", "--data", dir,
                                        "--fit", "Xf,FcD,t(close)", "--derivative-weight", "0.05", "-o",
                                        work + "out"});
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    EXPECT_TRUE(contains(r.out, "converged after")) << r.out;
    EXPECT_TRUE(contains(r.out, "95 % interval")) << r.out;
    EXPECT_TRUE(contains(r.out, "correlation")) << r.out;
    EXPECT_TRUE(contains(r.out, "model runs")) << r.out;
    EXPECT_TRUE(contains(r.out, "derivative     : 40 points")) << r.out;

    const Csv curves = readCsv(work + "out/fit.csv");
    const auto measured = curves.values("dp_measured_psi");
    const auto model = curves.values("dp_model_psi");
    const auto residual = curves.values("residual_psi");
    ASSERT_EQ(measured.size(), data.dt.size());
    for (std::size_t i = 0; i < measured.size(); ++i) {
        EXPECT_NEAR(measured[i], data.dp[i], 1e-9 * std::fabs(shutIn));
        EXPECT_NEAR(residual[i], model[i] - measured[i], 1e-9 * std::fabs(shutIn));
        EXPECT_LT(std::fabs(residual[i]), 5.0 * 0.5);
    }
    const Csv table = readCsv(work + "out/fit-parameters.csv");
    const auto index = table.values("index");
    const auto low = table.values("low");
    const auto high = table.values("high");
    ASSERT_EQ(index.size(), 3u);
    for (std::size_t j = 0; j < 3; ++j) {
        const double known = truth.parameters[static_cast<int>(index[j]) - 1];
        EXPECT_LE(low[j], known);
        EXPECT_GE(high[j], known);
    }
    for (const char* png : {"fit-falloff.png", "fit-gfunction.png"}) {
        const auto [width, height] = pngSize(work + "out/" + png);
        EXPECT_GT(width, 0u) << png;
        EXPECT_GT(height, 0u) << png;
    }
}

TEST(FitCommand, AFitThatDoesNotConvergeSaysSoAndReportsTheBestPoint) {
    const std::string dir = exampleDirectory();
    const ModelInputs truth = exampleInputs({{kHalfLengthIndex, 200.0}, {5, 1.0}, {kClosureTimeIndex, 4.0}});
    const Synthetic data = synthesise(dir, truth, 2.5, logTimes(0.4, 100.0, 30), 0.5, 5);
    const std::string work = scratchDirectory();
    std::string csv;
    for (std::size_t i = 0; i < data.dt.size(); ++i) csv += fmt::format("{},{}\n", data.dt[i], data.dp[i]);
    writeText(work + "dp.csv", csv);
    const CommandResult r =
        runQuenlor({"fit", work + "dp.csv", "--pressure-change", "--data", dir, "--injection-hours", "2.5",
                    "--permeability", "50", "--total-compressibility", "1e-3", "--rate", "2400", "-p",
                    "t(close)=4", "-p", "Xf=400", "-p", "FcD=0.3", "--fit", "Xf,FcD", "--max-iterations", "1",
                    "--no-plots", "-o", work + "out"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_TRUE(contains(r.out, "NOT CONVERGED after 1 iteration")) << r.out;
    EXPECT_TRUE(contains(r.out, "best point reached")) << r.out;
    EXPECT_TRUE(contains(r.err, "quenlor: the fit did not converge (no convergence within 1 iterations)")) << r.err;
    // The best point is written, and it improved on the start.
    const Csv table = readCsv(work + "out/fit-parameters.csv");
    EXPECT_TRUE(contains(table.comments[0], "NOT CONVERGED"));
    const auto fitted = table.values("fitted");
    const auto start = table.values("start");
    ASSERT_EQ(fitted.size(), 2u);
    EXPECT_NE(fitted[0], start[0]);
    EXPECT_LT(std::fabs(std::log(fitted[0] / 200.0)), std::fabs(std::log(start[0] / 200.0)));
}

TEST(FitCommand, BadInputGetsOneLineAndExitStatus2) {
    const std::string dir = exampleDirectory();
    std::string good;
    for (double t : logTimes(0.4, 100.0, 20)) good += fmt::format("{},{}\n", t, 100.0 * t / (1.0 + t));
    const std::vector<std::string> base = {"--pressure-change", "--data", dir, "--injection-hours", "2.5",
                                           "--permeability", "50", "--total-compressibility", "1e-3", "--fit",
                                           "Xf,FcD"};
    const struct {
        const char* what;
        std::string csv;
        std::vector<std::string> args;  // replace the base when not empty
        const char* fragment;
    } cases[] = {
        {"text in the data", "0.5,10\n1.0,abc\n2.0,30\n", {}, "line 2, field 2: the pressure 'abc' is not a number"},
        {"text as a time", "0.5,10\n1.O,20\n2.0,30\n", {}, "line 2, field 1: the time '1.O' is not a number"},
        {"unsorted times", "0.5,10\n2.0,20\n1.0,30\n3.0,40\n", {}, "line 3: the time 1 h comes after 2 h (line 2)"},
        {"a repeated time", "0.5,10\n1.0,20\n1.0,30\n3.0,40\n", {}, "line 3: the time 1 h repeats the time of line 2"},
        {"a negative time", "-0.5,10\n1.0,20\n2.0,30\n3.0,40\n", {}, "line 1: the time -0.5 h is negative"},
        {"one field", "0.5,10\n1.0\n", {}, "line 2: a row needs two fields"},
        {"too few points", "0.5,10\n1.0,20\n", {}, "has 2 points after shut-in for 2 parameters"},
        {"an unknown parameter", good,
         {"--pressure-change", "--data", dir, "--injection-hours", "2.5", "--fit", "Xf,Xg"},
         "--fit: unknown parameter 'Xg'"},
        {"bounds without the start", good,
         {"--pressure-change", "--data", dir, "--injection-hours", "2.5", "--fit", "Xf", "--bounds", "Xf=250:500"},
         "the start value of Xf, 200, lies outside its bounds 250 to 500"},
        {"no injection time", good, {"--pressure-change", "--data", dir, "--fit", "Xf"},
         "the injection's duration is needed"},
        {"gauge pressures without the shut-in", good, {"--data", dir, "--injection-hours", "2.5", "--fit", "Xf"},
         "no row at time 0 for the shut-in pressure"},
        {"the rate twice", good,
         {"--pressure-change", "--data", dir, "--injection-hours", "2.5", "--fit", "Xf", "--rate", "2400",
          "--rate-factor", "300"},
         "the injection rate is given twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string work = scratchDirectory();
        writeText(work + "data.csv", c.csv);
        std::vector<std::string> args = {"fit", work + "data.csv"};
        const std::vector<std::string>& rest = c.args.empty() ? base : c.args;
        args.insert(args.end(), rest.begin(), rest.end());
        args.insert(args.end(), {"-o", work + "out"});
        const CommandResult r = runQuenlor(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(lineCount(r.err), 1) << r.err;
        EXPECT_EQ(r.err.rfind("quenlor: ", 0), 0u) << r.err;
        EXPECT_TRUE(contains(r.err, c.fragment)) << "expected '" << c.fragment << "' in: " << r.err;
        EXPECT_FALSE(fs::exists(work + "out")) << "the output folder was created";
    }
}

// The reader on its own: comments, a header, blanks around fields, the
// shut-in row as the reference, and an explicit shut-in pressure.
TEST(FitData, GaugePressuresBecomeTheChangeSinceShutIn) {
    const std::string work = scratchDirectory();
    writeText(work + "a.csv", "# gauge\n\ntime,pressure,temperature\n0, 3000, 80\n 0.5 ,2990\n1.5,2975.5,81\n");
    const MeasuredFallOff a = readMeasuredFallOff(work + "a.csv", PressureColumn::gauge, std::nullopt);
    EXPECT_EQ(a.shutInHours, (std::vector<double>{0.5, 1.5}));
    EXPECT_EQ(a.pressureChange, (std::vector<double>{10.0, 24.5}));
    EXPECT_EQ(a.lines, (std::vector<int>{5, 6}));
    const MeasuredFallOff b = readMeasuredFallOff(work + "a.csv", PressureColumn::gauge, 3001.0);
    EXPECT_EQ(b.pressureChange, (std::vector<double>{11.0, 25.5}));
    const MeasuredFallOff c = readMeasuredFallOff(work + "a.csv", PressureColumn::change, std::nullopt);
    EXPECT_EQ(c.pressureChange, (std::vector<double>{2990.0, 2975.5}));
}

TEST(FitData, InjectionSectionOfTheCaseFile) {
    const std::string work = scratchDirectory();
    writeText(work + "ok.toml", "Xf = 300\n[injection]\nhours = 1.5\nrate = 900\n");
    const InjectionSettings ok = readInjectionSettings(work + "ok.toml");
    EXPECT_EQ(ok.hours, 1.5);
    EXPECT_EQ(ok.rate, 900.0);
    const struct {
        const char* text;
        const char* fragment;
    } bad[] = {
        {"[injection]\nminutes = 90\n", "unknown name 'minutes' in [injection]"},
        {"[injection]\nhours = -1\n", "must be positive"},
        {"[injection]\nhours = \"two\"\n", "is not a number"},
        {"qB = 300\n[injection]\nrate = 900\n", "which line 1 sets as well"},
    };
    for (const auto& c : bad) {
        writeText(work + "bad.toml", c.text);
        try {
            readInjectionSettings(work + "bad.toml");
            ADD_FAILURE() << c.text << " was accepted";
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace quenlor

// The quenlor program run as a user runs it: its exit status, what it
// prints, and the tables and images it writes, checked against the model
// library's own answers through the exported interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "cli_test_support.h"

namespace quenlor {
namespace {

using namespace cli_testing;

// The small test control file: injection 1e-6 (half-length time) in 10
// steps, fall-off 3 periods, tail to 1e-3.
constexpr double kInjectionDuration = 1e-6;
constexpr int kStepsPerInjection = 10;
constexpr double kEndTime = 1e-3;

// The host's groups from their definitions, for any layer and parameters.
double hoursPerHostTime(const std::array<double, 12>& p, const std::array<double, 9>& l) {
    const double ce = l[6] + 3.0 * (1.0 - 2.0 * p[11]) / (p[10] * l[7]);
    return l[7] * l[5] * ce * l[2] * l[2] / (0.0002637 * l[0]);
}
double psiPerHostPressure(const std::array<double, 9>& l) { return 141.2 * l[8] * l[5] / (l[0] * l[1]); }
double hostPerModelTime(const std::array<double, 12>& p, const std::array<double, 9>& l) {
    return p[2] * p[2] / (l[2] * l[2]);
}

void expectOneErrorLine(const CommandResult& r, const std::string& fragment) {
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("quenlor: ", 0), 0u) << r.err;
    EXPECT_TRUE(contains(r.err, fragment)) << "expected '" << fragment << "' in: " << r.err;
}

// Every row of response.csv against the library run with the same inputs.
void expectResponseMatchesLibrary(const Csv& csv, const std::string& dir, const std::array<double, 12>& p,
                                  const std::array<double, 9>& l) {
    LoadedModel model;
    model.run(dir, p, l);
    const double hours = hoursPerHostTime(p, l);
    const double psi = psiPerHostPressure(l);
    const auto tD = csv.values("tD");
    const auto pD = csv.values("pD");
    const auto t = csv.values("t_hours");
    const auto dp = csv.values("dp_psi");
    ASSERT_GT(tD.size(), 10u);
    for (std::size_t i = 0; i < tD.size(); ++i) {
        EXPECT_EQ(pD[i], model.solution(tD[i])) << "row " << i << ", tD " << tD[i];
        EXPECT_NEAR(t[i], tD[i] * hours, 1e-12 * t[i]);
        EXPECT_NEAR(dp[i], pD[i] * psi, 1e-12 * std::fabs(dp[i]) + 1e-300);
    }
}

TEST(CatalogueCommand, ListsThePublishedCatalogueFromTheLoadedLibrary) {
    const CommandResult r = runQuenlor({"catalogue", "--csv", "--library", kLibrary});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> rows = lines(r.out);
    const auto expected = publishedCatalogue();
    ASSERT_EQ(rows.size(), expected.size() + 1) << r.out;
    EXPECT_EQ(rows[0], "index,long_name,short_name,minimum,maximum,default,unit_code");
    for (std::size_t i = 0; i < expected.size(); ++i) {
        // index,"long","short",min,max,default,unit: the names hold no quote or comma
        const std::string& row = rows[i + 1];
        const auto q = [&](int n) {  // position of the n-th double quote
            std::size_t at = std::string::npos;
            for (int k = 0; k < n; ++k) at = row.find('"', at + 1);
            return at;
        };
        EXPECT_EQ(row.substr(q(1) + 1, q(2) - q(1) - 1), expected[i].longName);
        EXPECT_EQ(row.substr(q(3) + 1, q(4) - q(3) - 1), expected[i].shortName);
        std::stringstream numbers(row.substr(q(4) + 2));
        std::string cell;
        std::vector<double> v;
        while (std::getline(numbers, cell, ',')) v.push_back(std::stod(cell));
        ASSERT_EQ(v.size(), 4u) << row;
        EXPECT_EQ(v[0], expected[i].minimum) << row;
        EXPECT_EQ(v[1], expected[i].maximum) << row;
        EXPECT_EQ(v[2], expected[i].defaultValue) << row;
        EXPECT_EQ(v[3], expected[i].unitCode) << row;
    }
    const CommandResult table = runQuenlor({"catalogue", "--library", kLibrary});
    ASSERT_EQ(table.exitCode, 0);
    EXPECT_EQ(lineCount(table.out), 14) << table.out;
    EXPECT_TRUE(contains(table.out, "Dimensionless Fracture Conductivity")) << table.out;
    EXPECT_TRUE(contains(table.out, "0.10000000149011612")) << "the widened single-precision minimum of Vw";
}

// One simulate run on the small data, shared by the tests that read it.
struct SmallRun {
    std::string data = smallDataDirectory();
    std::string out = scratchDirectory() + "results";
    CommandResult result;
    SmallRun() { result = runQuenlor({"simulate", "--library", kLibrary, "--data", data, "-o", out}); }
    static const SmallRun& get() {
        static const SmallRun run;
        return run;
    }
};

TEST(SimulateCommand, RunsAndPrintsTheSummary) {
    const SmallRun& run = SmallRun::get();
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(run.result.err, "");
    for (const char* word : {"rows", "shut-in", "closure", "peak pressure", "run time", "output"})
        EXPECT_TRUE(contains(run.result.out, word)) << word << " in:\n" << run.result.out;
    EXPECT_TRUE(contains(run.result.out, run.out)) << "names the output folder";
}

TEST(SimulateCommand, ResponseTableHoldsTheLibrarysAnswersOverTheWholeSimulation) {
    const SmallRun& run = SmallRun::get();
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const Csv csv = readCsv(run.out + "/response.csv");
    EXPECT_EQ(csv.columns,
              (std::vector<std::string>{"tD", "pD", "t_hours", "dp_psi", "dp_dlnt_psi", "dpD_dlntD"}));
    bool statesGroups = false;
    for (const std::string& c : csv.comments) statesGroups = statesGroups || contains(c, "tD = 0.0002637 k t");
    EXPECT_TRUE(statesGroups) << "the header states the dimensionless groups";

    const auto p = defaultParameters();
    const auto l = defaultLayer();
    expectResponseMatchesLibrary(csv, run.data, p, l);

    // Log-spaced from the first simulated row to the last.
    const auto tD = csv.values("tD");
    const double scale = hostPerModelTime(p, l);
    EXPECT_NEAR(tD.front(), kInjectionDuration / kStepsPerInjection * scale, 1e-12 * tD.front());
    EXPECT_NEAR(tD.back(), kEndTime * scale, 1e-8 * tD.back());
    EXPECT_LE(tD.back(), kEndTime * scale);
    const double ratio = tD[1] / tD[0];
    for (std::size_t i = 1; i < tD.size(); ++i) EXPECT_NEAR(tD[i] / tD[i - 1], ratio, 1e-9);
    EXPECT_GE(tD.size(), static_cast<std::size_t>(40 * std::log10(tD.back() / tD.front())));

    const auto d = csv.values("dp_dlnt_psi");
    const auto dD = csv.values("dpD_dlntD");
    for (std::size_t i = 0; i < d.size(); ++i) EXPECT_NEAR(d[i], dD[i] * psiPerHostPressure(l), 1e-12 * std::fabs(d[i]));
}

TEST(SimulateCommand, FallOffIsTheSuperposedLibraryResponse) {
    const SmallRun& run = SmallRun::get();
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const Csv csv = readCsv(run.out + "/falloff.csv");
    EXPECT_EQ(csv.columns, (std::vector<std::string>{"dt_hours", "te_hours", "dtD", "dp_psi", "dp_dlnte_psi",
                                                     "dt_over_tp", "G", "dp_dG_psi", "G_dp_dG_psi"}));
    const auto p = defaultParameters();
    const auto l = defaultLayer();
    LoadedModel model;
    model.run(run.data, p, l);
    const double hours = hoursPerHostTime(p, l);
    const double psi = psiPerHostPressure(l);
    const auto pressure = [&](double h) { return psi * model.solution(h / hours); };
    // Default injection time: the model's own shut-in.
    const double tp = kInjectionDuration * hostPerModelTime(p, l) * hours;
    const auto dt = csv.values("dt_hours");
    const auto dp = csv.values("dp_psi");
    const auto te = csv.values("te_hours");
    const auto x = csv.values("dt_over_tp");
    const auto g = csv.values("G");
    const auto dG = csv.values("dp_dG_psi");
    const auto gdG = csv.values("G_dp_dG_psi");
    ASSERT_GT(dt.size(), 10u);
    const double scale = std::fabs(pressure(dt.back() + tp));
    for (std::size_t i = 0; i < dt.size(); ++i) {
        const double expected = pressure(tp) - pressure(tp + dt[i]) + pressure(dt[i]);
        EXPECT_NEAR(dp[i], expected, 1e-9 * scale) << "dt " << dt[i];
        EXPECT_NEAR(te[i], tp * dt[i] / (tp + dt[i]), 1e-12 * te[i]);
        EXPECT_NEAR(x[i], dt[i] / tp, 1e-9 * x[i]);
        // Nolte's G with alpha = 1, from its closed form.
        const double gExpected =
            4.0 / std::numbers::pi * (4.0 / 3.0) * (std::pow(1.0 + x[i], 1.5) - std::pow(x[i], 1.5) - 1.0);
        EXPECT_NEAR(g[i], gExpected, 1e-12 * (1.0 + gExpected));
        EXPECT_NEAR(gdG[i], g[i] * dG[i], 1e-12 * std::fabs(gdG[i]) + 1e-300);
    }
    EXPECT_NEAR(dt.back() + tp, kEndTime * hostPerModelTime(p, l) * hours, 1e-8 * (dt.back() + tp));
}

TEST(SimulateCommand, DrawsThreePngImagesAndKeepsTheirScripts) {
    const SmallRun& run = SmallRun::get();
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    for (const char* name : {"response", "falloff", "gfunction"}) {
        const auto [w, h] = pngSize(run.out + "/" + name + ".png");
        EXPECT_GE(w, 400u) << name;
        EXPECT_GE(h, 300u) << name;
        EXPECT_TRUE(contains(readText(run.out + "/" + name + ".gp"), "set output '" + std::string(name) + ".png'"));
    }
}

TEST(SimulateCommand, OptionsAndCaseFileReachTheLibraryAlike) {
    const std::string data = smallDataDirectory();
    const std::string base = scratchDirectory();
    const CommandResult byOptions =
        runQuenlor({"simulate", "--library", kLibrary, "--data", data, "-o", base + "a", "--no-plots", "-p", "Xf=300",
                    "-p", "Young's modulus=2e6", "--permeability", "0.5", "-p", "t(close)=0.05", "-p", "h=35"});
    ASSERT_EQ(byOptions.exitCode, 0) << byOptions.err;
    writeText(base + "case.toml",
              "[parameters]\nXf = 300\n\"Young's modulus\" = 2e6\n\"t(close)\" = 0.05\n[layer]\nk = 0.5\nh = 35\n");
    const CommandResult byCase = runQuenlor(
        {"simulate", "--library", kLibrary, "--data", data, "-o", base + "b", "--no-plots", "--case", base + "case.toml"});
    ASSERT_EQ(byCase.exitCode, 0) << byCase.err;
    EXPECT_EQ(readText(base + "a/response.csv"), readText(base + "b/response.csv"));
    EXPECT_EQ(readText(base + "a/falloff.csv"), readText(base + "b/falloff.csv"));

    auto p = defaultParameters();
    auto l = defaultLayer();
    p[2] = 300.0;
    p[10] = 2e6;
    p[8] = 0.05;
    l[0] = 0.5;
    l[1] = 35.0;
    const Csv csv = readCsv(base + "a/response.csv");
    expectResponseMatchesLibrary(csv, data, p, l);
    // Command-line options win over the case file.
    const CommandResult both = runQuenlor({"simulate", "--library", kLibrary, "--data", data, "-o", base + "c",
                                           "--no-plots", "--case", base + "case.toml", "-p", "Xf=250"});
    ASSERT_EQ(both.exitCode, 0) << both.err;
    p[2] = 250.0;
    expectResponseMatchesLibrary(readCsv(base + "c/response.csv"), data, p, l);
}

TEST(SimulateCommand, ValuesOutsideTheCatalogueAreWarnedAboutAndUsed) {
    const std::string out = scratchDirectory() + "out";
    const CommandResult r = runQuenlor({"simulate", "--library", kLibrary, "--data", smallDataDirectory(), "-o", out,
                                        "--no-plots", "-p", "hf2=0.25"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
    EXPECT_TRUE(contains(r.err, "quenlor: warning: hf2 = 0.25 is outside")) << r.err;
    bool noted = false;
    for (const std::string& c : readCsv(out + "/response.csv").comments) noted = noted || contains(c, "hf2 = 0.25");
    EXPECT_TRUE(noted);
}

TEST(SimulateCommand, WithoutGnuplotWritesTheTablesAndSaysWhatToInstall) {
    const std::string out = scratchDirectory() + "out";
    const CommandResult r = runQuenlor({"simulate", "--library", kLibrary, "--data", smallDataDirectory(), "-o", out},
                                       {}, {{"PATH", "/nonexistent"}});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
    EXPECT_TRUE(contains(r.err, "gnuplot-nox")) << r.err;
    EXPECT_GT(readCsv(out + "/response.csv").rows.size(), 10u);
    EXPECT_GT(readCsv(out + "/falloff.csv").rows.size(), 10u);
    for (const char* png : {"response.png", "falloff.png", "gfunction.png"})
        EXPECT_FALSE(fs::exists(out + "/" + png)) << png;
    EXPECT_TRUE(fs::exists(out + "/response.gp"));
}

TEST(SimulateCommand, RunsTheShippedDefaultsFromTheSourceTree) {
    // As the README's command does: no --data, from the checkout's root.
    const std::string out = scratchDirectory() + "out";
    const CommandResult r = runQuenlor({"simulate", "--library", kLibrary, "-o", out, "--no-plots"}, kSourceDir,
                                       {{"QUENLOR_DATA", ""}});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Csv csv = readCsv(out + "/response.csv");
    EXPECT_GT(csv.rows.size(), 10u);
    double peak = 0.0;
    for (double v : csv.values("dp_psi")) peak = std::max(peak, v);
    EXPECT_GT(peak, 0.0) << "the shipped defaults make a response";
}

TEST(Commands, RejectBadInputWithOneClearLineAndNoOutput) {
    const std::string data = smallDataDirectory();
    const std::string base = scratchDirectory();
    const std::string longDir = base + std::string(56, 'x');  // 24 + 56 + '/': 81 characters
    fs::create_directories(longDir);
    fs::copy_file(data + kControlName, longDir + "/" + kControlName);
    fs::copy_file(data + kGridName, longDir + "/" + kGridName);
    const std::string noGrid = scratchDirectory();
    fs::copy_file(data + kControlName, noGrid + kControlName);
    writeText(base + "bad.toml", "Xf = 300\nXq = 1\n");
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* fragment;
    } cases[] = {
        {{"simulate", "--data", data, "-p", "Xq=3"}, 2, "unknown parameter 'Xq'"},
        {{"simulate", "--data", data, "-p", "Xf=3x"}, 2, "'3x', is not a number"},
        {{"simulate", "--data", data, "--permeability", "fast"}, 2, "'fast', is not a number"},
        {{"simulate", "--data", data, "--porosity", "0"}, 2, "porosity (phi) is 0; it must be positive"},
        {{"simulate", "--data", base + "nowhere"}, 2, "does not exist"},
        {{"simulate", "--data", longDir}, 2, "81 characters"},
        {{"simulate", "--data", noGrid}, 2, "has no 'e_Quenlor Sapp.txt'"},
        {{"simulate", "--data", data, "--library", base + "libnothing.so"}, 2, "cannot load the model library"},
        {{"simulate", "--data", data, "--case", base + "bad.toml"}, 2, "bad.toml line 2: unknown name 'Xq'"},
        {{"simulate", "--data", data, "--injection-hours", "1e6"}, 2, "leaves no fall-off"},
        {{"simulate", "--data", data, "--per-decade", "0"}, 2, "per-decade"},
        {{"simulate", "--data", data, "--g-alpha", "2"}, 2, "g-alpha"},
        {{"sensitivity", "Xq", "--data", data}, 2, "unknown parameter 'Xq'"},
        {{"sensitivity", "Xf", "--data", data, "--values", "100,abc"}, 2, "'abc' is not a number"},
        {{"check"}, 2, "DIR"},
        {{"check", base + "nowhere"}, 2, "does not exist"},
        {{"frobnicate"}, 2, "frobnicate"},
        {{}, 2, "a command is required"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        const std::string out = scratchDirectory() + "out";
        if (!args.empty() && args[0] != "check") {
            args.insert(args.end(), {"-o", out});
            if (std::find(args.begin(), args.end(), "--library") == args.end())
                args.insert(args.end(), {"--library", kLibrary});
        }
        const CommandResult r = runQuenlor(args);
        std::string shown;
        for (const std::string& a : args) shown += a + " ";
        SCOPED_TRACE(shown);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        expectOneErrorLine(r, c.fragment);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(out + "/response.csv"));
    }
}

TEST(SensitivityCommand, OverlaysTheLibrarysCurveForEachValue) {
    const std::string data = smallDataDirectory();
    const std::string out = scratchDirectory() + "out";
    const CommandResult r = runQuenlor(
        {"sensitivity", "Fracture Half Length", "--values", "150,300", "--library", kLibrary, "--data", data, "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(contains(r.out, "Xf = 150")) << r.out;
    EXPECT_TRUE(contains(r.out, "Xf = 300")) << r.out;
    const Csv csv = readCsv(out + "/sensitivity.csv");
    EXPECT_EQ(csv.columns,
              (std::vector<std::string>{"curve", "value", "tD", "pD", "t_hours", "dp_psi", "dp_dlnt_psi"}));
    const double values[] = {150.0, 300.0};
    for (int curve = 1; curve <= 2; ++curve) {
        auto p = defaultParameters();
        p[2] = values[curve - 1];
        LoadedModel model;
        model.run(data, p, defaultLayer());
        int rows = 0;
        for (const auto& row : csv.rows) {
            if (row[0] != curve) continue;
            ++rows;
            EXPECT_EQ(row[1], values[curve - 1]);
            EXPECT_EQ(row[3], model.solution(row[2])) << "curve " << curve << ", tD " << row[2];
        }
        EXPECT_GT(rows, 10) << "curve " << curve;
    }
    const auto [w, h] = pngSize(out + "/sensitivity.png");
    EXPECT_GE(w, 400u);
    EXPECT_GE(h, 300u);
}

TEST(CheckCommand, ShippedDataPassWithOneSummaryLine) {
    const CommandResult r = runQuenlor({"check", "data"}, kSourceDir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(lineCount(r.out), 1) << r.out;
    EXPECT_TRUE(contains(r.out, "data/: control file (40 records) and grid (201 x 201 values) read, 0 warnings"))
        << r.out;
}

// The small control file with some lines replaced (1-based line, text),
// removed (empty text in `drop`) or inserted before a line.
std::string editedControl(const std::vector<std::pair<int, std::string>>& replace, const std::vector<int>& drop = {},
                          const std::vector<std::pair<int, std::string>>& insert = {}) {
    std::vector<std::string> l = smallControlLines();
    for (const auto& [n, text] : replace) l[n - 1] = text;
    for (auto it = drop.rbegin(); it != drop.rend(); ++it) l.erase(l.begin() + (*it - 1));
    for (const auto& [n, text] : insert) l.insert(l.begin() + (n - 1), text);
    return joinLines(l);
}

TEST(CheckCommand, ReportsPlantedFaultsWithFileLineAndColumns) {
    const struct {
        const char* what;
        std::string control;
        int exitCode;
        std::vector<std::string> fragments;  // each in the diagnostics
        int diagnosticLines;                 // standard error lines, summary included
    } cases[] = {
        {"a field that is not a number", editedControl({{12, " fracDiffus        1.000000X+03"}}), 1,
         {"e_Quenlor Input.dat line 12, columns 12-31: fractureDiffusivity: '1.000000X+03' is not a number",
          "1 problem, 0 warnings"},
         2},
        {"a real written into an integer field", editedControl({{32, " sweepSteps    16.5"}}), 1,
         {"line 32, columns 12-19: timeStepCount: '16.5' is not an integer"}, 2},
        {"two bad fields, both reported", editedControl({{9, " sweep1 t0         five"}, {35, " foPeriods      x3"}}), 1,
         {"line 9, columns 12-31: firstPassStartTime", "line 35, columns 12-19: falloffPeriods", "2 problems"}, 3},
        {"a missing line", editedControl({}, {40}), 1, {"line 40: the file ends after 39 lines"}, 2},
        {"a value the run cannot use", editedControl({{28, " Stehfest N       7"}}), 1,
         {"line 28, columns 12-19: stehfestTerms is 7"}, 2},
        {"a mode that leaves no response", editedControl({{34, " spacing          4"}}), 1,
         {"line 34, columns 12-19: timeSpacingMode is 4"}, 2},
        {"a value running past its field", editedControl({{27, " tEnd               1.000000E-03"}}), 0,
         {"warning: ", "line 27, columns 12-32: simulationEndTime: the value runs past column 31"}, 1},
        {"a tab in the fixed columns", editedControl({{35, " foPeriods\t3"}}), 0, {"line 35, column 11"}, 1},
        {"an inserted blank line shifting the records", editedControl({}, {40}, {{20, ""}}), 1,
         {"warning: ", "line 20: storageProductFactor: the line is blank",
          "line 31, columns 12-19: passCount is 0: no pass runs"},
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = dataDirectory(c.control);
        const CommandResult r = runQuenlor({"check", dir});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        for (const std::string& f : c.fragments) EXPECT_TRUE(contains(r.err, f)) << "'" << f << "' in:\n" << r.err;
        EXPECT_EQ(lineCount(r.err), c.diagnosticLines) << r.err;
        EXPECT_TRUE(contains(r.err, dir + kControlName)) << "names the file: " << r.err;
        if (c.exitCode == 0) {
            EXPECT_EQ(lineCount(r.out), 1) << r.out;
        }
    }
}

TEST(CheckCommand, ReportsGridFaultsAndMissingFilesWithTheirPlace) {
    const std::string control = joinLines(smallControlLines());
    const std::vector<std::string> grid = lines(readText(kSourceDir + "/data/" + kGridName));

    const std::string shortGrid = dataDirectory(control);
    std::vector<std::string> cut(grid.begin(), grid.end() - 1);
    writeText(shortGrid + kGridName, joinLines(cut));
    CommandResult r = runQuenlor({"check", shortGrid});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, shortGrid + kGridName + " line ")) << r.err;
    EXPECT_TRUE(contains(r.err, "the file ends in record 201")) << r.err;

    const std::string badToken = dataDirectory(control);
    std::vector<std::string> edited = grid;
    edited[99] = "0.5 x.25 " + edited[99];
    writeText(badToken + kGridName, joinLines(edited));
    r = runQuenlor({"check", badToken});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, kGridName + " line 100, columns 5-8:")) << r.err;
    EXPECT_TRUE(contains(r.err, "'x.25' is not a number")) << r.err;

    const std::string noControl = dataDirectory(control);
    fs::remove(noControl + kControlName);
    r = runQuenlor({"check", noControl});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, noControl + kControlName + ": cannot be opened")) << r.err;

    // A directory the model would cut at 80 characters.
    const std::string longDir = scratchDirectory() + std::string(56, 'y');  // 81 with the separator
    fs::create_directories(longDir);
    writeText(longDir + "/" + kControlName, control);
    fs::copy_file(kSourceDir + "/data/" + kGridName, longDir + "/" + kGridName);
    r = runQuenlor({"check", longDir});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, "81 characters long; the model keeps only 80")) << r.err;
}

}  // namespace
}  // namespace quenlor

// Names, numbers, case files, unit conversions and data directories of
// the command.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "case_inputs.h"
#include "cli_test_support.h"
#include "data_directory.h"
#include "model_run.h"
#include "state/default_case.h"

namespace quenlor {
namespace {

using namespace cli_testing;

TEST(ParameterNames, MatchShortAndLongNamesWhateverTheCaseAndPunctuation) {
    const auto catalogue = publishedCatalogue();
    const struct {
        const char* name;
        int index;
    } cases[] = {
        {"Xf", 2},          {"xf", 2},           {"Fracture Half Length", 2}, {"fracture-half-length", 2},
        {"S(Fracture)", 1}, {"sfracture", 1},    {"t(close)", 8},             {"TCLOSE", 8},
        {"Young's modulus", 10}, {"youngs_modulus", 10}, {"Young modulus", 10},   {"Poisson's ratio", 11},
        {"2st Frac part-Height", 4}, {"hf2", 4}, {"Shrinkage delay", 9},      {"S2", 7},
        {"Vw", 0},          {"FcD", 5},          {"Dimensionless Fracture Conductivity", 5},
        {"Xq", -1},         {"", -1},            {"()", -1},                  {"k", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(findParameter(catalogue, c.name), c.index) << c.name;
}

TEST(LayerNames, MatchWordsAndSymbols) {
    const struct {
        const char* name;
        int index;
    } cases[] = {
        {"k", kPermeability},  {"permeability", kPermeability}, {"h", kThickness},   {"rw", kWellRadius},
        {"well-radius", kWellRadius}, {"wellRadius", kWellRadius}, {"mu", kViscosity}, {"ct", kTotalCompressibility},
        {"total_compressibility", kTotalCompressibility}, {"phi", kPorosity}, {"qB", kRateFactor},
        {"rate-factor", kRateFactor}, {"Xf", -1}, {"radius", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(findLayerValue(c.name), c.index) << c.name;
}

TEST(Numbers, OnlyWholeFiniteDecimalTextsAreNumbers) {
    const struct {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"300", true, 300},   {"2e6", true, 2e6},   {"-1.5E-3", true, -1.5e-3}, {"+0.25", true, 0.25},
        {" 12 ", true, 12},   {".5", true, 0.5},    {"300ft", false, 0},        {"", false, 0},
        {"1,5", false, 0},    {"inf", false, 0},    {"nan", false, 0},          {"1e999", false, 0},
        {"1.5-3", false, 0},  {"--2", false, 0},    {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        double v = -99.0;
        EXPECT_EQ(parseNumber(c.text, v), c.ok) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(Assignments, SetParametersAndLayerValuesAndRejectBadOnes) {
    const auto catalogue = publishedCatalogue();
    ModelInputs in = defaultInputs(catalogue);
    EXPECT_EQ(in.parameters[2], 200.0);
    EXPECT_EQ(in.layer[kThickness], kDefaultLayerValues[kThickness]);
    applyAssignment(catalogue, in, "Xf=350");
    applyAssignment(catalogue, in, "Young's modulus=2e6");
    applyAssignment(catalogue, in, "k=0.5");
    EXPECT_EQ(in.parameters[2], 350.0);
    EXPECT_EQ(in.parameters[10], 2e6);
    EXPECT_EQ(in.layer[kPermeability], 0.5);
    for (const char* bad : {"Xq=1", "Xf=abc", "Xf", "=3", "Xf=1e400"}) {
        ModelInputs copy = in;
        EXPECT_THROW(applyAssignment(catalogue, copy, bad), InputError) << bad;
        EXPECT_EQ(copy.parameters, in.parameters) << bad;
    }
    try {
        applyAssignment(catalogue, in, "Xq=1");
    } catch (const InputError& e) {
        EXPECT_TRUE(contains(e.what(), "'Xq'")) << e.what();
        EXPECT_TRUE(contains(e.what(), "Xf")) << "lists the known names: " << e.what();
    }
}

TEST(CaseFile, ReadsSectionsAndTopLevelNames) {
    const std::string dir = scratchDirectory();
    writeText(dir + "case.toml",
              "# a case\n"
              "[parameters]\n"
              "Xf = 320\n"
              "\"Young's modulus\" = 1.5e6\n"
              "tclose = 0.02\n"
              "[layer]\n"
              "k = 0.25\n"
              "thickness = 35.0\n");
    const auto catalogue = publishedCatalogue();
    ModelInputs in = defaultInputs(catalogue);
    readCaseFile(dir + "case.toml", catalogue, in);
    EXPECT_EQ(in.parameters[2], 320.0);
    EXPECT_EQ(in.parameters[10], 1.5e6);
    EXPECT_EQ(in.parameters[8], 0.02);
    EXPECT_EQ(in.layer[kPermeability], 0.25);
    EXPECT_EQ(in.layer[kThickness], 35.0);
    EXPECT_EQ(in.parameters[3], 15.0) << "names the file leaves out keep their values";

    writeText(dir + "flat.toml", "FcD = 3\nphi = 0.12\n");
    readCaseFile(dir + "flat.toml", catalogue, in);
    EXPECT_EQ(in.parameters[5], 3.0);
    EXPECT_EQ(in.layer[kPorosity], 0.12);
}

TEST(CaseFile, NamesTheLineOfEachKindOfMistake) {
    const struct {
        const char* text;
        const char* expected;  // in the message
    } cases[] = {
        {"Xf = 300\nXq = 2\n", "line 2: unknown name 'Xq'"},
        {"[layer]\nXf = 300\n", "line 2: unknown layer value 'Xf'"},
        {"[parameters]\nk = 1\n", "line 2: unknown parameter 'k'"},
        {"Xf = 300\n\nhf1 = \"tall\"\n", "line 3: the value of hf1 is not a number"},
        {"[wells]\nXf = 1\n", "unknown section [wells]"},
        {"Xf = 300\nhf1 = 1..5\n", "line 2"},
        {"Xf 300\n", "line 1"},
        {"Xf = 300\n[parameters]\n\"Fracture Half Length\" = 250\n", "line 3: Fracture Half Length names a value"},
    };
    const auto catalogue = publishedCatalogue();
    const std::string dir = scratchDirectory();
    for (const auto& c : cases) {
        writeText(dir + "case.toml", c.text);
        ModelInputs in = defaultInputs(catalogue);
        try {
            readCaseFile(dir + "case.toml", catalogue, in);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const InputError& e) {
            EXPECT_TRUE(contains(e.what(), c.expected)) << e.what();
            EXPECT_TRUE(contains(e.what(), dir + "case.toml")) << e.what();
            EXPECT_FALSE(contains(e.what(), "\n")) << "one line: " << e.what();
        }
    }
    ModelInputs in = defaultInputs(catalogue);
    EXPECT_THROW(readCaseFile(dir + "missing.toml", catalogue, in), InputError);
}

TEST(Ranges, OnlyValuesOutsideTheCatalogueAreWarnedAbout) {
    const auto catalogue = publishedCatalogue();
    ModelInputs in = defaultInputs(catalogue);
    EXPECT_TRUE(rangeWarnings(catalogue, in).empty());
    in.parameters[2] = 0.25;   // Xf below 0.5
    in.parameters[11] = 0.995; // nu above 0.99
    in.parameters[1] = 10000;  // skin at its maximum: inside
    const auto w = rangeWarnings(catalogue, in);
    ASSERT_EQ(w.size(), 2u);
    EXPECT_TRUE(contains(w[0], "Xf = 0.25")) << w[0];
    EXPECT_TRUE(contains(w[1], "Poisson's ratio")) << w[1];
}

TEST(Ranges, ValuesThatLeaveTheGroupsUndefinedAreErrors) {
    const auto catalogue = publishedCatalogue();
    const ModelInputs base = defaultInputs(catalogue);
    EXPECT_NO_THROW(requireUsable(catalogue, base));
    for (int layer : {kPermeability, kThickness, kWellRadius, kViscosity, kTotalCompressibility, kPorosity,
                      kRateFactor}) {
        ModelInputs in = base;
        in.layer[layer] = 0.0;
        EXPECT_THROW(requireUsable(catalogue, in), InputError) << "layer value " << layer;
    }
    ModelInputs in = base;
    in.parameters[2] = 0.0;
    EXPECT_THROW(requireUsable(catalogue, in), InputError);
    // nu = 0.9 with E = 1e4, phi = 0.08: ct + 3(1 - 1.8)/(800) < 0.
    in = base;
    in.parameters[10] = 1e4;
    in.parameters[11] = 0.9;
    EXPECT_THROW(requireUsable(catalogue, in), InputError);
}

TEST(UnitConversions, FollowTheDocumentedGroups) {
    // k 0.1 md, h 20 ft, rw 0.3 ft, mu 1 cp, ct 1e-5 1/psi, phi 0.08,
    // qB 10 bbl/day, E 130000 psi, nu 0.25, Xf 200 ft. By hand:
    // ce = 1e-5 + 3 (1 - 0.5) / (130000 x 0.08) = 1.5423077e-4;
    // hours per tD = 0.08 x 1 x ce x 0.3^2 / (0.0002637 x 0.1) = 0.0421108;
    // psi per pD = 141.2 x 10 x 1 / (0.1 x 20) = 706;
    // host time per simulation time = (200 / 0.3)^2 = 444444.4.
    ModelInputs in = defaultInputs(publishedCatalogue());
    in.parameters[2] = 200.0;
    in.parameters[10] = 130000.0;
    in.parameters[11] = 0.25;
    in.layer = {0.1, 20.0, 0.3, 0.0, 0.0, 1.0, 1e-5, 0.08, 10.0};
    const UnitConversions u(in);
    EXPECT_NEAR(u.effectiveCompressibility(), 1.5423077e-4, 1e-11);
    EXPECT_NEAR(u.hours(1.0), 0.0421108, 1e-7);
    EXPECT_NEAR(u.hostTime(u.hours(3.7)), 3.7, 1e-12);
    EXPECT_NEAR(u.psi(1.0), 706.0, 1e-10);
    EXPECT_NEAR(u.hostTimeFromModelTime(1e-6), 0.4444444, 1e-7);
}

TEST(DataDirectory, GetsItsSeparatorAndKeepsToTheModelsEightyCharacters) {
    EXPECT_EQ(withSeparator("data"), "data/");
    EXPECT_EQ(withSeparator("data/"), "data/");
    EXPECT_EQ(withSeparator(""), "./");

    // Nested directories whose text with the separator is exactly 80 and 81 characters.
    const std::string base = scratchDirectory();  // "/tmp/quenlor-cli-XXXXXX/" (24)
    std::string eighty = base + std::string(80 - base.size() - 1, 'a');
    std::string eightyOne = base + std::string(80 - base.size(), 'b');
    std::filesystem::create_directories(eighty);
    std::filesystem::create_directories(eightyOne);
    ASSERT_EQ(withSeparator(eighty).size(), 80u);
    EXPECT_EQ(modelDirectoryText(eighty), eighty + "/");
    try {
        modelDirectoryText(eightyOne);
        ADD_FAILURE() << "an 81-character directory was accepted";
    } catch (const DirectoryError& e) {
        EXPECT_TRUE(contains(e.what(), "81 characters")) << e.what();
        EXPECT_TRUE(contains(e.what(), "80")) << e.what();
    }
    EXPECT_THROW(modelDirectoryText(base + "nowhere"), DirectoryError);
    writeText(base + "file", "x");
    EXPECT_THROW(modelDirectoryText(base + "file"), DirectoryError);
    // The data files must both be there.
    EXPECT_THROW(modelDataDirectory(eighty), DirectoryError);
    const std::string small = smallDataDirectory();
    EXPECT_EQ(modelDataDirectory(small), small);
    std::filesystem::remove(small + kGridName);
    EXPECT_THROW(modelDataDirectory(small), DirectoryError);
}

}  // namespace
}  // namespace quenlor

// The library as a host sees it: loaded at run time, every function found
// by name and called through pointer types written from the interface's
// argument table.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "support/test_files.h"

namespace {

using quenlor::testing_support::controlFileText;
using quenlor::testing_support::kCatalogueDefaults;
using quenlor::testing_support::makeScratchDirectory;
using quenlor::testing_support::smallControl;
using quenlor::testing_support::writeDefaultGrid;
using quenlor::testing_support::writeText;

using IntOut = void (*)(std::int32_t*);
using IndexIntOut = void (*)(std::int32_t, std::int32_t*);
using MainInfo = void (*)(std::int32_t, char*, char*, std::int32_t*);
using TextOut = void (*)(char*);
using RealInfo = void (*)(std::int32_t, double*, double*, double*, std::int32_t*, char*, std::int32_t*);
using Solution = void (*)(double, double*);
using NoArgs = void (*)();
using SetLayer = void (*)(std::int32_t, const double*, double, double, double, double, double, double, double,
                          double, double);
using SetPath = void (*)(const char*, std::int32_t);

class Host : public ::testing::Test {
protected:
    static void* library;
    static void SetUpTestSuite() {
        library = dlopen(QUENLOR_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
    }
    template <class F>
    static F find(const char* name) {
        void* symbol = dlsym(library, name);
        EXPECT_NE(symbol, nullptr) << name;
        return reinterpret_cast<F>(symbol);
    }
    static std::string field(const char* text) {
        std::string f(text);
        f.push_back('\0');
        f.resize(80, ' ');
        return f;
    }
};
void* Host::library = nullptr;

const char* const kLongNames[12] = {"Wellbore Volume", "Fracture Face Skin", "Fracture Half Length",
                                    "1st Frac part-Height", "2st Frac part-Height",
                                    "Dimensionless Fracture Conductivity", "1st Stress Ht Contrast",
                                    "2nd Stress Ht Contrast", "Time Fracture Close", "Shrinkage delay",
                                    "Young modulus", "Poisson ratio"};
const char* const kShortNames[12] = {"Vw", "S(Fracture)", "Xf", "hf1", "hf2", "FcD", "S1", "S2", "t(close)",
                                     "Shrinkage delay", "Young's modulus", "Poisson's ratio"};
const double kMinimum[12] = {0.10000000149011612, 0, 0.5, 0.5, 0.5, 0.20000000298023224, 0, 0, 0, 0, 10000,
                             0.009999999776482582};
const double kMaximum[12] = {1e30, 10000, 1e30, 1e30, 1e30, 1e30, 1e30, 1e30, 1e30, 1e30, 1e30, 0.9900000095367432};
const double kDefault[12] = {300, 0, 200, 15, 15, 1, 20, 20, 0.009999999776482582, 2, 130000, 0.25};
const std::int32_t kUnit[12] = {26, 30, 2, 2, 2, 30, 1, 1, 0, 30, 1, 30};

TEST_F(Host, DescribesTheModelAndItsCatalogueByteForByte) {
    char buffer[96];
    std::memset(buffer, 'z', sizeof buffer);
    find<TextOut>("EL_GetModelName")(buffer);
    EXPECT_EQ(std::string(buffer, 80), field("Quenlor"));
    EXPECT_EQ(buffer[80], 'z');

    std::int32_t n = -1;
    find<IntOut>("EL_GetNumberOfParameters")(&n);
    EXPECT_EQ(n, 12);
    const std::pair<const char*, std::int32_t> flags[] = {
        {"EL_CDImplementedYet", 1}, {"EL_SkinImplementedYet", 1}, {"EL_SolutionType", 1}, {"EL_Support2P", 0}};
    for (const auto& [name, value] : flags) {
        std::int32_t v = -1;
        find<IntOut>(name)(&v);
        EXPECT_EQ(v, value) << name;
    }
    find<NoArgs>("EL_InitDll")();

    for (int i = 1; i <= 12; ++i) {
        char longName[80], shortName[80], label[80];
        std::int32_t mainInfo = -1, realInfo = -1, unit = -1, enums = -1, enumDefault = -1;
        double lo = -1, hi = -1, def = -1;
        find<MainInfo>("EL_GetMainParameterInfo")(i, longName, shortName, &mainInfo);
        EXPECT_EQ(std::string(longName, 80), field(kLongNames[i - 1])) << i;
        EXPECT_EQ(std::string(shortName, 80), field(kShortNames[i - 1])) << i;
        EXPECT_EQ(mainInfo, 0);
        find<RealInfo>("EL_GetRealParameterInfo")(i, &lo, &hi, &def, &unit, label, &realInfo);
        EXPECT_EQ(lo, kMinimum[i - 1]) << i;
        EXPECT_EQ(hi, kMaximum[i - 1]) << i;
        EXPECT_EQ(def, kDefault[i - 1]) << i;
        EXPECT_EQ(unit, kUnit[i - 1]) << i;
        EXPECT_EQ(std::string(label, 80), field(" ")) << i;
        EXPECT_EQ(realInfo, 0);
        find<IndexIntOut>("EL_GetNumberOfEnums")(i, &enums);
        find<IndexIntOut>("EL_GetEnumDefaultIndex")(i, &enumDefault);
        EXPECT_EQ(enums, 0);
        EXPECT_EQ(enumDefault, 0);
    }
}

TEST_F(Host, IndicesOutsideTheCatalogueLeaveOutputsUntouched) {
    for (std::int32_t i : {0, 13, -1, 1 << 30}) {
        char a[80], b[80];
        std::memset(a, 'q', 80);
        std::memset(b, 'q', 80);
        std::int32_t flag = 77, unit = 77, count = 77;
        double lo = 7, hi = 7, def = 7;
        find<MainInfo>("EL_GetMainParameterInfo")(i, a, b, &flag);
        find<RealInfo>("EL_GetRealParameterInfo")(i, &lo, &hi, &def, &unit, a, &flag);
        find<IndexIntOut>("EL_GetNumberOfEnums")(i, &count);
        EXPECT_EQ(std::string(a, 80), std::string(80, 'q'));
        EXPECT_EQ(std::string(b, 80), std::string(80, 'q'));
        EXPECT_EQ(flag, 77);
        EXPECT_EQ(count, 77);
        EXPECT_EQ(lo, 7.0);
    }
}

TEST_F(Host, SolvesOnlyAfterARunAndIgnoresTheFirstArgument) {
    auto solution = find<Solution>("EL_GetRealSpaceSolution");
    auto setPath = find<SetPath>("EL_SetDllPath");
    auto setLayer = find<SetLayer>("EL_SetActiveLayerFullModel");
    double p = -1;
    for (double t : {0.0, 1.0, 1e3, 1e9}) {
        solution(t, &p);
        EXPECT_EQ(p, 0.0) << t;
    }

    const std::string dir = makeScratchDirectory();
    writeText(dir + "e_Quenlor Input.dat", controlFileText(smallControl()));
    writeDefaultGrid(dir);
    setPath(dir.c_str(), static_cast<std::int32_t>(dir.size()));
    const double tHost[] = {1e3, 3e4, 2e5, 1e6};  // host times (well radius 0.3, half length 200)
    double first[4], second[4];
    setLayer(0, kCatalogueDefaults, 0.1, 20, 0.3, 0, 0, 1.0, 1e-5, 0.08, 10);
    for (int i = 0; i < 4; ++i) solution(tHost[i], &first[i]);
    setLayer(-123456, kCatalogueDefaults, 0.1, 20, 0.3, 0, 0, 1.0, 1e-5, 0.08, 10);
    for (int i = 0; i < 4; ++i) solution(tHost[i], &second[i]);
    for (int i = 0; i < 4; ++i) {
        EXPECT_GT(first[i], 0.0) << i;
        EXPECT_TRUE(std::isfinite(first[i])) << i;
        EXPECT_EQ(first[i], second[i]) << i;
    }
    EXPECT_LT(first[0], first[3]);
}

TEST_F(Host, ShippedDefaultsGiveAFiniteRisingResponse) {
    auto setPath = find<SetPath>("EL_SetDllPath");
    auto setLayer = find<SetLayer>("EL_SetActiveLayerFullModel");
    auto solution = find<Solution>("EL_GetRealSpaceSolution");
    const std::string dir = std::string(QUENLOR_SOURCE_DIR) + "/data/";
    setPath(dir.c_str(), static_cast<std::int32_t>(dir.size()));
    // Default layer: k 0.1 md, h 20 ft, rw 0.3 ft, mu 1 cp, ct 1e-5, phi 0.08, qB 240 bbl/day.
    setLayer(1, kCatalogueDefaults, 0.1, 20, 0.3, 0, 0, 1.0, 1e-5, 0.08, 240);
    // Host times from table time 3e-8 to 9e-3 (host = table * Xf^2 / rw^2).
    const double scale = 200.0 * 200.0 / (0.3 * 0.3);
    double previous = 0.0;
    for (int i = 0; i <= 60; ++i) {
        const double host = 3e-8 * std::pow(3e5, i / 60.0) * scale;
        double p = -1.0;
        solution(host, &p);
        ASSERT_TRUE(std::isfinite(p)) << host;
        EXPECT_GT(p, previous) << "host time " << host;
        previous = p;
    }
}

}  // namespace

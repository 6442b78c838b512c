#include "interface/intake.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "support/test_files.h"

namespace quenlor {
namespace {

using testing_support::controlFileText;
using testing_support::kCatalogueDefaults;
using testing_support::makeScratchDirectory;
using testing_support::smallControl;
using testing_support::writeDefaultGrid;
using testing_support::writeText;

constexpr double kLayer[kLayerValueCount] = {0.1, 20.0, 0.3, 111.0, 222.0, 1.0, 1e-5, 0.1, 10.0};

class IntakeTest : public ::testing::Test {
protected:
    std::unique_ptr<ModelState> state = std::make_unique<ModelState>();
    std::string dir = makeScratchDirectory();

    void setDirectory(const std::string& d) { setDataDirectory(*state, d.data(), static_cast<int>(d.size())); }
    void give(const double (&p)[kParameterCount], const double (&l)[kLayerValueCount] = kLayer) {
        setActiveLayer(*state, kParameterCount, p, l);
    }
};

TEST_F(IntakeTest, StoresOrdersAndDerivesWithoutData) {
    double p[kParameterCount];
    std::memcpy(p, kCatalogueDefaults, sizeof p);
    p[3] = 10.0;   // height1
    p[4] = 20.0;   // height2
    p[6] = 30.0;   // stressContrast1
    p[7] = 10.0;   // stressContrast2
    p[10] = 130000.0;
    p[11] = 0.25;
    give(p);
    EXPECT_EQ(state->parameters.height1, 20.0);
    EXPECT_EQ(state->parameters.height2, 10.0);
    EXPECT_EQ(state->parameters.stressContrast1, 10.0);
    EXPECT_EQ(state->parameters.stressContrast2, 30.0);
    EXPECT_DOUBLE_EQ(state->effectiveCompressibility, 1e-5 + 3.0 * 0.5 / (130000.0 * 0.1));
    EXPECT_EQ(state->layer.thickness, 20.0);
    EXPECT_EQ(state->layer.viscosity, 1.0);
    EXPECT_EQ(state->layer.rateFactor, 10.0);
    EXPECT_EQ(state->table.count, 0);  // no data files: no run
}

TEST_F(IntakeTest, DirectoryTextIsCutAtAHundredThenEightyAndBlankWhenEmpty) {
    setDataDirectory(*state, "ignored", 0);
    EXPECT_EQ(state->dllPath.trimmedLength(), 0);
    std::string longText(120, 'd');
    setDataDirectory(*state, longText.data(), 120);
    EXPECT_EQ(state->dllPath.trimmedLength(), 100);
    give(kCatalogueDefaults);
    EXPECT_EQ(state->workingPath.trimmedLength(), 80);
    char path[kFilePathLength + 1];
    buildDataFilePath(*state, kControlFileName, path);
    EXPECT_EQ(std::string(path), std::string(80, 'd') + "e_Quenlor Input.dat");
    setDataDirectory(*state, "abc", -4);
    EXPECT_EQ(state->dllPath.trimmedLength(), 0);
}

TEST_F(IntakeTest, RunsOnlyWhenBothFilesExistInTheDirectoryWithItsSeparator) {
    writeText(dir + kControlFileName, controlFileText(smallControl()));
    // Only the control file: no run.
    setDirectory(dir);
    give(kCatalogueDefaults);
    EXPECT_EQ(state->table.count, 0);
    writeDefaultGrid(dir);
    // Without the trailing separator the names run together: no run.
    setDirectory(dir.substr(0, dir.size() - 1));
    give(kCatalogueDefaults);
    EXPECT_EQ(state->table.count, 0);
    setDirectory(dir);
    give(kCatalogueDefaults);
    EXPECT_EQ(state->table.count, 1 + 12 * (2 + 2));
}

TEST_F(IntakeTest, IgnoredLayerValuesAndTheTableOfAMissingFileRunStayPut) {
    writeText(dir + kControlFileName, controlFileText(smallControl()));
    writeDefaultGrid(dir);
    setDirectory(dir);
    give(kCatalogueDefaults);
    const int count = state->table.count;
    const double last = state->table.value[count];
    double other[kLayerValueCount];
    std::memcpy(other, kLayer, sizeof other);
    other[3] = -1e300;
    other[4] = NAN;
    give(kCatalogueDefaults, other);
    EXPECT_EQ(state->table.count, count);
    EXPECT_EQ(state->table.value[count], last);
    // The grid file disappears: the rows of the last run stay.
    std::remove((dir + kGridFileName).c_str());
    double p[kParameterCount];
    std::memcpy(p, kCatalogueDefaults, sizeof p);
    p[2] = 50.0;
    give(p);
    EXPECT_EQ(state->table.count, count);
    EXPECT_EQ(state->table.value[count], last);
    EXPECT_EQ(state->parameters.halfLength, 50.0);
}

}  // namespace
}  // namespace quenlor

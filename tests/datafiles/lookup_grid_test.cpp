#include "datafiles/lookup_grid.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/test_files.h"

namespace quenlor {
namespace {

using testing_support::makeScratchDirectory;
using testing_support::writeGrid;
using testing_support::writeText;

class LookupGridTest : public ::testing::Test {
protected:
    std::string dir = makeScratchDirectory();
    std::string path = dir + kGridFileName;
    std::unique_ptr<LookupGrid> grid = std::make_unique<LookupGrid>();

    void read() {
        FirstProblem problems;
        ASSERT_TRUE(readLookupGrid(path.c_str(), *grid, problems)) << problems.first().message;
    }
};

TEST_F(LookupGridTest, PlaneThroughALinearGridIsExact) {
    writeGrid(path, [](int a, int b) { return a + 1000.0 * b; });
    read();
    for (double x : {0.0, 0.0125, 0.4, 1.2345, 3.9999, 4.99}) {
        for (double y : {0.0, 0.01, 2.5, 4.321}) {
            EXPECT_NEAR(interpolateLookupGrid(*grid, x, y), 1001.0 + 40.0 * x + 40000.0 * y, 1e-9) << x << " " << y;
        }
    }
    // Beyond 5 the last cell's plane is extended linearly.
    EXPECT_NEAR(interpolateLookupGrid(*grid, 6.0, 0.0), 1001.0 + 240.0, 1e-9);
    // Negative arguments extend the first cell instead of reading outside.
    EXPECT_NEAR(interpolateLookupGrid(*grid, -0.1, 0.0), 1001.0 - 4.0, 1e-9);
}

TEST_F(LookupGridTest, UsesThreeCornersOfTheCell) {
    writeGrid(path, [](int a, int b) { return a == 2 && b == 2 ? 1e6 : 0.5 * a; });
    read();
    // T(2, 2) is the fourth corner of the first cell: it plays no part inside it.
    EXPECT_NEAR(interpolateLookupGrid(*grid, 0.0125, 0.0125), 0.5 + 40.0 * 0.5 * 0.0125, 1e-12);
    EXPECT_DOUBLE_EQ(interpolateLookupGrid(*grid, 0.0, 0.0), grid->at(1, 1));
    EXPECT_DOUBLE_EQ(interpolateLookupGrid(*grid, 0.0125, 0.0), (grid->at(1, 1) + grid->at(2, 1)) / 2.0);
}

TEST_F(LookupGridTest, RecordsMaySpanLinesAndTheRestOfTheLastLineIsSkipped) {
    std::string text;
    for (int a = 1; a <= kGridSize; ++a) {
        for (int b = 1; b <= kGridSize; ++b) {
            text += std::to_string(a) + (b % 7 == 0 ? ",\n" : ", ");
        }
        text += " trailing words 99 after the record\n";
    }
    writeText(path, text);
    read();
    EXPECT_EQ(grid->at(1, 201), 1.0);
    EXPECT_EQ(grid->at(2, 1), 2.0);
    EXPECT_EQ(grid->at(201, 201), 201.0);
}

TEST_F(LookupGridTest, ReportsTextAndShortFilesWithTheirPlace) {
    std::string text;
    for (int a = 1; a <= kGridSize; ++a) {
        for (int b = 1; b <= kGridSize; ++b) text += (a == 3 && b == 5) ? "1.2.3 " : "1.5E-02 ";
        text += "\n";
    }
    writeText(path, text);
    FirstProblem problems;
    EXPECT_FALSE(readLookupGrid(path.c_str(), *grid, problems));
    EXPECT_EQ(problems.first().line, 3);
    EXPECT_EQ(problems.first().firstColumn, 4 * 8 + 1);

    // One value short.
    writeGrid(path, [](int, int) { return 1.0; });
    std::string full;
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) full.append(buffer, n);
        std::fclose(f);
    }
    full.erase(full.rfind(' '));  // drop the last value of the last record
    writeText(path, full + "\n");
    FirstProblem shortFile;
    EXPECT_FALSE(readLookupGrid(path.c_str(), *grid, shortFile));
    EXPECT_NE(std::string(shortFile.first().message).find("record 201 after 200"), std::string::npos)
        << shortFile.first().message;
}

}  // namespace
}  // namespace quenlor

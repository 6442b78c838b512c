#include "datafiles/control_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "datafiles/number_text.h"
#include "support/test_files.h"

namespace quenlor {
namespace {

using testing_support::controlFileText;
using testing_support::controlLine;
using testing_support::makeScratchDirectory;
using testing_support::smallControl;
using testing_support::writeText;

struct RealFieldCase {
    const char* field;
    int implied;
    double expected;
};

TEST(FixedFields, ReadRealsWithImpliedDecimalsExponentsAndBlanks) {
    const RealFieldCase cases[] = {
        {"                  25", 10, 2.5e-9},  // no point: 10 implied decimals
        {"                  25", 6, 2.5e-5},   // 6 implied decimals
        {"                 25.", 10, 25.0},
        {"                 25.", 6, 25.0},
        {"             1.0E+05", 10, 1.0e5},
        {"             1.0D+05", 10, 1.0e5},
        {"              1.0+05", 10, 1.0e5},
        {"              1.5e-3", 6, 1.5e-3},
        {"              1.5d-3", 6, 1.5e-3},
        {"               1.5-3", 6, 1.5e-3},
        {"                    ", 10, 0.0},
        {"  -  1 2 . 5        ", 10, -12.5},
        {"             -0.0025", 10, -0.0025},
        {"           25E2     ", 6, 2.5e-3},  // implied decimals, then the exponent
        {"                  +7", 0, 7.0},
        {"           .5       ", 10, 0.5},
    };
    for (const RealFieldCase& c : cases) {
        double v = -1.0;
        ASSERT_EQ(parseFixedReal(c.field, c.implied, v), NumberError::none) << "'" << c.field << "'";
        EXPECT_DOUBLE_EQ(v, c.expected) << "'" << c.field << "'";
    }
}

TEST(FixedFields, RejectTextThatIsNotANumber) {
    for (const char* field : {"abc", "1.2.3", "1E", "E5", "-", ".", "1,5", "1.5x", "--1", "1e+-3", "0x10", "nan", "inf"}) {
        double v = 0.0;
        EXPECT_EQ(parseFixedReal(field, 10, v), NumberError::notANumber) << "'" << field << "'";
    }
    double v = 0.0;
    EXPECT_EQ(parseFixedReal("1E400", 6, v), NumberError::outOfRange);
    EXPECT_EQ(parseFixedReal("1E-400", 6, v), NumberError::none);
    EXPECT_EQ(v, 0.0);
}

TEST(FixedFields, ReadIntegers) {
    std::int32_t v = -1;
    EXPECT_EQ(parseFixedInteger("      12", v), NumberError::none);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(parseFixedInteger("        ", v), NumberError::none);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(parseFixedInteger("  - 3 4 ", v), NumberError::none);
    EXPECT_EQ(v, -34);
    EXPECT_EQ(parseFixedInteger("-2147483648", v), NumberError::none);
    EXPECT_EQ(v, INT32_MIN);
    for (const char* bad : {"1.5", "12a", "+", "1-2", "1E3"}) EXPECT_EQ(parseFixedInteger(bad, v), NumberError::notANumber) << bad;
    EXPECT_EQ(parseFixedInteger("99999999999", v), NumberError::outOfRange);
}

class ControlFileTest : public ::testing::Test {
protected:
    std::string dir = makeScratchDirectory();
    std::string path = dir + kControlFileName;
};

TEST_F(ControlFileTest, RoundTripsEveryRecordIgnoringLabelsAndExtraLines) {
    ControlRecord c = smallControl();
    c.closedFractureCompliance = -1.25e-3;
    c.controlSpare40 = -7;
    std::string text = controlFileText(c);
    // Anything in columns 1 to 11 and after the value field, and any line
    // after the fortieth, is ignored.
    text[0] = '#';
    text.replace(1, 10, "x=y;z#!@ (");
    text += " rec41     garbage that is not a number\n";
    writeText(path, text);
    ControlRecord read{};
    testing_support::writeText(path, text);
    FirstProblem problems;
    ASSERT_TRUE(readControlFile(path.c_str(), read, problems));
    EXPECT_EQ(problems.count(), 0);
    EXPECT_EQ(read.firstPassEndTime, c.firstPassEndTime);
    EXPECT_EQ(read.closedFractureCompliance, -1.25e-3);
    EXPECT_EQ(read.simulationEndTime, c.simulationEndTime);
    EXPECT_EQ(read.stehfestTerms, 12);
    EXPECT_EQ(read.closureModel, 5);
    EXPECT_EQ(read.controlSpare40, -7);
}

TEST_F(ControlFileTest, ShortLinesReadAsBlanksAndCrLfIsAccepted) {
    std::string text;
    for (int n = 1; n <= kControlRecordCount; ++n) text += n == 12 ? controlLine(n, "         25\r") : " short\r\n";
    writeText(path, text);
    ControlRecord read{};
    read.stehfestTerms = 99;
    FirstProblem problems;
    ASSERT_TRUE(readControlFile(path.c_str(), read, problems));
    EXPECT_DOUBLE_EQ(read.fractureDiffusivity, 2.5e-5);  // E20.6: six implied decimals
    EXPECT_EQ(read.stehfestTerms, 0);
    EXPECT_EQ(read.firstPassStartTime, 0.0);
}

TEST_F(ControlFileTest, ProblemsNameTheLineAndColumnsAndLeaveTheRecordUnchanged) {
    std::string text = controlFileText(smallControl());
    // Line 9 (a real record): letters in the value field.
    const std::size_t line9 = [&] {
        std::size_t at = 0;
        for (int n = 1; n < 9; ++n) at = text.find('\n', at) + 1;
        return at;
    }();
    text.replace(line9 + 11, 20, "         twelve     ");
    writeText(path, text);
    ControlRecord read{};
    read.firstPassStartTime = 42.0;
    FirstProblem problems;
    EXPECT_FALSE(readControlFile(path.c_str(), read, problems));
    ASSERT_EQ(problems.count(), 1);
    EXPECT_EQ(problems.first().line, 9);
    EXPECT_EQ(problems.first().firstColumn, 12);
    EXPECT_EQ(problems.first().lastColumn, 31);
    EXPECT_NE(std::string(problems.first().message).find("twelve"), std::string::npos);
    EXPECT_EQ(read.firstPassStartTime, 42.0);
}

TEST_F(ControlFileTest, AFileCutShortOrMissingIsReported) {
    std::string text = controlFileText(smallControl());
    std::size_t at = 0;
    for (int n = 1; n <= 30; ++n) at = text.find('\n', at) + 1;
    writeText(path, text.substr(0, at));
    ControlRecord read{};
    FirstProblem problems;
    EXPECT_FALSE(readControlFile(path.c_str(), read, problems));
    EXPECT_EQ(problems.first().line, 31);

    FirstProblem missing;
    EXPECT_FALSE(readControlFile((dir + "nothing-here.dat").c_str(), read, missing));
    EXPECT_EQ(missing.count(), 1);
}

}  // namespace
}  // namespace quenlor

// Splitting the command line into the five values, and the capture flag.
#include <gtest/gtest.h>

#include "app/DownloadRequest.h"

namespace {

std::vector<CStringA> Split(const CStringA& line) {
    std::vector<CStringA> values;
    EXPECT_EQ(SplitCommandLine(line, values), SPLIT_OK) << line;
    return values;
}

using Values = std::vector<CStringA>;

TEST(SplitCommandLine, FiveValuesInTheirOrder) {
    EXPECT_EQ(Split("prog -a -b -c#d -e -1"), (Values{"a", "b", "c#d", "e", "1"}));
}

TEST(SplitCommandLine, AnythingButFiveSeparatorsIsRefusedWithoutSplitting) {
    for (const char* line :
         {"prog -a -b -c#d -e", "prog -a -b -c#d -e -1 -x", "prog", "", "/opt/x -y/prog -a -b -c#d -e -1"}) {
        std::vector<CStringA> values;
        EXPECT_EQ(SplitCommandLine(line, values), SPLIT_NOT_FIVE_SEPARATORS) << line;
        EXPECT_TRUE(values.empty()) << line;
    }
}

TEST(SplitCommandLine, HyphenWithoutASpaceBeforeItBelongsToTheValue) {
    EXPECT_EQ(Split("prog -a-x -b -c#d -e -1")[0], "a-x");
}

TEST(SplitCommandLine, OuterSpacesGoInnerSpacesAndTabsStay) {
    Values v = Split("prog -  a b   -b -c#d -\tname\t -0");
    EXPECT_EQ(v[0], "a b");
    EXPECT_EQ(v[3], "\tname\t");
    EXPECT_EQ(ParseCaptureFlag(v[4]), 0);
}

TEST(SplitCommandLine, QuotationMarksAreOrdinaryCharacters) {
    Values v = Split("\"C:/Program Files/prog\" -\"http://x/y z\" -b -c#d -e -1");
    EXPECT_EQ(v[0], "\"http://x/y z\"");
}

TEST(SplitCommandLine, EmptyOrBlankValuesStayEmpty) {
    EXPECT_EQ(Split("prog -a -b - -e -1")[2], "");
    EXPECT_EQ(Split("prog -a -b -    -e -1")[2], "");
    EXPECT_EQ(Split("prog -a -b -c#d -e -")[4], "");
}

TEST(SplitCommandLine, DoubleHyphenStartsAValueWithAHyphen) {
    Values v = Split("prog -a -b -c#d -e --1");
    EXPECT_EQ(v[4], "-1");
    EXPECT_EQ(ParseCaptureFlag(v[4]), -1);
}

TEST(ParseCaptureFlag, ReadsAsAtoiDoes) {
    EXPECT_EQ(ParseCaptureFlag("1"), 1);
    EXPECT_EQ(ParseCaptureFlag("  42abc"), 42);
    EXPECT_EQ(ParseCaptureFlag("+7"), 7);
    EXPECT_EQ(ParseCaptureFlag("x"), 0);
    EXPECT_EQ(ParseCaptureFlag(""), 0);
    EXPECT_EQ(ParseCaptureFlag("99999999999"), INT32_MAX) << "out of range stays allowed, never wraps to 0";
}

}  // namespace

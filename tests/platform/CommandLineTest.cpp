#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/CommandLine.h"

namespace {

// Hands a list of texts over as the argc/argv pair a program receives.
std::string Record(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    SetProcessCommandLine(static_cast<int>(args.size()), argv.data());
    return GetCommandLineA();
}

TEST(CommandLine, EmptyBeforeAnythingIsRecorded) {
    // A fresh process, so that other tests' recordings cannot hide the start state.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(GetCommandLineA() != nullptr && *GetCommandLineA() == '\0' ? 0 : 1),
                testing::ExitedWithCode(0), "");
}

TEST(CommandLine, JoinsArgumentsAsReceived) {
    EXPECT_EQ(Record({"prog"}), "prog");
    // No quoting is added around arguments that contain spaces or quotes.
    EXPECT_EQ(Record({"/usr/bin/prog", "two words", "\"q\"", "-x"}), "/usr/bin/prog two words \"q\" -x");
}

TEST(CommandLine, EmptyArgumentsKeepTheirSeparators) {
    EXPECT_EQ(Record({"p", "", "x"}), "p  x");
    EXPECT_EQ(Record({"p", ""}), "p ");
    EXPECT_EQ(Record({"", "x"}), " x");
}

TEST(CommandLine, LaterRecordingReplacesEarlier) {
    Record({"first", "run"});
    EXPECT_EQ(Record({"second"}), "second");
    EXPECT_EQ(Record({}), "");
}

}  // namespace

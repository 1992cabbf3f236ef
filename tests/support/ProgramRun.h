#pragma once
// One run of the program in the test's own process: the real start-up and
// application object, with the user's steps played from inside its windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DeRavizizivuApp.h"
#include "framework/Dialog.h"
#include "framework/Thread.h"
#include "platform/CommandLine.h"
#include "tests/support/DialogDriver.h"

namespace testsupport {

// Starts the program with these five values as the dictionary application
// does and plays the steps; returns when the program would end. A run that
// has not ended after 30 s fails and is ended.
inline void RunProgram(const std::vector<std::string>& values, std::vector<Step> steps) {
    std::vector<const char*> args{"DeRavizizivu"};
    std::vector<std::string> hyphened;
    for (const std::string& v : values) hyphened.push_back("-" + v);
    for (const std::string& v : hyphened) args.push_back(v.c_str());
    SetProcessCommandLine(static_cast<int>(args.size()), const_cast<char**>(args.data()));
    size_t count = steps.size();
    auto taken = RunSteps(std::move(steps));
    Ticker watchdog(
        30000,
        [] {
            ADD_FAILURE() << "the run never ended";
            if (auto* dlg = dynamic_cast<CDialog*>(theApp.m_pMainWnd)) dlg->EndDialog(IDCANCEL);
        },
        false);
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(*taken, count) << "steps not taken";
    EXPECT_TRUE(AfxWaitForRunningThreads(5000)) << "a worker outlived the run";
}

}  // namespace testsupport

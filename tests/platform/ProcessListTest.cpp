// The process list: what the kernel keeps of each process's name, found by
// pid, walked with the snapshot calls.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/ToolHelp.h"
#include "platform/posix/ProcessSnapshot.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/StandIn.h"
#include "tests/support/TempDir.h"

namespace {

using Processes = std::map<DWORD, std::wstring>;

// Every entry of a snapshot, by pid; false when the walk could not begin.
bool Walk(HANDLE snapshot, Processes& processes) {
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    if (!Process32FirstW(snapshot, &entry)) return false;
    do processes[entry.th32ProcessID] = entry.szExeFile;
    while (Process32NextW(snapshot, &entry));
    return true;
}

Processes Running() {
    Processes processes;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
    if (snapshot == INVALID_HANDLE_VALUE) return processes;
    EXPECT_TRUE(Walk(snapshot, processes));
    EXPECT_TRUE(CloseHandle(snapshot));
    return processes;
}

struct NameCase {
    const char* given;
    const wchar_t* listed;  // as the kernel keeps it
};

class ProcessName : public testing::TestWithParam<NameCase> {};

TEST_P(ProcessName, StandInIsListedWithItsPidAndName) {
    testsupport::PrivateBus bus;
    ASSERT_TRUE(bus.Running());
    testsupport::StandInOptions options;
    options.app = true;
    options.comm = GetParam().given;
    testsupport::StandIn standIn(bus, options);
    ASSERT_TRUE(standIn.Ready());

    const Processes processes = Running();
    const auto found = processes.find(static_cast<DWORD>(standIn.Pid()));
    ASSERT_NE(found, processes.end());
    EXPECT_EQ(found->second, GetParam().listed);
}

INSTANTIATE_TEST_SUITE_P(Kernel, ProcessName,
                         testing::Values(NameCase{"vantel.exe", L"vantel.exe"}, NameCase{"VANTEL.EXE", L"VANTEL.EXE"},
                                         NameCase{"vantel.exe.bak", L"vantel.exe.bak"},
                                         NameCase{"vantel.exe.backup.old", L"vantel.exe.back"}));

TEST(ProcessList, ListsThisProcess) {
    const Processes processes = Running();
    const auto self = processes.find(static_cast<DWORD>(getpid()));
    ASSERT_NE(self, processes.end());
    const std::string name = std::string(program_invocation_short_name).substr(0, 15);
    EXPECT_EQ(self->second, std::wstring(name.begin(), name.end()));
    EXPECT_EQ(processes.count(0), 0u);
}

TEST(ProcessList, SnapshotOfAFolderLaidOutAsProc) {
    testsupport::TempDir proc;
    const std::map<std::string, const char*> comms = {
        {"1", "init\n"}, {"42", "vantel.exe\n"}, {"self", "not a process\n"}, {"0x10", "nor this\n"}};
    for (const auto& [entry, comm] : comms) {
        std::filesystem::create_directory(proc / entry);
        std::ofstream(proc / (entry + "/comm")) << comm;
    }
    std::filesystem::create_directory(proc / "77");  // ended before its name was read

    HANDLE snapshot = SnapshotProcessesUnder(proc.Path().c_str());
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    Processes first, second;
    EXPECT_TRUE(Walk(snapshot, first));
    EXPECT_EQ(first, (Processes{{1, L"init"}, {42, L"vantel.exe"}}));
    // Process32FirstW starts the walk again.
    EXPECT_TRUE(Walk(snapshot, second));
    EXPECT_EQ(second, first);
    EXPECT_TRUE(CloseHandle(snapshot));
}

// Listed are the running processes of this program's user only.
TEST(ProcessList, EndedProcessesAndOtherUsersAreNotListed) {
    testsupport::TempDir proc;
    const uid_t kNobody = 65534;
    struct Entry {
        const char* pid;
        const char* comm;
        const char* stat;
        uid_t owner = geteuid();
    } entries[] = {
        {"42", "vantel.exe\n", "42 (vantel.exe) Z 1 42 42 0 -1\n"},  // ended, not yet reaped
        {"43", "vantel.exe\n", "43 (vantel.exe) X 1 43 43 0 -1\n"},  // being reaped
        {"44", "vantel.exe\n", "44 (vantel.exe) S 1 44 44 0 -1\n"},
        {"45", "a) Z (b\n", "45 (a) Z (b) R 1 45 45 0 -1\n"},  // a name that looks like a state
        {"46", "vantel.exe\n", "46 (vantel.exe) S 1 46 46 0 -1\n", kNobody},
    };
    for (const Entry& e : entries) {
        const bool theirs = e.owner != geteuid();
        if (theirs && geteuid() != 0) continue;  // only root can give a folder to another user
        std::filesystem::create_directory(proc / e.pid);
        std::ofstream(proc / (std::string(e.pid) + "/comm")) << e.comm;
        std::ofstream(proc / (std::string(e.pid) + "/stat")) << e.stat;
        ASSERT_TRUE(!theirs || chown((proc / e.pid).c_str(), e.owner, e.owner) == 0) << e.pid;
    }
    HANDLE snapshot = SnapshotProcessesUnder(proc.Path().c_str());
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    Processes listed;
    EXPECT_TRUE(Walk(snapshot, listed));
    EXPECT_EQ(listed, (Processes{{44, L"vantel.exe"}, {45, L"a) Z (b"}}));
    EXPECT_TRUE(CloseHandle(snapshot));
}

TEST(ProcessList, NoSnapshotWithoutAProcessFolder) {
    EXPECT_EQ(SnapshotProcessesUnder("/nonexistent/proc"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateToolhelp32Snapshot(0, 0), INVALID_HANDLE_VALUE);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    EXPECT_FALSE(Process32FirstW(INVALID_HANDLE_VALUE, &entry));
    EXPECT_FALSE(Process32NextW(nullptr, &entry));
}

}  // namespace

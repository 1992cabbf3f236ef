// A test program with windows on Windows: the tests run in a second process
// of the same program, and the program passes only when that process got to
// the end. The download dialog ends the whole process while a worker is
// still running, which must never look like a passed test.
#include <gtest/gtest.h>
#include <windows.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr DWORD kFinished = 0x5A00;  // added to the result by a run that got to the end
constexpr const char* kChild = "DERAVIZIZIVU_TEST_CHILD";

int RunTests(int argc, char** argv) {
    setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

int RunChild() {
    _putenv_s(kChild, "1");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, ::GetCommandLineW(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process))
        return 1;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if ((code & ~0xFFu) == kFinished) return static_cast<int>(code & 0xFF);
    std::fprintf(stderr, "the test program ended before its tests did\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv(kChild)) return RunChild();
    int result = RunTests(argc, argv);
    std::fflush(nullptr);
    return static_cast<int>(kFinished) + result;
}

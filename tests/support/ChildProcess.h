#pragma once
// A program the test starts and is sure to end: SIGTERM, then SIGKILL, to its
// whole process group (which holds whatever it started itself), when the test
// is done with it.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace testsupport {

struct ChildOptions {
    std::vector<std::string> unsetEnvironment;  // variables the child does not inherit
    bool captureStdout = false;                 // else stdout goes where stderr goes
    std::string stderrFile = "/dev/null";       // where the child's stderr goes
};

class ChildProcess {
public:
    // Starts argv[0] (a path) in a process group of its own; Pid() is 0 when
    // it could not be started.
    explicit ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }
    // One line of the child's stdout (captureStdout), without its newline;
    // false when none came within the timeout.
    bool ReadLine(std::string& line, std::chrono::milliseconds timeout);
    // Ends the child and its group: SIGTERM, SIGKILL after a grace period.
    void Stop();
    // Whether the child has ended by itself within the timeout.
    bool WaitForExit(std::chrono::milliseconds timeout);

private:
    pid_t m_pid = 0;
    int m_stdout = -1;
    std::string m_pending;
    bool m_reaped = false;
};

}  // namespace testsupport

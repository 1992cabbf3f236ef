#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

// The test's environment less the variables named: built before the spawn,
// which may not allocate in the child.
std::vector<std::string> EnvironmentWithout(const std::vector<std::string>& names) {
    std::vector<std::string> kept;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable(*entry);
        const std::string name = variable.substr(0, variable.find('='));
        if (std::find(names.begin(), names.end(), name) == names.end()) kept.push_back(variable);
    }
    return kept;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options) {
    std::vector<std::string> arguments = argv;
    std::vector<std::string> environment = EnvironmentWithout(options.unsetEnvironment);
    int out[2] = {-1, -1};
    if (options.captureStdout && pipe2(out, O_CLOEXEC) != 0) return;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, options.stderrFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (options.captureStdout)
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    else
        posix_spawn_file_actions_adddup2(&actions, 2, 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    std::vector<char*> argPointers = Pointers(arguments);
    std::vector<char*> envPointers = Pointers(environment);
    if (posix_spawn(&m_pid, argPointers[0], &actions, &attributes, argPointers.data(), envPointers.data()) != 0)
        m_pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (options.captureStdout) {
        close(out[1]);
        m_stdout = out[0];
    }
}

ChildProcess::~ChildProcess() {
    Stop();
    if (m_stdout >= 0) close(m_stdout);
}

bool ChildProcess::ReadLine(std::string& line, std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        if (const size_t end = m_pending.find('\n'); end != std::string::npos) {
            line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{m_stdout, POLLIN, 0};
        if (m_stdout < 0 || left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[512];
        const ssize_t n = read(m_stdout, buffer, sizeof buffer);
        if (n <= 0) return false;
        m_pending.append(buffer, static_cast<size_t>(n));
    }
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (m_pid == 0 || m_reaped) return true;
    const Clock::time_point deadline = Clock::now() + timeout;
    do {
        int status = 0;
        const pid_t r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid || (r < 0 && errno == ECHILD)) {
            m_reaped = true;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (Clock::now() < deadline);
    return false;
}

void ChildProcess::Stop() {
    if (m_pid == 0) return;
    kill(-m_pid, SIGTERM);
    if (!WaitForExit(std::chrono::seconds(3))) {
        kill(-m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_reaped = true;
    }
    // What the child started may outlive it in the group.
    kill(-m_pid, SIGKILL);
    m_pid = 0;
}

}  // namespace testsupport

#pragma once
// Runs a program to its end with its output captured; what it used is its own.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

inline long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

struct ChildResult {
    bool ran = false;
    std::string out;          // what it printed
    long long startedNs = 0;  // the monotonic clock just before the spawn
    double wall = 0;          // spawn to exit, seconds
    double cpu = 0;           // user + system seconds
    long maxRssKb = 0;
};

inline ChildResult Spawn(std::vector<std::string> args) {
    ChildResult result;
    int fds[2];
    if (pipe(fds) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    result.startedNs = MonotonicNs();
    result.ran = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) result.out.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    if (!result.ran) return result;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.wall = static_cast<double>(MonotonicNs() - result.startedNs) / 1e9;
    result.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    result.maxRssKb = usage.ru_maxrss;
    return result;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    if (n == 0) return 0;
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace bench

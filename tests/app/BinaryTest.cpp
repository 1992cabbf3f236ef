// The real program, started as the dictionary application starts it, with
// language settings in folders of its own and no session bus.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/EnvScope.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TarnwickConfig.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace {

struct Child {
    testsupport::TarnwickConfig tarnwick;  // what the child inherits
    testsupport::EnvScope noBus{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"};
    pid_t pid = -1;
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    // The exit status, or -1 when still running after `timeout`.
    int WaitFor(std::chrono::milliseconds timeout) {
        auto until = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
};

void Start(Child& child, const std::string& program, std::vector<std::string> args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("http_proxy", "http://127.0.0.1:9", 1);  // the service is not reached: nothing leaves the machine
    setenv("no_proxy", "127.0.0.1", 1);
    ASSERT_EQ(posix_spawn(&child.pid, DERAVIZIZIVU_BINARY, nullptr, nullptr, argv.data(), environ), 0);
}

TEST(Binary, WrongNumberOfSeparatorsEndsAtOnce) {
    for (auto args : {std::vector<std::string>{"-a", "-b", "-c#d", "-e"},
                      std::vector<std::string>{"-a", "-b", "-c#d", "-e", "-1", "-f"}}) {
        Child child;
        Start(child, DERAVIZIZIVU_BINARY, args);
        EXPECT_EQ(child.WaitFor(std::chrono::seconds(20)), 0);
    }
}

TEST(Binary, ProgramPathWithSpaceHyphenCountsAsASeparator) {
    Child child;
    Start(child, "/opt/Tarnwick -x/DeRavizizivu", {"-a", "-b", "-c#d", "-e", "-1"});
    EXPECT_EQ(child.WaitFor(std::chrono::seconds(20)), 0);
}

TEST(Binary, GoodCommandLineKeepsTheDialogOpen) {
    Child child;
    Start(child, DERAVIZIZIVU_BINARY, {"-http://127.0.0.1:9/x.zip", "-/nonexistent/x.zip", "-12#345", "-名", "-1"});
    EXPECT_EQ(child.WaitFor(std::chrono::milliseconds(1500)), -1) << "the dialog waits for its user";
}

TEST(Binary, DownloadsAndPlacesThePackageThenWaitsOnItsDoneButton) {
    testsupport::LoopbackServer server;
    std::string body(64 * 1024, 'p');
    server.SetHandler(testsupport::ServeFixed(testsupport::Reply{.body = body}));
    testsupport::TempDir dest, tmp;
    setenv("TMPDIR", tmp.Path().c_str(), 1);
    Child child;
    Start(child, DERAVIZIZIVU_BINARY,
          {"-" + server.BaseUrl() + "/dict.zip", "-" + (dest / "dict.zip"), "-12#345", "-名", "-1"});
    unsetenv("TMPDIR");
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(dest / "dict.zip") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(std::filesystem::exists(dest / "dict.zip"));
    EXPECT_EQ(std::filesystem::file_size(dest / "dict.zip"), body.size());
    EXPECT_FALSE(std::filesystem::exists(tmp / "dict.zip"));
    EXPECT_EQ(child.WaitFor(std::chrono::milliseconds(500)), -1) << "the dialog stays until its user leaves";
}

TEST(Binary, FirstStartLeavesTheThreeConfigurationFoldersAndNoFile) {
    Child child;
    ASSERT_FALSE(std::filesystem::exists(child.tarnwick.AppData()));
    Start(child, DERAVIZIZIVU_BINARY, {"-a", "-b", "-c#d", "-e"});  // the language comes before the command line
    EXPECT_EQ(child.WaitFor(std::chrono::seconds(20)), 0);
    for (const char* folder : {"/brindlecor", "/brindlecor/Tarnwick", "/brindlecor/Tarnwick/config"})
        EXPECT_TRUE(std::filesystem::is_directory(child.tarnwick.AppData() + folder)) << folder;
    EXPECT_FALSE(std::filesystem::exists(child.tarnwick.ConfigFile()));
}

TEST(Binary, ReadsTheLanguageSettingsAndNeverWritesThem) {
    for (const char* conf : {"[language]\ncodepage=1252\n", "[language]\ncodepage=0\n"}) {
        Child child;
        child.tarnwick.WriteConfig(conf);
        child.tarnwick.WriteRegistry("InstallLanguage=1033\n");
        const auto confTime = std::filesystem::last_write_time(child.tarnwick.ConfigFile());
        const auto keyTime = std::filesystem::last_write_time(child.tarnwick.RegistryFile());
        Start(child, DERAVIZIZIVU_BINARY, {"-a", "-b", "-c#d", "-e"});
        EXPECT_EQ(child.WaitFor(std::chrono::seconds(20)), 0);
        EXPECT_EQ(testsupport::ReadFile(child.tarnwick.ConfigFile()), conf);
        EXPECT_EQ(testsupport::ReadFile(child.tarnwick.RegistryFile()), "InstallLanguage=1033\n");
        EXPECT_EQ(std::filesystem::last_write_time(child.tarnwick.ConfigFile()), confTime);
        EXPECT_EQ(std::filesystem::last_write_time(child.tarnwick.RegistryFile()), keyTime);
    }
}

}  // namespace

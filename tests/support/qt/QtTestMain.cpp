// A test program with windows: the toolkit application exists for every test.
//
// The tests run in a child process, and the program passes only when that
// child got to the end: the download dialog ends the whole process while a
// worker is still running, which must never look like a passed test.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

int RunTests(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setlocale(LC_ALL, "");
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    QApplication app(toolkitArgc, toolkitArgv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace

int main(int argc, char** argv) {
    int done[2];
    if (pipe(done) != 0) return RunTests(argc, argv);
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        close(done[0]);
        int result = RunTests(argc, argv);
        if (write(done[1], "", 1) != 1) return 1;
        return result;
    }
    close(done[1]);
    char marker;
    bool finished = read(done[0], &marker, 1) == 1;
    int status = 0;
    waitpid(child, &status, 0);
    if (!finished) {
        std::fprintf(stderr, "the test program ended before its tests did\n");
        return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

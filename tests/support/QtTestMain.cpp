// A test program with windows: the toolkit application exists for every test.
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setlocale(LC_ALL, "");
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    QApplication app(toolkitArgc, toolkitArgv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

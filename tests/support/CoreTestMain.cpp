// A test program without windows whose code runs on the toolkit's
// application thread: the core application object exists for every test.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <clocale>

int main(int argc, char** argv) {
    setlocale(LC_ALL, "");
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    QCoreApplication app(toolkitArgc, toolkitArgv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

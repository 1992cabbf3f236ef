#include "framework/WinApp.h"

int main(int argc, char** argv) {
    return AfxWinMain(argc, argv);
}

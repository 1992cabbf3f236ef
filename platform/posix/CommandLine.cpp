#include "platform/CommandLine.h"

#include <string>
#include <utility>

namespace {

// Held in a function so that callers during static initialisation see the empty text.
std::string& CommandLine() {
    static std::string text;
    return text;
}

}  // namespace

void SetProcessCommandLine(int argc, char** argv) {
    std::string joined;
    for (int i = 0; i < argc && argv; ++i) {
        if (i > 0) joined += ' ';
        if (argv[i]) joined += argv[i];
    }
    CommandLine() = std::move(joined);
}

const char* GetCommandLineA() {
    return CommandLine().c_str();
}

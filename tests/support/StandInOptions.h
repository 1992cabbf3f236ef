#pragma once
// How a test asks for the stand-in dictionary application, on either ground,
// and what it recorded.
#include <fstream>
#include <string>
#include <vector>

namespace testsupport {

inline constexpr char kAppControlName[] = "com.brindlecor.Tarnwick.AppControl";
inline constexpr char kConfigName[] = "com.brindlecor.Tarnwick.Config";

struct StandInOptions {
    bool app = false;     // owns the running application's name
    bool config = false;  // owns the configuration object's name
    bool silent = false;  // never answers a call
    bool bare = false;    // owns the names but exports no object
    std::string record;   // file the calls are appended to
    std::string comm;     // process name, when not the stand-in's default
};

// The lines of a record file, in order (none when it does not exist).
inline std::vector<std::string> RecordedCalls(const std::string& recordFile) {
    std::ifstream in(recordFile, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace testsupport

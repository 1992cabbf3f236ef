#pragma once
// The dictionary application's stand-in (tarnwick_standin), started by the
// test on its private bus, and the calls it recorded.
#include <chrono>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateBus.h"

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

// The stand-in's command line, e.g. for an activation file's Exec line.
std::string StandInCommand(const StandInOptions& options);

class StandIn {
public:
    // Starts the stand-in and waits until it owns the names it serves.
    StandIn(const PrivateBus& bus, const StandInOptions& options);
    bool Ready() const { return m_ready; }
    pid_t Pid() const { return m_process.Pid(); }

private:
    ChildProcess m_process;
    bool m_ready;
};

// The lines of a record file, in order (none when it does not exist).
std::vector<std::string> RecordedCalls(const std::string& recordFile);

}  // namespace testsupport

#pragma once
// The dictionary application's stand-in (tarnwick_standin), started by the
// test on its private bus, and the calls it recorded.
#include <chrono>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/StandInOptions.h"

namespace testsupport {

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

}  // namespace testsupport

#include "StandIn.h"

namespace testsupport {
namespace {

std::vector<std::string> Arguments(const StandInOptions& options) {
    std::vector<std::string> arguments{TARNWICK_STANDIN};
    if (options.app) arguments.insert(arguments.end(), {"--serve", "app"});
    if (options.config) arguments.insert(arguments.end(), {"--serve", "config"});
    if (options.silent) arguments.push_back("--silent");
    if (options.bare) arguments.push_back("--bare");
    if (!options.record.empty()) arguments.insert(arguments.end(), {"--record", options.record});
    if (!options.comm.empty()) arguments.insert(arguments.end(), {"--comm", options.comm});
    return arguments;
}

bool OwnsItsNames(const PrivateBus& bus, const StandInOptions& options) {
    constexpr std::chrono::seconds kStart(10);
    return (!options.app || bus.WaitForName(kAppControlName, true, kStart)) &&
           (!options.config || bus.WaitForName(kConfigName, true, kStart));
}

}  // namespace

std::string StandInCommand(const StandInOptions& options) {
    std::string command;
    for (const std::string& argument : Arguments(options)) command += (command.empty() ? "" : " ") + argument;
    return command;
}

StandIn::StandIn(const PrivateBus& bus, const StandInOptions& options)
    : m_process(Arguments(options)), m_ready(m_process.Pid() != 0 && OwnsItsNames(bus, options)) {}

}  // namespace testsupport

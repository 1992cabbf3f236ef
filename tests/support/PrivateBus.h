#pragma once
// A session bus of the test's own: a dbus-daemon child on a unix socket in a
// temporary folder, with a service folder for activation files the test
// writes. While it lives, DBUS_SESSION_BUS_ADDRESS names it; the user's own
// bus is never touched. The destructor stops the daemon and everything it
// started, and gives the variable its old value back.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace testsupport {

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Whether the daemon runs and told its address.
    bool Running() const { return !m_address.empty(); }
    const std::string& Address() const { return m_address; }
    // The bus's temporary folder, also for the test's own files.
    const TempDir& Folder() const { return m_folder; }

    // An activation file: the bus starts execLine when busName is asked for.
    bool WriteService(const std::string& busName, const std::string& execLine);
    // Stops the daemon (SIGSTOP), or lets it go on: a bus that takes
    // connections and never answers. It goes on before it is ended.
    void Freeze(bool frozen) const;
    // Whether busName has (or, with owned false, has not) an owner within the
    // timeout, as asked with the bus's own tool.
    bool WaitForName(const std::string& busName, bool owned, std::chrono::milliseconds timeout) const;

private:
    TempDir m_folder;
    std::optional<std::string> m_previousAddress;
    std::unique_ptr<ChildProcess> m_daemon;
    std::string m_address;
};

}  // namespace testsupport

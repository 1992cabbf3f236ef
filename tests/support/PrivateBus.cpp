#include "PrivateBus.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace testsupport {
namespace {

// A session bus as the desktop's, less everything but this: one unix socket,
// one service folder, peers of the same user only.
std::string Config(const TempDir& folder) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" +
           folder / "bus" +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <servicedir>" +
           folder / "services" +
           "</servicedir>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

// The variables that would point the daemon, and what it starts, at another bus.
const std::vector<std::string> kBusVariables = {"DBUS_SESSION_BUS_ADDRESS", "DBUS_STARTER_ADDRESS",
                                                "DBUS_STARTER_BUS_TYPE"};

}  // namespace

PrivateBus::PrivateBus() {
    if (const char* previous = std::getenv("DBUS_SESSION_BUS_ADDRESS")) m_previousAddress = previous;
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!m_folder.Made() || !std::filesystem::create_directory(m_folder / "services")) return;
    if (!WriteText(m_folder / "bus.conf", Config(m_folder))) return;
    ChildOptions options;
    options.unsetEnvironment = kBusVariables;
    options.captureStdout = true;
    options.stderrFile = m_folder / "daemon.log";
    m_daemon = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/dbus-daemon", "--config-file=" + (m_folder / "bus.conf"), "--print-address",
                                 "--nofork", "--nopidfile"},
        options);
    std::string address;
    if (m_daemon->Pid() == 0 || !m_daemon->ReadLine(address, std::chrono::seconds(10))) return;
    m_address = address;
    setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
}

PrivateBus::~PrivateBus() {
    // The daemon's group holds the services it started.
    Freeze(false);
    m_daemon.reset();
    if (m_previousAddress)
        setenv("DBUS_SESSION_BUS_ADDRESS", m_previousAddress->c_str(), 1);
    else
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

void PrivateBus::Freeze(bool frozen) const {
    if (m_daemon && m_daemon->Pid() > 0) kill(m_daemon->Pid(), frozen ? SIGSTOP : SIGCONT);
}

bool PrivateBus::WriteService(const std::string& busName, const std::string& execLine) {
    return WriteText(m_folder / ("services/" + busName + ".service"),
                     "[D-BUS Service]\nName=" + busName + "\nExec=" + execLine + "\n");
}

bool PrivateBus::WaitForName(const std::string& busName, bool owned, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const std::string expected = owned ? "true" : "false";
    do {
        ChildOptions options;
        options.captureStdout = true;
        ChildProcess ask(
            {"/usr/bin/dbus-send", "--bus=" + m_address, "--print-reply=literal", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + busName},
            options);
        std::string answer;
        if (ask.ReadLine(answer, std::chrono::seconds(2)) && answer.find(expected) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

}  // namespace testsupport

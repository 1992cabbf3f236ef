#pragma once
// The surroundings of one download run: a loopback server that is the
// package server and, as the proxy it is reached through, the download
// service; a destination folder and a temporary folder of the run's own.
#include <cstdlib>

#include "tests/support/LoopbackServer.h"
#include "tests/support/TempDir.h"

namespace testsupport {

struct DownloadScene {
    // Points the program at the server and the temporary folder, and at no
    // session bus, so the install step never reaches the user's own
    // dictionary application; false when a folder could not be made.
    bool Enter() {
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
        setenv("http_proxy", server.BaseUrl().c_str(), 1);
        setenv("no_proxy", "127.0.0.1", 1);
        setenv("TMPDIR", tmp.Path().c_str(), 1);
        return dest.Made() && tmp.Made();
    }
    void Leave() {
        unsetenv("TMPDIR");
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    LoopbackServer server;
    TempDir dest;
    TempDir tmp;
};

}  // namespace testsupport

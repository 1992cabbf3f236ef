// The application's start on this ground: the toolkit application, the
// command line taken before it, and the screen-reader bridge kept off a silent bus.
#include "framework/WinApp.h"

#include <QApplication>

#include <cerrno>  // program_invocation_short_name
#include <clocale>
#include <cstdlib>
#include <string>

#include "platform/CodePage.h"
#include "platform/CommandLine.h"
#include "platform/posix/BusProbe.h"

namespace {
// The session bus the toolkit's screen-reader bridge would connect to: the
// address given, else the bus library's own choice, the runtime folder's bus.
std::string ToolkitSessionBus() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return address;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime ? std::string("unix:path=") + runtime + "/bus" : std::string();
}

// The screen-reader bridge asks the session bus for the accessibility bus
// when the first window is made, and connecting there waits for an answer
// with no limit: a bus that never answers would keep every window from
// showing. When the session bus does not answer now, the bridge is given an
// accessibility bus of its own instead, one that does not exist: there is no
// screen reader for this run (without the session bus none could reach the
// program anyway), and no wait. A bridge told its bus never asks the session
// bus, so one given by the desktop is left as it is.
void KeepScreenReadersOffASilentBus() {
    if (std::getenv("AT_SPI_BUS_ADDRESS")) return;
    const std::string session = ToolkitSessionBus();
    if (!BusAnswers(session.c_str())) setenv("AT_SPI_BUS_ADDRESS", "none:", 1);
}
}  // namespace

LPCWSTR AfxGetAppName() {
    static thread_local CString name;
    if (CWinApp* app = AfxGetApp(); app && !app->m_strAppName.empty()) return app->m_strAppName.c_str();
    name = CA2W(program_invocation_short_name);
    return name.c_str();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    return picce && picce->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}

int AfxWinMain(int argc, char** argv) {
    setlocale(LC_ALL, "");
    SetProcessCommandLine(argc, argv);
    // The toolkit gets the program name only: it would take away arguments
    // such as "-reverse" that belong to the command line.
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    KeepScreenReadersOffASilentBus();
    QApplication application(toolkitArgc, toolkitArgv);
    CWinApp* app = AfxGetApp();
    if (!app) return 0;
    // There is no message loop of the application's own: its dialogs run
    // theirs inside InitInstance, and the exit code carries nothing.
    app->InitInstance();
    app->ExitInstance();
    return 0;
}

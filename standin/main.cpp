// A stand-in for the Tarnwick dictionary application's side of the session
// bus, for tests and for whoever builds the real side: it owns the bus names,
// exports the objects with the interfaces in dbus/, and records every call.
//
//   tarnwick_standin --serve app|config [--serve ...] [--record FILE] [--silent] [--bare] [--comm NAME]
//
// --serve app      owns com.brindlecor.Tarnwick.AppControl (the running
//                  application's object); the process then names itself
//                  "vantel.exe", as the application's process is named
// --serve config   owns com.brindlecor.Tarnwick.Config (the configuration object)
// --record FILE    appends each call to FILE as well as printing it
// --silent         takes calls but never answers them
// --bare           owns the names but exports no object (a peer that is not
//                  the dictionary application)
// --comm NAME      the process name instead (the kernel keeps 15 bytes of it)
//
// It ends when its bus goes away, and on SIGTERM.
#include <sys/prctl.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "CallLog.h"
#include "DictObjects.h"
#include "dictappcontrol_adaptor.h"
#include "dictconfig_adaptor.h"

namespace {

struct Options {
    bool app = false;
    bool config = false;
    bool silent = false;
    bool bare = false;
    QString record;
    QString comm;
};

bool ParseOptions(const QCoreApplication& application, Options& options) {
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{"serve", "Serve the object: app or config.", "object"},
                       {"record", "Append each call to this file.", "file"},
                       {"silent", "Take calls but never answer them."},
                       {"bare", "Own the names but export no object."},
                       {"comm", "Process name (default vantel.exe with --serve app).", "name"}});
    parser.process(application);
    for (const QString& object : parser.values("serve")) {
        if (object == "app")
            options.app = true;
        else if (object == "config")
            options.config = true;
        else
            return false;
    }
    options.silent = parser.isSet("silent");
    options.bare = parser.isSet("bare");
    options.record = parser.value("record");
    options.comm = parser.isSet("comm") ? parser.value("comm") : options.app ? "vantel.exe" : QString();
    return options.app || options.config;
}

// An activated service is told its bus by DBUS_STARTER_ADDRESS; one started by
// hand uses the session bus.
QString BusAddress() {
    for (const char* variable : {"DBUS_STARTER_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"})
        if (const char* address = std::getenv(variable); address && *address) return QString::fromLocal8Bit(address);
    return QString();
}

// The object first, then the name: whoever sees the name owned finds the object.
bool Serve(QDBusConnection& bus, QObject* object, const char* path, const char* name) {
    return (!object || bus.registerObject(path, object)) && bus.registerService(name);
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGTERM, SIG_DFL);  // even when the parent ignored it
    QCoreApplication application(argc, argv);
    Options options;
    if (!ParseOptions(application, options)) {
        std::fputs("tarnwick_standin: --serve app or --serve config is needed\n", stderr);
        return 2;
    }
    if (!options.comm.isEmpty()) prctl(PR_SET_NAME, options.comm.toLocal8Bit().constData(), 0, 0, 0);

    CallLog log(options.record.toLocal8Bit().toStdString());
    if (!log.IsOpen()) {
        std::fputs("tarnwick_standin: the record file cannot be opened\n", stderr);
        return 1;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(BusAddress(), "standin");
    if (!bus.isConnected()) {
        std::fputs("tarnwick_standin: no session bus\n", stderr);
        return 1;
    }

    DictAppControl appControl(log, options.silent);
    new DictAppControlAdaptor(&appControl);
    DictConfig config(log, options.silent);
    new DictConfigAdaptor(&config);
    QObject* appObject = options.bare ? nullptr : &appControl;
    QObject* configObject = options.bare ? nullptr : &config;
    if ((options.app &&
         !Serve(bus, appObject, "/com/brindlecor/Tarnwick/AppControl", "com.brindlecor.Tarnwick.AppControl")) ||
        (options.config &&
         !Serve(bus, configObject, "/com/brindlecor/Tarnwick/Config", "com.brindlecor.Tarnwick.Config"))) {
        std::fputs("tarnwick_standin: the bus name is taken\n", stderr);
        return 1;
    }

    // The bus tells of its end only by the connection dropping.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!bus.isConnected()) application.quit();
    });
    watch.start(100);
    return application.exec();
}

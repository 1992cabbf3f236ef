#pragma once
// The process's one connection to the session bus that serves the dictionary
// application's objects, and the few bus calls COM is made of here. Inside
// the platform layer only.
//
// Every call comes from the interface thread (the thread of the toolkit's
// application object), as COM is initialised for that thread alone; nothing
// here is locked.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <memory>

#include "platform/Com.h"
#include "platform/TarnwickObjects.h"

class ComBus {
public:
    // The connection to the bus that DBUS_SESSION_BUS_ADDRESS names now,
    // opened on first use and opened again when the address changed or the bus
    // went away or stopped answering; null when there is no such bus, or when
    // it does not answer within kBusAnswerTimeout (quietly).
    static ComBus* Current();
    // Closes the connection: the last CoUninitialize, and the end of the
    // toolkit's application object, whichever comes first.
    static void Close();

    ~ComBus();
    ComBus(const ComBus&) = delete;
    ComBus& operator=(const ComBus&) = delete;

    bool NameHasOwner(const char* busName);
    // Asks the bus to start the service that owns busName (activation).
    // S_OK once the name has an owner; REGDB_E_CLASSNOTREG when the bus knows
    // no such service; CO_E_SERVER_EXEC_FAILURE or RPC_E_TIMEOUT when the
    // start failed.
    HRESULT StartService(const char* busName);
    // Whether the class's object, at its path under its bus name, lists the
    // interface (introspection).
    bool Implements(const COMBUSCLASS& busClass, const char* interfaceName);
    // One synchronous method call on the class's object: S_OK on a reply.
    HRESULT Call(const COMBUSCLASS& busClass, const char* method, const QVariantList& arguments);

private:
    ComBus(const QString& address, const QString& connectionName);
    QDBusMessage Send(const QDBusMessage& call);

    QString m_address;
    QString m_connectionName;
    QDBusConnection m_connection;
    // False once a call ran out of time and the bus itself then did not
    // answer: every later call on this connection fails at once.
    bool m_answering = true;
};

#include "platform/posix/ComBus.h"

#include <QCoreApplication>
#include <QThread>
#include <QXmlStreamReader>
#include <cassert>
#include <cstdlib>

#include "platform/posix/BusProbe.h"

namespace {

const char kBusService[] = "org.freedesktop.DBus";
const char kBusPath[] = "/org/freedesktop/DBus";
const char kBusInterface[] = "org.freedesktop.DBus";

// A plain pointer, not an object with a destructor of its own: the last
// CoUninitialize may come from a static destructor, after such an object
// would already be gone. Close() is what ends the connection.
ComBus* g_bus = nullptr;
int g_connections = 0;  // each connection gets a name of its own

// COM is initialised for the interface thread alone (the thread of the
// toolkit's application object, where there is one).
[[maybe_unused]] bool OnInterfaceThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

QString SessionBusAddress() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    return address ? QString::fromLocal8Bit(address) : QString();
}

bool RanOutOfTime(const QDBusMessage& reply) {
    const QString error = reply.errorName();
    return error == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
           error == QLatin1String("org.freedesktop.DBus.Error.Timeout");
}

HRESULT ResultOf(const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ReplyMessage) return S_OK;
    return RanOutOfTime(reply) ? RPC_E_TIMEOUT : E_FAIL;
}

// Whether the root node of an introspection document lists the interface
// (the interfaces of child nodes are not the object's).
bool ListsInterface(const QString& xml, const QString& interfaceName) {
    QXmlStreamReader reader(xml);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement && reader.name() == QLatin1String("node")) --depth;
        if (token != QXmlStreamReader::StartElement) continue;
        if (reader.name() == QLatin1String("node")) {
            ++depth;
        } else if (depth == 1 && reader.name() == QLatin1String("interface") &&
                   reader.attributes().value(QLatin1String("name")) == interfaceName) {
            return true;
        }
    }
    return false;
}

}  // namespace

ComBus::ComBus(const QString& address, const QString& connectionName)
    : m_address(address),
      m_connectionName(connectionName),
      m_connection(QDBusConnection::connectToBus(address, connectionName)) {}

ComBus::~ComBus() {
    m_connection = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(m_connectionName);
}

ComBus* ComBus::Current() {
    assert(OnInterfaceThread());
    const QString address = SessionBusAddress();
    if (g_bus && (g_bus->m_address != address || !g_bus->m_connection.isConnected() || !g_bus->m_answering)) Close();
    if (g_bus || address.isEmpty()) return g_bus;
    // The bus library's own connecting waits for the bus with no limit.
    if (!BusAnswers(address.toLocal8Bit().constData())) return nullptr;
    const QString name = QStringLiteral("deravizizivu-com-%1").arg(++g_connections);
    auto bus = std::unique_ptr<ComBus>(new ComBus(address, name));
    if (!bus->m_connection.isConnected()) return nullptr;
    g_bus = bus.release();
    // The connection must go before the toolkit's bus machinery does.
    qRemovePostRoutine(&ComBus::Close);
    qAddPostRoutine(&ComBus::Close);
    return g_bus;
}

void ComBus::Close() {
    delete g_bus;
    g_bus = nullptr;
}

QDBusMessage ComBus::Send(const QDBusMessage& call) {
    assert(OnInterfaceThread());
    if (!m_answering) return call.createErrorReply(QDBusError::NoReply, QStringLiteral("the bus does not answer"));
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, kComCallTimeoutMs);
    // A peer that is slow to answer is the peer's matter; a bus that does
    // not answer would hold every call after this one as long again.
    if (RanOutOfTime(reply)) m_answering = BusAnswers(m_address.toLocal8Bit().constData());
    return reply;
}

bool ComBus::NameHasOwner(const char* busName) {
    QDBusMessage call = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusInterface, "NameHasOwner");
    call << QString::fromLatin1(busName);
    const QDBusMessage reply = Send(call);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

HRESULT ComBus::StartService(const char* busName) {
    QDBusMessage call = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusInterface, "StartServiceByName");
    call << QString::fromLatin1(busName) << quint32(0);
    const QDBusMessage reply = Send(call);
    if (reply.type() == QDBusMessage::ReplyMessage) return S_OK;
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")) return REGDB_E_CLASSNOTREG;
    const HRESULT hr = ResultOf(reply);
    return hr == RPC_E_TIMEOUT ? hr : CO_E_SERVER_EXEC_FAILURE;
}

bool ComBus::Implements(const COMBUSCLASS& busClass, const char* interfaceName) {
    QDBusMessage call = QDBusMessage::createMethodCall(busClass.busName, busClass.objectPath,
                                                       "org.freedesktop.DBus.Introspectable", "Introspect");
    call.setAutoStartService(false);
    const QDBusMessage reply = Send(call);
    if (reply.type() != QDBusMessage::ReplyMessage) return false;
    return ListsInterface(reply.arguments().value(0).toString(), QString::fromLatin1(interfaceName));
}

HRESULT ComBus::Call(const COMBUSCLASS& busClass, const char* method, const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(busClass.busName, busClass.objectPath, busClass.interfaceName, method);
    call.setArguments(arguments);
    call.setAutoStartService(false);  // a proxy stands for the object that was there
    return ResultOf(Send(call));
}

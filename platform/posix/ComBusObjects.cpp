#include "platform/posix/ComBusObjects.h"

#include <QString>
#include <QVariantList>
#include <atomic>

#include "platform/CodePage.h"
#include "platform/posix/ComBus.h"

namespace {

// Null stands for the empty text, as in COM. The bus carries characters
// only: a byte kept in wide text goes as U+FFFD, as a window shows it.
QString Utf16Of(BSTR text) {
    return text ? QString::fromStdWString(ShownText(text)) : QString();
}

// What every proxy shares: its count of references, the interfaces it hands
// out (IUnknown, and its class's interface when the object at the bus lists
// it), and the one kind of call the program makes.
template <class Interface>
class ComBusObject : public Interface {
public:
    explicit ComBusObject(const COMBUSCLASS& busClass) : m_class(busClass) {}

    HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
        if (!ppvObject) return E_POINTER;
        *ppvObject = nullptr;
        if (!(riid == IID_IUnknown) && !(riid == *m_class.iid && ObjectImplements())) return E_NOINTERFACE;
        AddRef();
        *ppvObject = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }

protected:
    // Usage code, dictionary key, ProgID and flags, in that order (i s s i);
    // the texts travel as UTF-8, as the bus carries every string.
    HRESULT CallUsage(const char* method, LONG usage, BSTR key, BSTR progId, LONG flags) {
        ComBus* bus = ComBus::Current();
        if (!bus) return E_FAIL;
        const QVariantList arguments{qint32(usage), Utf16Of(key), Utf16Of(progId), qint32(flags)};
        return bus->Call(m_class, method, arguments);
    }

private:
    bool ObjectImplements() {
        ComBus* bus = ComBus::Current();
        return bus && bus->Implements(m_class, m_class.interfaceName);
    }

    const COMBUSCLASS& m_class;
    std::atomic<ULONG> m_references{1};
};

class DictAppControlObject final : public ComBusObject<IDictAppControl> {
public:
    using ComBusObject::ComBusObject;
    HRESULT SetDictUsage(LONG nUsage, BSTR bstrDictKey, BSTR bstrProgId, LONG nFlags) override {
        return CallUsage("SetDictUsage", nUsage, bstrDictKey, bstrProgId, nFlags);
    }
};

class DictConfigObject final : public ComBusObject<IDictConfig> {
public:
    using ComBusObject::ComBusObject;
    HRESULT AddDictUsage(LONG nUsage, BSTR bstrDictKey, BSTR bstrProgId, LONG nFlags) override {
        return CallUsage("AddDictUsage", nUsage, bstrDictKey, bstrProgId, nFlags);
    }
};

}  // namespace

IUnknown* NewComBusObject(const COMBUSCLASS& busClass) {
    if (*busClass.iid == IID_IDictAppControl) return new DictAppControlObject(busClass);
    return new DictConfigObject(busClass);
}

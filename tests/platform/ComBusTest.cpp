// COM on the session bus, against the real stand-in of the dictionary
// application on a private bus of the test's own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Com.h"
#include "platform/TarnwickObjects.h"
#include "platform/posix/BusProbe.h"
#include "tests/support/EnvScope.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/StandIn.h"

using namespace std::chrono_literals;
using testsupport::PrivateBus;
using testsupport::RecordedCalls;
using testsupport::StandIn;
using testsupport::StandInOptions;

namespace {

const char kProgId[] = "VuVadoZuv.UrEzarEziVevodo";
const CLSID kUnknownClass = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};

using Clock = std::chrono::steady_clock;

struct Releaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class Interface>
using ComPtr = std::unique_ptr<Interface, Releaser>;

// A BSTR for one call, from UTF-8 text, freed after it.
class Bstr {
public:
    explicit Bstr(const std::string& utf8) : Bstr(CA2W(utf8, CP_UTF8)) {}
    explicit Bstr(const std::wstring& text) : m_text(SysAllocString(text.c_str())) {}
    ~Bstr() { SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return m_text; }

private:
    BSTR m_text;
};

// The running application's object, the way the install step gets it.
HRESULT ActiveAppControl(ComPtr<IDictAppControl>& appControl) {
    IUnknown* found = nullptr;
    HRESULT hr = GetActiveObject(CLSID_DictAppControl, nullptr, &found);
    if (FAILED(hr)) return hr;
    void* asked = nullptr;
    hr = found->QueryInterface(IID_IDictAppControl, &asked);
    found->Release();
    appControl.reset(static_cast<IDictAppControl*>(asked));
    return hr;
}

HRESULT NewDictConfig(ComPtr<IDictConfig>& config) {
    void* made = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_DictConfig, nullptr, CLSCTX_ALL, IID_IDictConfig, &made);
    config.reset(static_cast<IDictConfig*>(made));
    return hr;
}

std::string Line(const char* method, LONG usage, const std::string& key) {
    return std::string(method) + " " + std::to_string(usage) + " " + key + " " + kProgId + " -1";
}

// COM for this thread and a bus of the test's own; the bus connection closes
// with the last CoUninitialize, before the bus ends.
class ComOnPrivateBus : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_bus.Running());
        CoInitialize(nullptr);
    }
    void TearDown() override { CoUninitialize(); }

    std::string RecordFile() const { return m_bus.Folder() / "calls"; }
    StandInOptions Serving(bool app, bool config) const {
        StandInOptions options;
        options.app = app;
        options.config = config;
        options.record = RecordFile();
        return options;
    }

    PrivateBus m_bus;
};

struct UsageCall {
    bool toApp;  // SetDictUsage on the running application, else AddDictUsage
    LONG usage;
    std::string key;
};

TEST_F(ComOnPrivateBus, BothObjectsTakeEveryCallWithItsArgumentsInOrder) {
    StandIn standIn(m_bus, Serving(true, true));
    ASSERT_TRUE(standIn.Ready());
    ComPtr<IDictAppControl> appControl;
    ComPtr<IDictConfig> config;
    ASSERT_EQ(ActiveAppControl(appControl), S_OK);
    ASSERT_EQ(NewDictConfig(config), S_OK);

    const std::vector<UsageCall> calls = {
        {true, 33, "12#345"}, {true, 0, "12#345"},         {false, 2, "12#345"}, {false, 1, "12#345"},
        {true, 1, "词典#7"},  {false, 2, "Wörterbuch#٣٤"}, {true, 2, "a b#c"},   {false, 1, "#"},
    };
    std::vector<std::string> expected;
    for (const UsageCall& call : calls) {
        SCOPED_TRACE(call.key);
        Bstr key(call.key), progId(kProgId);
        const HRESULT hr = call.toApp ? appControl->SetDictUsage(call.usage, key, progId, -1)
                                      : config->AddDictUsage(call.usage, key, progId, -1);
        EXPECT_EQ(hr, S_OK);
        expected.push_back(Line(call.toApp ? "SetDictUsage" : "AddDictUsage", call.usage, call.key));
    }
    // Each call was answered after it was recorded: the file is complete now.
    EXPECT_EQ(RecordedCalls(RecordFile()), expected);
}

// The bus carries characters only: a byte kept in wide text as an escape, a
// lone surrogate and a value past U+10FFFF each go as U+FFFD.
TEST_F(ComOnPrivateBus, TextThatIsNoCharacterTravelsAsTheReplacementCharacter) {
    StandIn standIn(m_bus, Serving(false, true));
    ASSERT_TRUE(standIn.Ready());
    ComPtr<IDictConfig> config;
    ASSERT_EQ(NewDictConfig(config), S_OK);
    const std::wstring key{
        L'1', L'2', L'#', static_cast<wchar_t>(0xDCE9), static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000),
        L'x'};
    Bstr bstrKey(key), progId(kProgId);
    EXPECT_EQ(config->AddDictUsage(2, bstrKey, progId, -1), S_OK);
    EXPECT_EQ(RecordedCalls(RecordFile()),
              std::vector<std::string>{Line("AddDictUsage", 2, "12#\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDx")});
}

TEST_F(ComOnPrivateBus, RunningObjectOnlyWhileItsNameHasAnOwner) {
    IUnknown* found = nullptr;
    EXPECT_EQ(GetActiveObject(CLSID_DictAppControl, nullptr, &found), MK_E_UNAVAILABLE);
    EXPECT_EQ(found, nullptr);
    {
        StandIn standIn(m_bus, Serving(true, false));
        ASSERT_TRUE(standIn.Ready());
        ComPtr<IDictAppControl> appControl;
        EXPECT_EQ(ActiveAppControl(appControl), S_OK);
        EXPECT_NE(appControl, nullptr);
        // Only the application's name is owned.
        EXPECT_EQ(GetActiveObject(CLSID_DictConfig, nullptr, &found), MK_E_UNAVAILABLE);
        EXPECT_EQ(GetActiveObject(kUnknownClass, nullptr, &found), MK_E_UNAVAILABLE);
    }
    ASSERT_TRUE(m_bus.WaitForName(testsupport::kAppControlName, false, 5s));
    EXPECT_EQ(GetActiveObject(CLSID_DictAppControl, nullptr, &found), MK_E_UNAVAILABLE);
    EXPECT_EQ(found, nullptr);
}

TEST_F(ComOnPrivateBus, ObjectHandsOutItsOwnInterfaceAndIUnknownOnly) {
    StandIn standIn(m_bus, Serving(true, false));
    ASSERT_TRUE(standIn.Ready());
    IUnknown* raw = nullptr;
    ASSERT_EQ(GetActiveObject(CLSID_DictAppControl, nullptr, &raw), S_OK);
    ComPtr<IUnknown> found(raw);

    struct Case {
        const IID* iid;
        HRESULT expected;
    };
    for (const Case& c : {Case{&IID_IUnknown, S_OK}, Case{&IID_IDictAppControl, S_OK},
                          Case{&IID_IDictConfig, E_NOINTERFACE}, Case{&kUnknownClass, E_NOINTERFACE}}) {
        void* asked = reinterpret_cast<void*>(1);
        EXPECT_EQ(found->QueryInterface(*c.iid, &asked), c.expected);
        EXPECT_EQ(asked != nullptr, c.expected == S_OK);
        if (asked) static_cast<IUnknown*>(asked)->Release();
    }
    EXPECT_EQ(found->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ComOnPrivateBus, ReferencesAreCounted) {
    StandIn standIn(m_bus, Serving(true, false));
    ASSERT_TRUE(standIn.Ready());
    IUnknown* found = nullptr;
    ASSERT_EQ(GetActiveObject(CLSID_DictAppControl, nullptr, &found), S_OK);
    EXPECT_EQ(found->AddRef(), 2u);
    void* asked = nullptr;
    ASSERT_EQ(found->QueryInterface(IID_IDictAppControl, &asked), S_OK);
    EXPECT_EQ(found->Release(), 2u);
    EXPECT_EQ(found->Release(), 1u);
    EXPECT_EQ(static_cast<IUnknown*>(asked)->Release(), 0u);
}

TEST_F(ComOnPrivateBus, NewObjectStartsItsServiceByActivation) {
    StandInOptions options = Serving(false, true);
    ASSERT_TRUE(m_bus.WriteService(testsupport::kConfigName, testsupport::StandInCommand(options)));
    ASSERT_TRUE(m_bus.WaitForName(testsupport::kConfigName, false, 1s));

    ComPtr<IDictConfig> config;
    ASSERT_EQ(NewDictConfig(config), S_OK);
    EXPECT_TRUE(m_bus.WaitForName(testsupport::kConfigName, true, 1s));
    Bstr key("12#345"), progId(kProgId);
    EXPECT_EQ(config->AddDictUsage(2, key, progId, -1), S_OK);
    EXPECT_EQ(RecordedCalls(RecordFile()), std::vector<std::string>{Line("AddDictUsage", 2, "12#345")});
}

TEST_F(ComOnPrivateBus, NewObjectFailsWithoutOwnerOrServiceFile) {
    ASSERT_TRUE(m_bus.WriteService(testsupport::kAppControlName, "/nonexistent/tarnwick"));
    struct Case {
        const char* what;
        const CLSID* clsid;
        IUnknown* outer;
        DWORD context;
        const IID* iid;
        HRESULT expected;
    };
    IUnknown* outer = reinterpret_cast<IUnknown*>(16);
    const Case cases[] = {
        {"no owner, no service file", &CLSID_DictConfig, nullptr, CLSCTX_ALL, &IID_IDictConfig, REGDB_E_CLASSNOTREG},
        {"service that cannot start", &CLSID_DictAppControl, nullptr, CLSCTX_ALL, &IID_IDictAppControl,
         CO_E_SERVER_EXEC_FAILURE},
        {"class the bus does not serve", &kUnknownClass, nullptr, CLSCTX_ALL, &IID_IUnknown, REGDB_E_CLASSNOTREG},
        {"in-process only", &CLSID_DictConfig, nullptr, CLSCTX_INPROC_SERVER, &IID_IDictConfig, REGDB_E_CLASSNOTREG},
        {"aggregation", &CLSID_DictConfig, outer, CLSCTX_ALL, &IID_IDictConfig, CLASS_E_NOAGGREGATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        void* made = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoCreateInstance(*c.clsid, c.outer, c.context, *c.iid, &made), c.expected);
        EXPECT_EQ(made, nullptr);
    }
}

TEST_F(ComOnPrivateBus, NewObjectOfTheWrongInterfaceFails) {
    StandIn standIn(m_bus, Serving(false, true));
    ASSERT_TRUE(standIn.Ready());
    void* made = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_DictConfig, nullptr, CLSCTX_ALL, IID_IDictAppControl, &made), E_NOINTERFACE);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_DictConfig, nullptr, CLSCTX_ALL, IID_IUnknown, &made), S_OK);
    ASSERT_NE(made, nullptr);
    static_cast<IUnknown*>(made)->Release();
}

TEST_F(ComOnPrivateBus, OwnerWithoutTheObjectHandsOutNoInterface) {
    StandInOptions options = Serving(false, true);
    options.bare = true;
    StandIn standIn(m_bus, options);
    ASSERT_TRUE(standIn.Ready());
    IUnknown* raw = nullptr;
    ASSERT_EQ(GetActiveObject(CLSID_DictConfig, nullptr, &raw), S_OK);
    ComPtr<IUnknown> found(raw);
    void* asked = reinterpret_cast<void*>(1);
    EXPECT_EQ(found->QueryInterface(IID_IDictConfig, &asked), E_NOINTERFACE);
    EXPECT_EQ(asked, nullptr);
    ComPtr<IDictConfig> config;
    EXPECT_EQ(NewDictConfig(config), E_NOINTERFACE);
    EXPECT_EQ(config, nullptr);
}

TEST_F(ComOnPrivateBus, CallsFailOnceTheObjectHasGone) {
    ComPtr<IDictAppControl> appControl;
    {
        StandIn standIn(m_bus, Serving(true, false));
        ASSERT_TRUE(standIn.Ready());
        ASSERT_EQ(ActiveAppControl(appControl), S_OK);
    }
    ASSERT_TRUE(m_bus.WaitForName(testsupport::kAppControlName, false, 5s));
    Bstr key("12#345"), progId(kProgId);
    EXPECT_TRUE(FAILED(appControl->SetDictUsage(1, key, progId, -1)));
}

// A peer that takes calls and never answers holds the caller no longer than
// the call timeout.
class SilentPeer : public ComOnPrivateBus {
protected:
    static constexpr auto kLimit = std::chrono::milliseconds(kComCallTimeoutMs) + 2s;
};

TEST_F(SilentPeer, CallFailsWhenTheTimeoutRunsOut) {
    StandInOptions options = Serving(true, false);
    options.silent = true;
    StandIn standIn(m_bus, options);
    ASSERT_TRUE(standIn.Ready());
    ComPtr<IDictAppControl> appControl;
    ASSERT_EQ(ActiveAppControl(appControl), S_OK);

    Bstr key("12#345"), progId(kProgId);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(appControl->SetDictUsage(33, key, progId, -1), RPC_E_TIMEOUT);
    EXPECT_LT(Clock::now() - start, kLimit);
    // It did arrive; only the answer never came.
    EXPECT_EQ(RecordedCalls(RecordFile()), std::vector<std::string>{Line("SetDictUsage", 33, "12#345")});
}

TEST_F(SilentPeer, ServiceThatNeverTakesItsNameFailsInTime) {
    ASSERT_TRUE(m_bus.WriteService(testsupport::kConfigName, "/bin/sleep 60"));
    ComPtr<IDictConfig> config;
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(FAILED(NewDictConfig(config)));
    EXPECT_LT(Clock::now() - start, kLimit);
    EXPECT_EQ(config, nullptr);
}

// Sends the process's stderr to a file for one scope and reads it back.
class StderrCapture {
public:
    explicit StderrCapture(const std::string& path)
        : m_path(path), m_saved(dup(2)), m_file(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)) {
        dup2(m_file, 2);
    }
    ~StderrCapture() { Restore(); }
    std::string Finish() {
        Restore();
        return testsupport::ReadFile(m_path);
    }

private:
    void Restore() {
        if (m_saved < 0) return;
        dup2(m_saved, 2);
        close(m_saved);
        close(m_file);
        m_saved = -1;
    }
    std::string m_path;
    int m_saved;
    int m_file;
};

// A bus that takes connections and never answers counts as none, once the
// time it has to answer the opening of each connection is up.
const char kStoppedBus[] = "the address of a private bus that is stopped";

class NoSessionBus : public testing::TestWithParam<const char*> {};

TEST_P(NoSessionBus, EveryCallFailsQuicklyAndQuietly) {
    testsupport::TempDir folder;
    std::optional<PrivateBus> stopped;
    const char* address = GetParam();
    if (address == kStoppedBus) {
        stopped.emplace();
        ASSERT_TRUE(stopped->Running());
        stopped->Freeze(true);
        address = stopped->Address().c_str();
    }
    const Clock::duration limit = stopped ? 3 * kBusAnswerTimeout + 1s : Clock::duration(1s);
    testsupport::EnvScope scope("DBUS_SESSION_BUS_ADDRESS", address);
    CoInitialize(nullptr);
    StderrCapture stderrCapture(folder / "stderr");
    const Clock::time_point start = Clock::now();

    IUnknown* found = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(GetActiveObject(CLSID_DictAppControl, nullptr, &found), MK_E_UNAVAILABLE);
    EXPECT_EQ(found, nullptr);
    for (const auto& [clsid, iid] :
         {std::pair{&CLSID_DictAppControl, &IID_IDictAppControl}, std::pair{&CLSID_DictConfig, &IID_IDictConfig}}) {
        void* made = reinterpret_cast<void*>(1);
        EXPECT_TRUE(FAILED(CoCreateInstance(*clsid, nullptr, CLSCTX_ALL, *iid, &made)));
        EXPECT_EQ(made, nullptr);
    }

    EXPECT_LT(Clock::now() - start, limit);
    CoUninitialize();
    EXPECT_EQ(stderrCapture.Finish(), "");
}

TEST(BusGone, CallsThroughObjectsInHandFailQuickly) {
    CoInitialize(nullptr);
    auto bus = std::make_unique<PrivateBus>();
    ASSERT_TRUE(bus->Running());
    StandInOptions options;
    options.app = true;
    auto standIn = std::make_unique<StandIn>(*bus, options);
    ASSERT_TRUE(standIn->Ready());
    ComPtr<IDictAppControl> appControl;
    ASSERT_EQ(ActiveAppControl(appControl), S_OK);

    const std::string address = bus->Address();
    bus.reset();  // the daemon ends, and the stand-in with it
    testsupport::EnvScope sameAddress("DBUS_SESSION_BUS_ADDRESS", address.c_str());
    Bstr key("12#345"), progId(kProgId);
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(FAILED(appControl->SetDictUsage(1, key, progId, -1)));
    IUnknown* found = nullptr;
    EXPECT_EQ(GetActiveObject(CLSID_DictAppControl, nullptr, &found), MK_E_UNAVAILABLE);
    EXPECT_LT(Clock::now() - start, 1s);
    CoUninitialize();
}

INSTANTIATE_TEST_SUITE_P(Address, NoSessionBus,
                         testing::Values(nullptr, "", "unix:path=/nonexistent/deravizizivu/bus", "not-an-address",
                                         kStoppedBus));

}  // namespace

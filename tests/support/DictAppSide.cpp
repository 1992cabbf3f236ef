// The dictionary application's side on Linux: the stand-in on a private bus.
#include "DictAppSide.h"

#include "tests/support/PrivateBus.h"
#include "tests/support/StandIn.h"

namespace testsupport {

struct DictAppSide::Ground {
    PrivateBus bus;
};

namespace {
struct BusStandInRun : StandInRun {
    BusStandInRun(const PrivateBus& bus, const StandInOptions& options) : standIn(bus, options) {}
    StandIn standIn;
};
}  // namespace

DictAppSide::DictAppSide() : m_pGround(std::make_unique<Ground>()) {}
DictAppSide::~DictAppSide() = default;

bool DictAppSide::Ready() const {
    return m_pGround->bus.Running();
}

std::string DictAppSide::RecordFile() const {
    return m_pGround->bus.Folder() / "calls";
}

bool DictAppSide::Offer(StandInOptions options) {
    if (options.record.empty()) options.record = RecordFile();
    return m_pGround->bus.WriteService(options.app ? kAppControlName : kConfigName, StandInCommand(options));
}

std::unique_ptr<StandInRun> DictAppSide::Run(StandInOptions options) {
    if (options.record.empty()) options.record = RecordFile();
    auto run = std::make_unique<BusStandInRun>(m_pGround->bus, options);
    return run->standIn.Ready() ? std::move(run) : nullptr;
}

bool DictAppSide::WaitForConfiguration(bool served, std::chrono::milliseconds timeout) const {
    return m_pGround->bus.WaitForName(kConfigName, served, timeout);
}

bool DictAppSide::CanFreeze() const {
    return true;
}

void DictAppSide::Freeze(bool frozen) const {
    m_pGround->bus.Freeze(frozen);
}

}  // namespace testsupport

#pragma once
// The dictionary application's side as the install step meets it, played by
// the stand-in, which records every call in RecordFile(): on Linux on a
// session bus of the test's own, on Windows through COM in the Wine prefix
// (vantel.exe, its classes registered for the test and removed after).
#include <chrono>
#include <memory>
#include <string>

#include "tests/support/StandInOptions.h"

namespace testsupport {

// A stand-in process the test started, ended with this object.
class StandInRun {
public:
    virtual ~StandInRun() = default;
};

class DictAppSide {
public:
    DictAppSide();
    ~DictAppSide();
    DictAppSide(const DictAppSide&) = delete;
    DictAppSide& operator=(const DictAppSide&) = delete;

    bool Ready() const;
    std::string RecordFile() const;
    // The object of options.app or options.config, started when a caller
    // asks for it (the bus's activation, COM's local server).
    bool Offer(StandInOptions options);
    // A stand-in process serving what options say, once it does; null when
    // it did not come up. options.comm names its process (its image on Windows).
    std::unique_ptr<StandInRun> Run(StandInOptions options);
    // Whether the configuration object was started (or has ended again).
    bool WaitForConfiguration(bool served, std::chrono::milliseconds timeout) const;
    // A side that takes connections and never answers, or one that goes on:
    // the bus's own fault, which COM has no counterpart of.
    bool CanFreeze() const;
    void Freeze(bool frozen) const;

    struct Ground;

private:
    std::unique_ptr<Ground> m_pGround;
};

}  // namespace testsupport

#pragma once
// Every call the stand-in takes, in the order they arrive, one line each: the
// method's name and its four arguments, separated by single spaces, texts as
// they came (UTF-8), e.g.
//   SetDictUsage 33 12#345 VuVadoZuv.UrEzarEziVevodo -1
// Printed on stdout and, when a record file is given, appended to it; both
// are flushed at once, so a test reads each call as soon as it has arrived.
#include <cstdio>
#include <string>

class CallLog {
public:
    // An empty path records on stdout only.
    explicit CallLog(const std::string& recordPath);
    ~CallLog();
    CallLog(const CallLog&) = delete;
    CallLog& operator=(const CallLog&) = delete;
    bool IsOpen() const { return m_bNoRecord || m_pRecord; }

    void Record(const char* method, int usage, const std::string& key, const std::string& progId, int flags);

private:
    bool m_bNoRecord;
    std::FILE* m_pRecord = nullptr;
};

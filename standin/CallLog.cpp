#include "CallLog.h"

CallLog::CallLog(const std::string& recordPath) : m_bNoRecord(recordPath.empty()) {
    if (!m_bNoRecord) m_pRecord = std::fopen(recordPath.c_str(), "ab");
}

CallLog::~CallLog() {
    if (m_pRecord) std::fclose(m_pRecord);
}

void CallLog::Record(const char* method, int usage, const std::string& key, const std::string& progId, int flags) {
    const std::string line = std::string(method) + ' ' + std::to_string(usage) + ' ' + key + ' ' + progId + ' ' +
                             std::to_string(flags) + '\n';
    for (std::FILE* out : {stdout, m_pRecord}) {
        if (!out) continue;
        std::fwrite(line.data(), 1, line.size(), out);
        std::fflush(out);
    }
}

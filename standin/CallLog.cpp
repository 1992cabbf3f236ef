#include "CallLog.h"

#include <cstdio>

CallLog::CallLog(const QString& recordPath) : m_record(recordPath) {
    if (!recordPath.isEmpty()) m_record.open(QIODevice::WriteOnly | QIODevice::Append);
}

void CallLog::Record(const char* method, int usage, const QString& key, const QString& progId, int flags) {
    const QByteArray line = QByteArray(method) + ' ' + QByteArray::number(usage) + ' ' + key.toUtf8() + ' ' +
                            progId.toUtf8() + ' ' + QByteArray::number(flags) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
    if (!m_record.isOpen()) return;
    m_record.write(line);
    m_record.flush();
}

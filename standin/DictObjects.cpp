#include "DictObjects.h"

void DictObject::Take(const char* method, int usage, const QString& key, const QString& progId, int flags) {
    m_log.Record(method, usage, key.toUtf8().toStdString(), progId.toUtf8().toStdString(), flags);
    // A delayed reply that is never sent: the call stays open on the caller's side.
    if (m_silent) setDelayedReply(true);
}

void DictAppControl::SetDictUsage(int usage, const QString& key, const QString& progId, int flags) {
    Take("SetDictUsage", usage, key, progId, flags);
}

void DictConfig::AddDictUsage(int usage, const QString& key, const QString& progId, int flags) {
    Take("AddDictUsage", usage, key, progId, flags);
}

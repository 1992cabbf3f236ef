#pragma once
// The dictionary application's two objects as the stand-in plays them: each
// records the calls it takes and answers them, or, when silent, never answers
// (the caller's timeout is what is tried then).
#include <QDBusContext>
#include <QObject>

#include "CallLog.h"

class DictObject : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    DictObject(CallLog& log, bool silent) : m_log(log), m_silent(silent) {}

protected:
    void Take(const char* method, int usage, const QString& key, const QString& progId, int flags);

private:
    CallLog& m_log;
    bool m_silent;
};

// The running application's object (com.brindlecor.Tarnwick.DictAppControl).
class DictAppControl : public DictObject {
    Q_OBJECT
public:
    using DictObject::DictObject;
public slots:
    void SetDictUsage(int usage, const QString& key, const QString& progId, int flags);
};

// The configuration object (com.brindlecor.Tarnwick.DictConfig).
class DictConfig : public DictObject {
    Q_OBJECT
public:
    using DictObject::DictObject;
public slots:
    void AddDictUsage(int usage, const QString& key, const QString& progId, int flags);
};

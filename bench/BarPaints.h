#pragma once
// Counts the paints of the download dialog's progress bar (control 1000) as
// the toolkit delivers them to its window.
#include <QCoreApplication>
#include <QEvent>
#include <QVariant>

struct BarPaints : QObject {
    long count = 0;
    BarPaints() { QCoreApplication::instance()->installEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->property("afxControlId").toInt() == 1000) ++count;
        return false;
    }
};

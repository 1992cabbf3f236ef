// Linked into both programs of the start benchmark: when the first window's
// button comes to be painted (the last of its controls, after the text and the
// bar), prints the monotonic clock in nanoseconds and ends the process. The
// program asks the download service right after its first paint, so nothing
// later than the paint itself may be waited for.
#include <time.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <cstdio>

namespace {

struct FirstPaint : QObject {
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::Paint || !qobject_cast<QAbstractButton*>(o)) return false;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        _exit(0);
    }
};

void InstallFirstPaint() {
    QCoreApplication::instance()->installEventFilter(new FirstPaint);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallFirstPaint)

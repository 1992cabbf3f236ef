// Linked into both programs of the start benchmark: when the first window has
// painted (the paint and its flush to the screen are done once the event loop
// is back), prints the monotonic clock in nanoseconds and ends the process.
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

struct FirstPaint : QObject {
    bool seen = false;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (seen || e->type() != QEvent::Paint || !o->isWidgetType()) return false;
        seen = true;
        QTimer::singleShot(0, [] {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            _exit(0);
        });
        return false;
    }
};

void InstallFirstPaint() {
    QCoreApplication::instance()->installEventFilter(new FirstPaint);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallFirstPaint)

// Watching windows on the Qt ground: an application-wide event filter.
#include "tests/support/WindowWatch.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "Widgets.h"

namespace testsupport {

struct WindowWatch::Ground : QObject {
    explicit Ground(WindowWatch& watch) : m_watch(watch) { qApp->installEventFilter(this); }
    ~Ground() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        // The receiver first: an event to another object may have been made
        // by another thread.
        if (!o->isWidgetType() || !static_cast<QWidget*>(o)->isWindow()) return false;
        auto* window = static_cast<QWidget*>(o);
        if (e->type() == QEvent::Paint) m_watch.CountPaint(window->windowTitle().toStdWString());
        if (e->type() != QEvent::Show) return false;
        m_watch.CountShown(window->windowTitle().toStdWString());
        if (m_watch.onShown)
            QTimer::singleShot(0, window, [self = QPointer<Ground>(this), window] {
                if (self && self->m_watch.onShown) self->m_watch.onShown(HandleOf(window));
            });
        return false;
    }
    WindowWatch& m_watch;
};

WindowWatch::WindowWatch(const Text& paintsOf)
    : m_paintsOf(paintsOf.Wide()), m_pGround(std::make_unique<Ground>(*this)) {}

WindowWatch::~WindowWatch() = default;

}  // namespace testsupport

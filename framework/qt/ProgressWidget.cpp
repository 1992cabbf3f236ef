#include "ProgressWidget.h"

#include <QAccessibleWidget>

#include <algorithm>
#include <climits>
#include <mutex>

#include "framework/Controls.h"
#include "platform/CodePage.h"

namespace {

// Asks the window, not the toolkit's bar: PBM_GETPOS, PBM_GETRANGE and the
// window's caption.
class ProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressAccessible(ProgressWidget* w) : QAccessibleWidget(w, QAccessible::ProgressBar), m_pCore(w) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The value's text is what the bar shows: its caption, else the percentage.
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Value) return QAccessibleWidget::text(t);
        QString caption = Caption();
        return caption.isEmpty() ? Percentage() : caption;
    }

    QVariant currentValue() const override { return static_cast<int>(Send(PBM_GETPOS, 0, 0)); }
    void setCurrentValue(const QVariant&) override {}  // the bar only shows a value
    QVariant maximumValue() const override { return static_cast<int>(Send(PBM_GETRANGE, FALSE, 0)); }
    QVariant minimumValue() const override { return static_cast<int>(Send(PBM_GETRANGE, TRUE, 0)); }
    QVariant minimumStepSize() const override { return 0; }

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        return m_pCore->Dispatch(message, wParam, lParam);
    }

    QString Caption() const { return QString::fromStdWString(ShownText(AfxGetWindowText(m_pCore->Handle()))); }

    QString Percentage() const {
        PBRANGE range{};
        Send(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
        if (range.iLow >= range.iHigh) return QString();
        double f = (static_cast<double>(Send(PBM_GETPOS, 0, 0)) - range.iLow) /
                   (static_cast<double>(range.iHigh) - range.iLow);
        // A far-off position must not overflow the cast.
        double percent = std::clamp(f * 100.0, double(INT_MIN), double(INT_MAX));
        return QString::asprintf("%d%%", static_cast<int>(percent));
    }

    WndCore* m_pCore;
};

QAccessibleInterface* ProgressFactory(const QString&, QObject* object) {
    auto* bar = dynamic_cast<ProgressWidget*>(object);
    return bar ? new ProgressAccessible(bar) : nullptr;
}

}  // namespace

ProgressWidget::ProgressWidget(int id, QWidget* parent) : WndWidget<QProgressBar>(id, parent) {
    // Once, before a reader can ask for the first progress control.
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(ProgressFactory); });
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
}

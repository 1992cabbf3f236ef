// Reading windows on the Qt ground: the widgets as the toolkit shows them.
#include "tests/support/WindowContent.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include "Widgets.h"

namespace testsupport {

namespace {
Image FromQImage(const QImage& shown) {
    QImage image = shown.convertToFormat(QImage::Format_RGB32);
    Image out{image.width(), image.height(), image.devicePixelRatio(), {}};
    out.pixels.reserve(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        out.pixels.insert(out.pixels.end(), line, line + image.width());
    }
    return out;
}

// The width a control's text needs, with the room its style takes.
int NeededWidth(QWidget* control) {
    QFontMetrics fm(control->font());
    QStyle* style = control->style();
    if (auto* box = qobject_cast<QCheckBox*>(control))
        return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box) + fm.horizontalAdvance(box->text());
    if (auto* button = qobject_cast<QPushButton*>(control))
        return fm.horizontalAdvance(button->text()) +
               2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                    style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
    if (auto* label = qobject_cast<QLabel*>(control)) return fm.horizontalAdvance(label->text());
    return 0;
}
}  // namespace

Image Grab(HWND window) {
    QWidget* w = WidgetOf(window);
    return w ? FromQImage(w->grab().toImage()) : Image{};
}

Image RepaintPart(HWND window, const CRect& part) {
    QWidget* w = WidgetOf(window);
    if (!w) return {};
    const double ratio = w->devicePixelRatioF();
    QImage image((QSizeF(w->size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    const QRect area(part.left, part.top, part.Width(), part.Height());
    w->render(&image, area.topLeft(), QRegion(area));
    return FromQImage(image);
}

std::wstring WindowText(HWND window) {
    QWidget* w = WidgetOf(window);
    return w ? w->windowTitle().toStdWString() : std::wstring();
}

std::wstring LabelTexts(HWND window) {
    std::wstring text;
    if (QWidget* w = WidgetOf(window))
        for (auto* label : w->findChildren<QLabel*>()) text += label->text().toStdWString();
    return text;
}

int ButtonCount(HWND window) {
    QWidget* w = WidgetOf(window);
    return w ? static_cast<int>(w->findChildren<QAbstractButton*>().size()) : 0;
}

bool ShowsWarningIcon(HWND window) {
    auto* box = qobject_cast<QMessageBox*>(WidgetOf(window));
    return box && box->icon() == QMessageBox::Warning;
}

bool HasIcon(HWND window) {
    QWidget* w = WidgetOf(window);
    return w && !w->windowIcon().isNull();
}

bool IsEnabled(HWND window) {
    QWidget* w = WidgetOf(window);
    return w && w->isEnabled();
}

CRect WindowSize(HWND window) {
    QWidget* w = WidgetOf(window);
    return w ? CRect(0, 0, w->width(), w->height()) : CRect();
}

void Resize(HWND window, int width, int height) {
    if (QWidget* w = WidgetOf(window)) w->resize(width, height);
}

CRect TextBox(HWND, const CRect& client, const Text& text) {
    QRect box = QFontMetrics(QApplication::font())
                    .boundingRect(QRect(0, 0, client.Width(), client.Height()), Qt::AlignCenter | Qt::TextSingleLine,
                                  QString::fromStdWString(text.Wide()));
    return CRect(box.left(), box.top(), box.right() + 1, box.bottom() + 1);
}

COLORREF DialogColor() {
    QColor c = QApplication::palette().color(QPalette::Window);
    return RGB(c.red(), c.green(), c.blue());
}

std::wstring AccessibleText(HWND control) {
    QWidget* w = WidgetOf(control);
    QAccessibleInterface* iface = w ? QAccessible::queryAccessibleInterface(w) : nullptr;
    return iface ? iface->text(QAccessible::Value).toStdWString() : std::wstring();
}

std::vector<TextRoom> TextRooms(HWND window) {
    std::vector<TextRoom> rooms;
    if (QWidget* w = WidgetOf(window))
        for (QWidget* control : w->findChildren<QWidget*>()) {
            const int needed = NeededWidth(control);
            if (needed == 0) continue;
            rooms.push_back({control->property("text").toString().toStdWString(), needed, control->width(),
                             QFontMetrics(control->font()).height(), control->height()});
        }
    return rooms;
}

}  // namespace testsupport

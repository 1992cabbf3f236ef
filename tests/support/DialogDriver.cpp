// The driver's parts that every ground shares: texts, steps, and images.
#include "DialogDriver.h"

#include <algorithm>

#include "WindowContent.h"
#include "platform/CodePage.h"

namespace testsupport {

Text::Text(const char* utf8) {
    if (!utf8 || !*utf8) return;
    int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (n <= 1) return;
    m_wide.resize(static_cast<size_t>(n));
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, m_wide.data(), n);
    m_wide.resize(static_cast<size_t>(n - 1));
}

std::string Text::Utf8() const {
    return CW2A(m_wide, CP_UTF8);
}

namespace {
void RunFrom(std::shared_ptr<const std::vector<Step>> steps, size_t i, std::shared_ptr<size_t> taken, int timeoutMs) {
    if (i == steps->size()) return;
    const Step& step = (*steps)[i];
    WhenTrue(
        step.when,
        [=] {
            ++*taken;
            RunFrom(steps, i + 1, taken, timeoutMs);
            (*steps)[i].act();
        },
        timeoutMs, step.what);
}
}  // namespace

std::shared_ptr<size_t> RunSteps(std::vector<Step> steps, int timeoutMs) {
    auto taken = std::make_shared<size_t>(0);
    RunFrom(std::make_shared<const std::vector<Step>>(std::move(steps)), 0, taken, timeoutMs);
    return taken;
}

void WhenShown(const Text& caption, std::function<void(HWND)> action, int timeoutMs) {
    WhenTrue([caption] { return FindShown(caption) != nullptr; }, [caption, action] { action(FindShown(caption)); },
             timeoutMs, caption.Utf8() + " shown");
}

COLORREF Image::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return RGB(0, 0, 0);
    uint32_t argb = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

Image Image::Part(const CRect& part) const {
    Image out;
    out.ratio = ratio;
    out.width = std::max<int>(0, part.Width());
    out.height = std::max<int>(0, part.Height());
    out.pixels.reserve(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x) {
            bool inside = x >= 0 && y >= 0 && x < width && y < height;
            out.pixels.push_back(
                inside ? pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] : 0);
        }
    return out;
}

}  // namespace testsupport

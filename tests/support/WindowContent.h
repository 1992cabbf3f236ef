#pragma once
// What a window shows, read as a user (or a screen reader) meets it: texts,
// icons, sizes and pixels. Each ground has its own implementation.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/AfxTypes.h"
#include "tests/support/DialogDriver.h"

namespace testsupport {

// A window's pixels as shown, in device pixels (`ratio` of them to each of
// the window's own), each 0xAARRGGBB.
struct Image {
    int width = 0;
    int height = 0;
    double ratio = 1;
    std::vector<uint32_t> pixels;

    bool Empty() const { return pixels.empty(); }
    // The colour at a device pixel, as RGB() makes it; black outside.
    COLORREF At(int x, int y) const;
    // The device pixels of `part`, given in device pixels.
    Image Part(const CRect& part) const;
    bool operator==(const Image& other) const = default;
};

Image Grab(HWND window);
// The window's pixels after `part` alone (in its own pixels) has painted
// anew, over a ground of magenta: outside `part` nothing is the window's.
Image RepaintPart(HWND window, const CRect& part);

std::wstring WindowText(HWND window);  // the caption, as shown
std::wstring LabelTexts(HWND window);  // the window's static texts, in order, run together
int ButtonCount(HWND window);
bool ShowsWarningIcon(HWND window);  // a message box's exclamation mark
bool HasIcon(HWND window);           // an icon of the window's own
bool IsEnabled(HWND window);
CRect WindowSize(HWND window);  // (0, 0, width, height)
void Resize(HWND window, int width, int height);

// Where one line of `text`, centred in `client` in the window's font as its
// painting centres it, lies.
CRect TextBox(HWND window, const CRect& client, const Text& text);
// The colour of a dialog's ground.
COLORREF DialogColor();
// The text a screen reader reads for a control (on Windows its name: the
// value of a bar there is its position).
std::wstring AccessibleText(HWND control);

// A control's text measured in its own font, with the room its kind takes
// (a check box's mark, a button's frame), beside the control's size.
struct TextRoom {
    std::wstring text;
    int neededWidth;
    int width;
    int lineHeight;
    int height;
};
std::vector<TextRoom> TextRooms(HWND window);  // every control that shows a text

}  // namespace testsupport

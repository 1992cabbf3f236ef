#pragma once
// Drives dialogs as a user would: waits for a window to show, then presses
// keys or buttons in it, from inside the modal loop that shows it. Windows
// are the layer's handles, keys are virtual-key codes, and input goes
// through the window system's own path, so that modality and focus are in
// force. Each ground has its own implementation (qt/, win32/).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/AfxTypes.h"

#ifndef _WIN32
// The keys the tests press, under Windows' codes.
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#endif

namespace testsupport {

// Enter on the numeric keypad: Windows reports it as VK_RETURN marked as an
// extended key, so it has no code of its own there.
inline constexpr int kKeypadEnter = 0x10D;

// A caption or a button's text, given in UTF-8 or as wide text.
class Text {
public:
    Text(const char* utf8);
    Text(const std::string& utf8) : Text(utf8.c_str()) {}
    Text(const wchar_t* wide) : m_wide(wide ? wide : L"") {}
    Text(std::wstring wide) : m_wide(std::move(wide)) {}
    const std::wstring& Wide() const { return m_wide; }
    std::string Utf8() const;

private:
    std::wstring m_wide;
};

// The visible top-level window of this process with this caption, or null.
HWND FindShown(const Text& caption);
// The captions of every visible top-level window of this process.
std::vector<std::wstring> ShownCaptions();

// Runs `action` once, on the interface thread, as soon as a window with this
// caption is visible. Gives up (and fails the test) after `timeoutMs`.
void WhenShown(const Text& caption, std::function<void(HWND)> action, int timeoutMs = 10000);

// Runs `action` once, on the interface thread, as soon as `condition` holds.
void WhenTrue(std::function<bool()> condition, std::function<void()> action, int timeoutMs = 10000,
              std::string what = "condition");

// One step of a user: waits until `when` holds, then acts.
struct Step {
    std::string what;
    std::function<bool()> when;
    std::function<void()> act;
};

// Runs the steps in order, each from inside whatever modal loop is open when
// its condition first holds (the next step is armed before a step acts, since
// acting may open a loop of its own). Answers the count of steps taken.
std::shared_ptr<size_t> RunSteps(std::vector<Step> steps, int timeoutMs = 15000);

// Processes events until `done` holds or the time runs out; answers `done()`.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Processes what is pending, and goes on doing so for `ms`.
void Pump(int ms = 0);

// A timer of the interface thread: runs `action` every `intervalMs` (once,
// unless `repeat`) from inside whatever loop runs there, while it lives.
class Ticker {
public:
    Ticker(int intervalMs, std::function<void()> action, bool repeat = true);
    ~Ticker();
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;
    struct Ground;

private:
    std::unique_ptr<Ground> m_pGround;
};

void PressKey(HWND window, int key);  // to the focused control, as a keyboard would
void ClickButton(HWND window, const Text& text);
void CloseBox(HWND window);                            // the caption's close box
HWND FindControl(HWND window, int controlId);          // a control by its id, or null
std::wstring ControlText(HWND window, int controlId);  // text of a control by its id

}  // namespace testsupport

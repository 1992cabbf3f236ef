#pragma once
// Drives dialogs as a user would: waits for a window to show, then presses
// keys or buttons in it, from inside the modal loop that shows it.
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// The visible top-level window with this caption, or null.
QWidget* FindWindow(const QString& caption);

// Runs `action` once, on the interface thread, as soon as a window with this
// caption is visible. Gives up (and fails the test) after `timeoutMs`.
void WhenShown(const QString& caption, std::function<void(QWidget*)> action, int timeoutMs = 10000);

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

void PressKey(QWidget* window, int key);  // to the focused control, as a keyboard would
void ClickButton(QWidget* window, const QString& text);
void CloseBox(QWidget* window);                       // the caption's close box
QWidget* FindControl(QWidget* window, int controlId);  // a control by its id, or null
QString ControlText(QWidget* window, int controlId);   // text of a control by its id

}  // namespace testsupport

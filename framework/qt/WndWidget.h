#pragma once
// The widget side of a window: every window the layer makes is a Qt widget
// that also carries a WndCore, which owns the window's handle and turns
// toolkit events into the messages the program's classes expect.
// With Wnd.h it is one module in two files: CWnd's calls act on the widget
// through its WndCore (Wnd.cpp), and the WndCore dispatches to its CWnd.
#include <QEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QWidget>

#include "framework/Wnd.h"

class CDC;

// Default processing of the message pWnd is handling now (CWnd::Default).
LRESULT AfxDefaultOfCurrentMessage(const CWnd* pWnd);

class WndCore {
public:
    WndCore(QWidget* self, int id);
    virtual ~WndCore();
    WndCore(const WndCore&) = delete;
    WndCore& operator=(const WndCore&) = delete;

    HWND Handle() const { return m_hWnd; }
    int Id() const { return m_nID; }
    QWidget* Widget() const { return m_pSelf; }
    CWnd* Attached() const { return m_pWnd; }
    void Attach(CWnd* pWnd);
    void Detach();
    // Parts the window from its object and its handle before the widget
    // goes: the handle then names no window, as after a destruction.
    void Retire();

    // The window procedure: the attached object's map, else the default.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // The window class's own processing of a message.
    virtual LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam);

    QPaintEvent* CurrentPaint() const { return m_pCurrentPaint; }
    bool HasPainted() const { return m_bPainted; }

    // A bordered window keeps a frame of nWidth pixels outside its client
    // area; the layer paints it, the window's own painting never reaches it.
    void SetBorder(int nWidth);
    QRect ClientRect() const;  // in the widget's coordinates

    static WndCore* FromHandle(HWND hWnd);  // interface thread only
    static WndCore* FromWidget(QWidget* w);

    // Every handle that was ever registered stays unique, so a stale handle
    // never reaches a newer window. Posting is safe from any thread.
    static bool Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    void HandlePaint(QPaintEvent* e);            // WM_ERASEBKGND + WM_PAINT
    void HandleResize(QResizeEvent* e);          // WM_SIZE
    void PaintBorder(QPaintEvent* e);            // the frame of a bordered window
    virtual void BasePaint(QPaintEvent* e) = 0;  // the toolkit's own painting
    QPaintEvent* m_pCurrentPaint = nullptr;

private:
    QWidget* m_pSelf;
    int m_nID;
    HWND m_hWnd;
    CWnd* m_pWnd = nullptr;
    int m_nBorder = 0;
    bool m_bPainted = false;  // has ever painted
};

template <class Base>
class WndWidget : public Base, public WndCore {
public:
    template <class... Args>
    explicit WndWidget(int id, Args&&... args) : Base(std::forward<Args>(args)...), WndCore(this, id) {}

protected:
    void paintEvent(QPaintEvent* e) override { HandlePaint(e); }
    void resizeEvent(QResizeEvent* e) override {
        Base::resizeEvent(e);
        HandleResize(e);
    }
    void BasePaint(QPaintEvent* e) override { Base::paintEvent(e); }
};

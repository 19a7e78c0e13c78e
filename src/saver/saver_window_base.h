#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QSize>
#include <QStringView>
#include <QTimer>
#include <QWidget>

#include <optional>

class QScreen;
class QWindow;

namespace chronivo {

// A full-screen saver window that draws nothing itself: it covers the primary screen above every
// other window, hides the pointer, takes all keyboard and pointer input, and turns the user's
// input into a request to close. It closes only at its own request, and then emits Closed(), on
// which the application ends the run with exit code 0.
//
// On Wayland, where the compositor places the windows, owns the pointer and grants no grabs, the
// window asks to be full screen instead, measures the pointer's movement between its own motion
// events, and does not nudge the pointer after a click.
//
// Objects live on the heap and delete themselves: once closed (Qt::WA_DeleteOnClose), or through
// Retire() when a fresh window has taken their place.
class SaverWindowBase : public QWidget {
    Q_OBJECT
public:
    SaverWindowBase();
    ~SaverWindowBase() override;

    // Shows the window: frameless, on top, over the whole primary screen, pointer invisible,
    // with the keyboard and the pointer grabbed (on Wayland: full screen on the primary output,
    // no grabs). True when the window is on screen.
    bool CreateFullScreen();

    // Shows the window as a child of `host`, another program's window (such as a screen-saver
    // daemon's), at its top-left corner and `size` pixels big. A hosted window takes no input,
    // grabs nothing and follows none of the exit rules: the program that owns `host` ends the
    // run. Call it instead of CreateFullScreen; `host` must outlive the window. True when the
    // window is on screen.
    bool CreateInside(QWindow& host, QSize size);
    bool IsHosted() const { return m_hosted; }

    // Shows the window frameless, on top, over the whole of `screen`, one other than the primary
    // (on Wayland: full screen on its output), pointer invisible, with the saver's exit rules. It
    // never takes the focus from the main saver window and grabs nothing: that window holds the
    // grabs. True when the window is on screen.
    bool CreateOnScreen(QScreen& screen);

    // Takes the window out of service for good once a fresh window has replaced it: it refuses
    // further close requests, stops asking for the grabs, and is deleted by the event loop
    // (deleteLater) without ending the run.
    void Retire();
    bool IsRetired() const { return m_retired; }

    // The desktop saw input that may not have reached this window (the idle watcher that started
    // the saver says so). The window ends the run unless it sees that input itself: it has held
    // the keyboard grab, or its application the keyboard focus, for kInputSettleMs at least, so
    // its own exit rules have judged every key and every movement over it already.
    void InputElsewhere();
    static constexpr int kInputSettleMs = 500;

    // Whether this window holds both the keyboard and the pointer grab. Platforms without grabs
    // (offscreen) never report them.
    bool HasInputGrab() const { return m_keyboardGrabbed && m_mouseGrabbed; }

    // The process-wide start of the mouse-distance test: whether a position has been recorded
    // and which, in device pixels. Shared by every saver window and never reset, so it survives
    // the replacement of a window.
    static bool MouseSeen() { return s_mouseSeen != 0; }
    static QPoint MouseStart() { return s_mouseStart; }
    static void ResetMouseStateForTesting();

    // Whether windows made from now on follow Wayland's rules (see IsWaylandPlatform); none: as
    // the platform plugin in use says. Lets a test run the Wayland rules on another platform.
    static void SetWaylandForTesting(std::optional<bool> wayland);
    bool OnWayland() const { return m_wayland; }

Q_SIGNALS:
    // The window has closed at its own request and is about to be deleted.
    void Closed();

protected:
    // The exit rules: every event for the window passes here first.
    bool event(QEvent* event) override;

    // Wayland: shows the window full screen on `screen`'s output, the one way a client covers an
    // output there; the compositor sizes it and keeps it above the other windows.
    void ShowFullScreenOn(QScreen& screen);

private:
    // Records the first pointer position; later, closes when the pointer is more than 3 pixels
    // (|dx| + |dy|) from it. `now` is in device pixels, the screen's own, so the rule does not
    // widen with Qt's scale factor.
    void MouseDistanceTest(QPoint now);
    // The mouse-distance test at the system's pointer position, for the events that bring none
    // (deactivation); nothing on Wayland.
    void SystemPointerTest();
    // Moves the pointer one pixel right and one up (one left and one up where it cannot move
    // right and down, as in the bottom-right corner): one device pixel on X11, elsewhere one
    // logical pixel, the least Qt can move it by.
    static void NudgePointer();
    // Wayland: hides the pointer over the window once more, now that the pointer is over it.
    void HidePointerAgain();
    // Queues the close; it is handled once control is back in the event loop.
    void RequestClose();
    void OnCloseRequest();
    // Asks for the grabs that are still missing; retried by m_grabRetry until both hold.
    void TryGrabInput();

    bool m_closeRequested = false; // set just before the saver closes itself
    bool m_retired = false;
    bool m_hosted = false;  // shown inside another program's window: no exit rules
    bool m_wayland = false; // Wayland's rules: no system pointer, no nudge, no grabs
    // Running since the window holds the keyboard grab or its application has the focus; invalid
    // while neither is so.
    QElapsedTimer m_seesInput;
    bool m_keyboardGrabbed = false;
    bool m_mouseGrabbed = false;
    QTimer m_grabRetry;

    static int s_mouseSeen;     // 0 until a position has been recorded
    static QPoint s_mouseStart; // device pixels
    static std::optional<bool> s_waylandForTesting;
};

// Whether `platformName`, Qt's platform plugin (QGuiApplication::platformName()), is Wayland's:
// "wayland" or one of its variants ("wayland-egl"). There no program can read or move the
// pointer, place its windows or grab the input.
bool IsWaylandPlatform(QStringView platformName);

// The mouse-distance rule: |dx| + |dy| above 3 pixels closes.
bool MouseMovedTooFar(QPoint start, QPoint now);

// Where a click leaves the pointer. `before` is where it was, `readBack` where it is after the
// attempt to move it to before + (1, 1): normally before + (1, -1); when the move took effect
// on neither axis (bottom-right corner), before + (-1, -1).
QPoint NudgedPointerPosition(QPoint before, QPoint readBack);

} // namespace chronivo

#pragma once

#include <QPoint>
#include <QSize>
#include <QTimer>
#include <QWidget>

class QWindow;

namespace chronivo {

// A full-screen saver window that draws nothing itself: it covers the primary screen above every
// other window, hides the pointer, takes all keyboard and pointer input, and turns the user's
// input into a request to close. It closes only at its own request, and then emits Closed(),
// on which the application ends the run with exit code 0.
//
// Objects live on the heap and delete themselves: once closed (Qt::WA_DeleteOnClose), or through
// Retire() when a fresh window has taken their place.
class SaverWindowBase : public QWidget {
    Q_OBJECT
public:
    SaverWindowBase();
    ~SaverWindowBase() override;

    // Shows the window: frameless, on top, over the whole primary screen, pointer invisible,
    // with the keyboard and the pointer grabbed. True when the window is on screen.
    bool CreateFullScreen();

    // Shows the window as a child of `host`, another program's window (such as a screen-saver
    // daemon's), at its top-left corner and `size` pixels big. A hosted window takes no input,
    // grabs nothing and follows none of the exit rules: the program that owns `host` ends the
    // run. Call it instead of CreateFullScreen; `host` must outlive the window. True when the
    // window is on screen.
    bool CreateInside(QWindow& host, QSize size);
    bool IsHosted() const { return m_hosted; }

    // Takes the window out of service for good once a fresh window has replaced it: it refuses
    // further close requests, stops asking for the grabs, and is deleted by the event loop
    // (deleteLater) without ending the run.
    void Retire();
    bool IsRetired() const { return m_retired; }

    // Whether this window holds both the keyboard and the pointer grab. Platforms without grabs
    // (offscreen) never report them.
    bool HasInputGrab() const { return m_keyboardGrabbed && m_mouseGrabbed; }

    // The process-wide start of the mouse-distance test: whether a position has been recorded
    // and which, in screen pixels. Shared by every saver window and never reset, so it survives
    // the replacement of a window.
    static bool MouseSeen() { return s_mouseSeen != 0; }
    static QPoint MouseStart() { return s_mouseStart; }
    static void ResetMouseStateForTesting();

Q_SIGNALS:
    // The window has closed at its own request and is about to be deleted.
    void Closed();

protected:
    // The exit rules: every event for the window passes here first.
    bool event(QEvent* event) override;

private:
    // Records the first pointer position; later, closes when the pointer is more than 3 pixels
    // (|dx| + |dy|) from it. The position is read from the system, never from the event.
    void MouseDistanceTest();
    // Moves the pointer one pixel right and one up (one left and one up where it cannot move
    // right and down, as in the bottom-right corner).
    static void NudgePointer();
    // Queues the close; it is handled once control is back in the event loop.
    void RequestClose();
    void OnCloseRequest();
    // Asks for the grabs that are still missing; retried by m_grabRetry until both hold.
    void TryGrabInput();

    bool m_closeRequested = false; // set just before the saver closes itself
    bool m_retired = false;
    bool m_hosted = false; // shown inside another program's window: no exit rules
    bool m_keyboardGrabbed = false;
    bool m_mouseGrabbed = false;
    QTimer m_grabRetry;

    static int s_mouseSeen;     // 0 until a position has been recorded
    static QPoint s_mouseStart; // screen pixels
};

// The mouse-distance rule: |dx| + |dy| above 3 pixels closes.
bool MouseMovedTooFar(QPoint start, QPoint now);

// Where a click leaves the pointer. `before` is where it was, `readBack` where it is after the
// attempt to move it to before + (1, 1): normally before + (1, -1); when the move took effect
// on neither axis (bottom-right corner), before + (-1, -1).
QPoint NudgedPointerPosition(QPoint before, QPoint readBack);

} // namespace chronivo

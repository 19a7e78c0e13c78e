#pragma once

#include "saver/frame_composer.h"
#include "saver/saver_settings.h"
#include "saver/saver_window_base.h"
#include "saver/surface_buffers.h"
#include "time/time_sample.h"

#include <QTimer>

#include <cstdint>
#include <memory>

class QPainter;

namespace chronivo {

class SaverHost;

// The saver's window: holds the settings read when it was built and the state of the frames,
// repaints itself every 100 ms from its first paint on, and draws each frame through DrawFrame.
// A frame that fails makes the host replace the window with a fresh one; the replaced window
// then deletes itself once its paint has ended.
class SaverWindow : public SaverWindowBase {
    Q_OBJECT
public:
    // Reads every setting once, through the host's profile; creates no window yet. `pace` is the
    // stripes' pace of the run, shared with the other windows; it must outlive the window.
    SaverWindow(SaverHost& host, StripePace& pace);
    ~SaverWindow() override;

    const SaverSettings& Settings() const { return m_settings; }
    // The construction time until the first frame, then the time of the current frame.
    const TimeSample& FrameTime() const { return m_time; }
    // The background colour of the current frame, 0x00BBGGRR; the system's window colour at
    // first.
    std::uint32_t BackColor() const { return m_backColor; }
    bool FirstPaintPending() const { return m_firstPaint != 0; }
    // The repaint timer: started at the first paint, precise, 100 ms period (once in a while one
    // period is shorter or longer to keep the ticks early in a tenth of a second).
    const QTimer& FrameTimer() const { return m_frameTimer; }
    // The window's frame composition, with its font slots and countdown state: made at the first
    // paint for the screen the window is on; null before.
    const FrameComposer* Composer() const { return m_composer.get(); }

    // Marks the window as replaced by a fresh one: it deletes itself when the paint in progress
    // ends. Called by the host's ReplaceSaverWindow.
    void MarkReplaced() { m_replaced = 1; }
    bool IsReplaced() const { return m_replaced != 0; }

    // Makes the next frame fail as a drawing error would, so that tests exercise the replacement
    // of the window for real.
    void FailNextFrameForTesting() { m_failNextFrame = true; }

    // Whether the frames go to the compositor in buffers of the window's own (SurfaceBuffers):
    // from the first paint on, where the platform offers them.
    bool DrawsIntoOwnBuffers() const { return m_ownBuffers != nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;

    // Draws one frame over the whole window: into the window's own buffer of the frame in
    // progress (OnOwnFrame), or else through m_paintDC, the painter of the paint in progress,
    // which it may end. `updateRect` is the paint's update rectangle, in window pixels.
    virtual void DrawFrame(const QRect& updateRect);
    // The window's back buffer when `painter` paints on it (a 32-bit image in device pixels);
    // null when the paint goes elsewhere, as for grab().
    QImage* BackBufferOf(const QPainter& painter);

    SaverHost& m_host;
    StripePace& m_pace;
    TimeSample m_time; // time of the current frame; construction time at first
    SaverSettings m_settings;
    std::uint32_t m_backColor = 0; // 0x00BBGGRR
    std::int32_t m_firstPaint = 1; // the first paint has not happened yet
    std::int32_t m_replaced = 0;   // set by the host: delete this window after its paint
    QPainter* m_paintDC = nullptr; // the painter of the paint in progress, only inside OnPaint
    // Composes every frame off-screen, in device pixels; made at the first paint.
    std::unique_ptr<FrameComposer> m_composer;

private:
    void OnPaint(const QRect& updateRect);
    // A frame composed into one of the window's own buffers and shown, with no paint of Qt's:
    // the timer's frames where the window has such buffers. A frame the compositor leaves no
    // buffer for is left out; one that fails replaces the window, as in a paint.
    void OnOwnFrame();
    // After a frame: a window replaced meanwhile stops its frames and goes.
    void RetireIfReplaced();
    void OnTimer();
    // Makes the frame composition for the window's screen (its logical dpi, the window's device
    // pixel ratio) and fixes the countdown target, once, at the first paint.
    void FixCountdownTarget();
    // Asks the host for a fresh window; a failed replacement leaves this window running, and
    // its next frame tries again.
    void Replace();

    QTimer m_frameTimer;
    bool m_failNextFrame = false;
    // The window's own buffers, made at the first paint where the platform has them; the frame
    // being composed into one of them, only inside OnOwnFrame.
    std::unique_ptr<SurfaceBuffers> m_ownBuffers;
    QImage* m_ownFrame = nullptr;
};

// The repaint timer's next period, milliseconds, after a tick that came msIntoTenth (0..99)
// milliseconds into a tenth of a second of the wall clock: 100 while the ticks come in the first
// quarter of a tenth; otherwise the period that brings the next tick to the start of the tenth
// after the one this moment rounds to.
std::int32_t FrameIntervalAfter(std::int32_t msIntoTenth);

// Logical dots per inch (vertical) of the screen `window` is on; 96 when there is none.
std::int32_t LogicalDpiOf(const QWidget& window);

// A QColor as 0x00BBGGRR.
std::uint32_t ToColorRef(const QColor& color);

} // namespace chronivo

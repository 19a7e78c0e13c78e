#include "saver/saver_window.h"

#include "saver/saver_host.h"

#include <QBackingStore>
#include <QColor>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace chronivo {

namespace {

// Period of the repaint timer, milliseconds: about ten frames a second.
constexpr int kFramePeriodMs = 100;

// How far into its tenth of a second of the wall clock a tick may come and the ticks still keep
// their place.
constexpr std::int32_t kLatestTickMs = 25;

} // namespace

std::int32_t LogicalDpiOf(const QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return kDefaultDpi;
    }
    const double dpi = screen->logicalDotsPerInchY();
    return dpi >= 1.0 ? static_cast<std::int32_t>(std::lround(dpi)) : kDefaultDpi;
}

std::int32_t FrameIntervalAfter(std::int32_t msIntoTenth) {
    if (msIntoTenth <= kLatestTickMs) {
        return kFramePeriodMs;
    }
    // One shorter or longer period to the start of the tenth after the one this frame's moment
    // rounds to, so that the time base still goes up by exactly one.
    return (msIntoTenth < 50 ? 100 : 200) - msIntoTenth;
}

std::uint32_t ToColorRef(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<std::uint32_t>(rgb.red()) | (static_cast<std::uint32_t>(rgb.green()) << 8) |
           (static_cast<std::uint32_t>(rgb.blue()) << 16);
}

SaverWindow::SaverWindow(SaverHost& host, StripePace& pace)
    : m_host(host)
    , m_pace(pace)
    , m_time(host.TimeSource().Now())
    , m_settings(ReadSaverSettings(host.Profile(), m_time.seconds)) {
    // Settings are read here and only here: a running window never sees a later change.
    m_backColor = ToColorRef(palette().color(QPalette::Window));

    // Every frame covers the window whole: no erase before a paint, no background of Qt's own.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);

    // A precise timer keeps the ticks where they were put; Qt's default coarse timer moves each
    // one by up to 5 % to line it up with the monotonic clock, which holds the frames at one
    // place in the wall clock's tenths for as long as the computer runs (see OnTimer).
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    m_frameTimer.setInterval(kFramePeriodMs);
    connect(&m_frameTimer, &QTimer::timeout, this, &SaverWindow::OnTimer);
}

SaverWindow::~SaverWindow() = default;

void SaverWindow::paintEvent(QPaintEvent* event) {
    OnPaint(event->rect());
}

void SaverWindow::OnPaint(const QRect& updateRect) {
    if (m_replaced != 0) {
        // Replaced already and about to be deleted: a fresh window paints the screen now.
        return;
    }
    try {
        if (m_firstPaint != 0) {
            m_firstPaint = 0;
            FixCountdownTarget();
            // Runs as long as the window lives.
            m_frameTimer.start();
            // Shown now, so its surface exists: the frames after this one go to buffers of its
            // own where the platform has them.
            if (windowHandle() != nullptr) {
                m_ownBuffers = SurfaceBuffers::For(*windowHandle());
            }
        }
        QPainter painter(this);
        if (!painter.isActive()) {
            // No device to paint on: a fresh window takes over.
            Replace();
        } else {
            m_paintDC = &painter;
            DrawFrame(updateRect);
            m_paintDC = nullptr;
        }
    } catch (...) {
        // Whatever went wrong while drawing, the screen keeps showing a saver: a fresh window
        // built from the settings as stored now.
        m_paintDC = nullptr;
        Replace();
    }
    RetireIfReplaced();
}

void SaverWindow::OnTimer() {
    // A frame's time base is its moment rounded to the nearest tenth of a second. Moments near
    // the middle of a tenth round up or down with the slightest jitter, so that successive time
    // bases stand still or jump and the stripes' pace check widens them. The ticks are kept near
    // the start of a tenth instead: where one comes later (the first ticks, or the wall clock was
    // set), the next period is shortened or lengthened once to bring them back there.
    const std::int32_t msIntoTenth = std::clamp(m_host.TimeSource().Now().millis, 0, 999) % 100;
    const std::int32_t interval = FrameIntervalAfter(msIntoTenth);
    if (interval != m_frameTimer.interval()) {
        m_frameTimer.setInterval(interval);
    }
    if (m_ownBuffers) {
        OnOwnFrame();
        return;
    }
    // Repaint the whole window without erasing it; pending repaints merge into one.
    update();
}

void SaverWindow::OnOwnFrame() {
    if (m_replaced != 0) {
        return;
    }
    try {
        const QSize device(static_cast<int>(std::lround(width() * devicePixelRatioF())),
                           static_cast<int>(std::lround(height() * devicePixelRatioF())));
        QImage* buffer = m_ownBuffers->Acquire(device);
        if (buffer != nullptr) {
            m_ownFrame = buffer;
            DrawFrame(rect());
            m_ownFrame = nullptr;
            if (!m_ownBuffers->Present()) {
                // No surface to show it on: Qt's own paints take over again.
                m_ownBuffers.reset();
            }
        }
    } catch (...) {
        m_ownFrame = nullptr;
        Replace();
    }
    RetireIfReplaced();
}

void SaverWindow::RetireIfReplaced() {
    if (m_replaced != 0) {
        m_frameTimer.stop();
        Retire();
    }
}

void SaverWindow::FixCountdownTarget() {
    // The window is on its screen now, so its dpi and device pixel ratio are known; the frames
    // are composed in device pixels for them. Modes 1, 2 and 5 take their target (and title)
    // from the year of this moment; the others keep the stored target.
    if (!m_composer) {
        FrameOptions options;
        options.dpi = LogicalDpiOf(*this);
        options.devicePixelRatio = devicePixelRatioF();
        options.backColor = m_backColor;
        m_composer = std::make_unique<FrameComposer>(m_settings, m_pace, options);
    }
    m_composer->FixCountdownTarget(m_host.TimeSource().Now());
}

void SaverWindow::Replace() {
    try {
        m_host.ReplaceSaverWindow();
    } catch (...) {
        // Nothing may leave a paint handler; this window stays and the next frame tries again.
    }
}

QImage* SaverWindow::BackBufferOf(const QPainter& painter) {
    // The paint goes to the window's back buffer when the painter's engine draws on the backing
    // store's own image; a grab() or render() paints somewhere else.
    QBackingStore* store = backingStore();
    QPaintDevice* device = store != nullptr ? store->paintDevice() : nullptr;
    const QPaintEngine* engine = painter.paintEngine();
    if (device == nullptr || engine == nullptr || engine->paintDevice() != device ||
        device->devType() != QInternal::Image) {
        return nullptr;
    }
    return static_cast<QImage*>(device);
}

void SaverWindow::DrawFrame(const QRect& /*updateRect*/) {
    // The whole frame, whatever the update rectangle, from one time sample. Where the paint goes
    // to the window's back buffer, the frame is composed right there, so it reaches the display
    // with no copy on our side; elsewhere it is composed off-screen and copied in one drawImage.
    // A frame that cannot be composed throws, and OnPaint replaces the window.
    if (m_failNextFrame) {
        m_failNextFrame = false;
        throw std::runtime_error("frame failure injected for testing");
    }
    if (!m_composer) {
        FixCountdownTarget();
    }
    if (m_ownFrame != nullptr) {
        // One of the window's own buffers, in device pixels: composed right there, shown whole.
        m_time = m_host.TimeSource().Now();
        m_backColor = m_composer->DrawFrameInto(*m_ownFrame, m_time, size()).background;
        return;
    }
    if (m_paintDC == nullptr) {
        Replace();
        return;
    }
    m_time = m_host.TimeSource().Now();
    if (QImage* back = BackBufferOf(*m_paintDC);
        back != nullptr && m_composer->FitsFrame(*back, size())) {
        // The back buffer's pixels are device pixels; a view of them with ratio 1 keeps the
        // composition from scaling what is already in device pixels.
        QImage view(back->bits(), back->width(), back->height(), back->bytesPerLine(),
                    back->format());
        m_paintDC->end();
        m_backColor = m_composer->DrawFrameInto(view, m_time, size()).background;
        return;
    }
    m_backColor = m_composer->DrawFrame(m_time, size()).background;
    // The buffer is in device pixels, so this is a 1:1 copy onto the window's whole area.
    m_paintDC->drawImage(QRectF(rect()), m_composer->FrameImage());
}

} // namespace chronivo

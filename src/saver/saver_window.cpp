#include "saver/saver_window.h"

#include "saver/saver_host.h"

#include <QColor>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>

#include <cmath>
#include <stdexcept>

namespace chronivo {

namespace {

// Period of the repaint timer, milliseconds: about ten frames a second.
constexpr int kFramePeriodMs = 100;

// Logical dots per inch (vertical) of the screen a window is on; 96 when there is none.
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

} // namespace

std::uint32_t ToColorRef(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<std::uint32_t>(rgb.red()) | (static_cast<std::uint32_t>(rgb.green()) << 8) |
           (static_cast<std::uint32_t>(rgb.blue()) << 16);
}

SaverWindow::SaverWindow(SaverHost& host)
    : m_host(host)
    , m_time(host.TimeSource().Now())
    , m_settings(ReadSaverSettings(host.Profile(), m_time.seconds)) {
    // Settings are read here and only here: a running window never sees a later change.
    m_backColor = ToColorRef(palette().color(QPalette::Window));

    // Every frame covers the window whole: no erase before a paint, no background of Qt's own.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);

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
        }
        QPainter painter(this);
        if (!painter.isActive()) {
            // No device to paint on: a fresh window takes over.
            Replace();
        } else {
            m_paintDC = &painter;
            if (m_failNextFrame) {
                m_failNextFrame = false;
                throw std::runtime_error("frame failure injected for testing");
            }
            DrawFrame(updateRect);
            m_paintDC = nullptr;
        }
    } catch (...) {
        // Whatever went wrong while drawing, the screen keeps showing a saver: a fresh window
        // built from the settings as stored now.
        m_paintDC = nullptr;
        Replace();
    }
    if (m_replaced != 0) {
        m_frameTimer.stop();
        Retire();
    }
}

void SaverWindow::OnTimer() {
    // Repaint the whole window without erasing it; pending repaints merge into one.
    update();
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
        m_composer = std::make_unique<FrameComposer>(m_settings, options);
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

void SaverWindow::DrawFrame(const QRect& /*updateRect*/) {
    // The whole frame, whatever the update rectangle: composed off-screen from one time sample,
    // then copied to the window in one drawImage. A frame that cannot be composed throws, and
    // OnPaint replaces the window.
    if (!m_composer) {
        FixCountdownTarget();
    }
    m_time = m_host.TimeSource().Now();
    const FrameRecord& frame = m_composer->DrawFrame(m_time, size());
    m_backColor = frame.background;
    if (m_paintDC == nullptr) {
        Replace();
        return;
    }
    try {
        // The buffer is in device pixels, so this is a 1:1 copy onto the window's whole area.
        m_paintDC->drawImage(QRectF(rect()), m_composer->FrameImage());
    } catch (...) {
        Replace();
    }
}

} // namespace chronivo

#include "saver/saver_window.h"

#include "saver/saver_host.h"

#include <QColor>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

#include <new>
#include <stdexcept>

namespace chronivo {

namespace {

// Period of the repaint timer, milliseconds: about ten frames a second.
constexpr int kFramePeriodMs = 100;

} // namespace

std::uint32_t ToColorRef(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<std::uint32_t>(rgb.red()) | (static_cast<std::uint32_t>(rgb.green()) << 8) |
           (static_cast<std::uint32_t>(rgb.blue()) << 16);
}

SaverWindow::SaverWindow(SaverHost& host)
    : m_host(host)
    , m_settings(ReadSaverSettings(host.Profile()))
    , m_time(host.TimeSource().Now()) {
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
    // CALL POINT: the countdown target is fixed here, once, at the first paint. In modes 1, 2
    // and 5 it sets the target from the frame's time and replaces m_settings.m_title; the other
    // modes keep the stored target and title. Hooked up with the countdown computation.
}

void SaverWindow::Replace() {
    try {
        m_host.ReplaceSaverWindow();
    } catch (...) {
        // Nothing may leave a paint handler; this window stays and the next frame tries again.
    }
}

void SaverWindow::DrawFrame(const QRect& /*updateRect*/) {
    // One colour over the whole window, composed off screen and copied in one drawImage.
    if (m_frameBuffer.isNull()) {
        const qreal ratio = devicePixelRatioF();
        m_frameBuffer = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
        if (m_frameBuffer.isNull()) {
            throw std::bad_alloc();
        }
        m_frameBuffer.setDevicePixelRatio(ratio);
    }
    const auto colour = m_backColor;
    m_frameBuffer.fill(QColor(static_cast<int>(colour & 0xFFu),
                              static_cast<int>((colour >> 8) & 0xFFu),
                              static_cast<int>((colour >> 16) & 0xFFu)));
    m_paintDC->drawImage(QPoint(0, 0), m_frameBuffer);
}

} // namespace chronivo

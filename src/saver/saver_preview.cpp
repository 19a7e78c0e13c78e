#include "saver/saver_preview.h"

#include "saver/saver_window.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace chronivo {

namespace {

// The saver's own pace: about ten frames a second.
constexpr int kPreviewPeriodMs = 100;

} // namespace

std::int32_t PreviewDpi(std::int32_t screenDpi, int screenWidth, int previewWidth) {
    if (screenWidth <= 0 || previewWidth <= 0) {
        return std::max(screenDpi, 1);
    }
    const double dpi = static_cast<double>(screenDpi) * previewWidth / screenWidth;
    return static_cast<std::int32_t>(std::max(1L, std::lround(dpi)));
}

QSize PreviewSizeFor(QSize screen, int width, int maxHeight) {
    if (screen.isEmpty() || width <= 0 || maxHeight <= 0) {
        return {std::max(width, 0), std::max(maxHeight, 0)};
    }
    const auto height = static_cast<int>(
        std::lround(static_cast<double>(width) * screen.height() / screen.width()));
    if (height <= maxHeight) {
        return {width, height};
    }
    return {static_cast<int>(
                std::lround(static_cast<double>(maxHeight) * screen.width() / screen.height())),
            maxHeight};
}

SaverPreview::SaverPreview(const Clock& clock, QWidget* parent)
    : QWidget(parent)
    , m_clock(clock) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    m_frameTimer.setInterval(kPreviewPeriodMs);
    connect(&m_frameTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

SaverPreview::~SaverPreview() = default;

void SaverPreview::ShowSettings(const SaverSettings& settings) {
    m_settings = settings;
    m_composer.reset();
    m_composed = false;
    update();
}

QSize SaverPreview::ScreenSize() const {
    const QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    return shown != nullptr ? shown->size() : QSize(1920, 1080);
}

FrameOptions SaverPreview::Options() const {
    FrameOptions options;
    options.dpi = PreviewDpi(LogicalDpiOf(*this), ScreenSize().width(), width());
    options.devicePixelRatio = devicePixelRatioF();
    return options;
}

const FrameRecord* SaverPreview::LastFrame() const {
    return m_composed ? &m_composer->LastFrame() : nullptr;
}

QImage SaverPreview::LastImage() const {
    return m_composed ? m_composer->FrameImage() : QImage();
}

void SaverPreview::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    try {
        if (!m_composer) {
            // A fresh pace too: the stripes start as a new saver's do.
            m_pace = StripePace{};
            m_composer = std::make_unique<FrameComposer>(m_settings, m_pace, Options());
        }
        m_composer->DrawFrame(m_clock.Now(), size());
        m_composed = true;
        painter.drawImage(QRectF(rect()), m_composer->FrameImage());
    } catch (const FrameError&) {
        // Too large a buffer, or one that cannot be painted: the preview stays black and tries
        // afresh with the next frame.
        m_composer.reset();
        m_composed = false;
        painter.fillRect(rect(), Qt::black);
    }
}

void SaverPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Fonts are fitted to a frame's size at its first frame.
    m_composer.reset();
    m_composed = false;
}

void SaverPreview::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Q_EMIT Clicked();
    }
}

void SaverPreview::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_frameTimer.start();
}

void SaverPreview::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Nothing drawn while nobody sees it.
    m_frameTimer.stop();
}

} // namespace chronivo

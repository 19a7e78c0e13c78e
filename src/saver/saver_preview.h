#pragma once

#include "saver/frame_composer.h"
#include "saver/rainbow.h"
#include "saver/saver_settings.h"
#include "time/time_sample.h"

#include <QSize>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace chronivo {

// The dots per inch that make a frame `previewWidth` pixels wide look as a frame `screenWidth`
// pixels wide does at `screenDpi`: every text in the same proportion to the frame. At least 1.
std::int32_t PreviewDpi(std::int32_t screenDpi, int screenWidth, int previewWidth);

// The size of a preview `width` pixels wide of a screen of `screen` pixels, at the screen's
// aspect ratio; narrower where that would be higher than `maxHeight`.
QSize PreviewSizeFor(QSize screen, int width, int maxHeight);

// The saver in miniature: the frames of given settings, composed as the saver composes them for
// the screen this widget is on, scaled down to the widget (PreviewDpi), ten a second while it
// shows. A click on it is reported, not acted on.
class SaverPreview : public QWidget {
    Q_OBJECT
public:
    // `clock` must outlive the preview.
    explicit SaverPreview(const Clock& clock, QWidget* parent = nullptr);
    ~SaverPreview() override;

    // Shows the frames of `settings` from the next one on, as a freshly started saver would.
    void ShowSettings(const SaverSettings& settings);
    const SaverSettings& Settings() const { return m_settings; }

    // The size of the screen the preview stands for, logical pixels: its own screen's.
    QSize ScreenSize() const;
    // What its frames are composed with at its present size.
    FrameOptions Options() const;
    // The latest frame's record; null before the first frame after a change of settings or size.
    const FrameRecord* LastFrame() const;
    // That frame's pixels, device pixels; null before the first frame.
    QImage LastImage() const;

Q_SIGNALS:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const Clock& m_clock;
    SaverSettings m_settings;
    StripePace m_pace;
    // Made at the first frame for the settings and size; dropped when either changes.
    std::unique_ptr<FrameComposer> m_composer;
    bool m_composed = false; // m_composer has drawn a frame
    QTimer m_frameTimer;
};

} // namespace chronivo

#pragma once

#include <QWidget>

namespace chronivo {

// Placeholder; the saver window is built with the foundation work.
class SaverWindow : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

} // namespace chronivo

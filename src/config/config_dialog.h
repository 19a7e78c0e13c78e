#pragma once

#include <QDialog>

namespace chronivo {

// Placeholder; the configuration dialog is built with its own work.
class ConfigDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;
};

} // namespace chronivo

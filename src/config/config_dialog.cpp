#include "config/config_dialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace chronivo {

// A bare dialog with its caption and OK button; the controls come with the dialog's own work.
ConfigDialog::ConfigDialog(QWidget* parent, ProfileStore& store, const Clock& clock)
    : QDialog(parent)
    , m_app(store)
    , m_clock(clock) {
    setWindowTitle(QStringLiteral("Velstrand ScreenSaver Configuration"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("okButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buttons);
}

void RunConfigDialog(QWidget* parent, ProfileStore& store, const Clock& clock) {
    ConfigDialog dialog(parent, store, clock);
    dialog.exec();
}

} // namespace chronivo

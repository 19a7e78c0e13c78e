#include "config/dialog_controls.h"

#include <QCheckBox>
#include <QDialog>

namespace chronivo {

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

void SetDialogFrame(QDialog& dialog) {
    // Without CustomizeWindowHint a window manager is told to give the window every button.
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
}

void OpenOver(QDialog& dialog, const QWidget& owner) {
    dialog.adjustSize();
    const QRect over = owner.window()->frameGeometry();
    QRect placed(QPoint(), dialog.frameGeometry().size());
    placed.moveCenter(over.center());
    dialog.move(placed.topLeft());
    dialog.open();
}

} // namespace chronivo

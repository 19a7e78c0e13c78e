#include "config/dialog_controls.h"

#include <QCheckBox>

namespace chronivo {

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace chronivo

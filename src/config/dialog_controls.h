#pragma once

#include <QString>

class QCheckBox;
class QWidget;

namespace chronivo {

// A check box with `text`, found by tests and tools under the object name `name`.
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text);

} // namespace chronivo

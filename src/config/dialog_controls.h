#pragma once

#include <QString>

class QCheckBox;
class QDialog;
class QWidget;

namespace chronivo {

// A check box with `text`, found by tests and tools under the object name `name`.
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text);

// Gives `dialog` the frame of a dialog: a caption and a close box, no minimise or maximise box.
void SetDialogFrame(QDialog& dialog);

// Opens `dialog` window-modal, centred over `owner`'s window, at the size its layout asks for.
void OpenOver(QDialog& dialog, const QWidget& owner);

} // namespace chronivo

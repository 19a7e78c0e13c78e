#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QCheckBox;
class QFontComboBox;
class QRadioButton;

namespace chronivo {

class ProfileStore;

// The "Font" setting as the dialog shows it: one of the installed families, bold or not. An empty
// family is the platform's default font.
struct FontChoice {
    QString family;
    bool bold = false;
};

// Reads a stored "Font", "Family" or "Family:bold" (the suffix in any case). A family that is none
// of `installed` (compared without regard to case) is the default font, and so is anything typed
// by hand that names no family at all; a known family comes back spelt as installed.
FontChoice ParseFontChoice(const QString& stored, const QStringList& installed);

// The text stored for a choice: "" for the default font, "Family" or "Family:bold".
QString FontChoiceText(const FontChoice& choice);

// "More options...": the settings beyond the main window's, each stored under its own key of the
// same section. It reads them when it is built; OK stores all six in one change and closes,
// a failed write is told through `showMessage` and keeps it open; Cancel stores nothing.
//
// Object names: "allScreens", "drift", "localNames", "dark", "outline", "defaultFont",
// "otherFont", "fontCombo", "bold", "buttonBox".
class MoreOptionsDialog : public QDialog {
    Q_OBJECT
public:
    using MessageSink = std::function<void(const QString&)>;

    // `store` must outlive the dialog.
    MoreOptionsDialog(QWidget* parent, ProfileStore& store, MessageSink showMessage);

private:
    void ReadValues();
    // The font list and Bold only count while "Other font" is chosen.
    void OnFontKind();
    void OnOK();

    ProfileStore& m_store;
    MessageSink m_showMessage;
    QCheckBox* m_allScreens = nullptr;
    QCheckBox* m_drift = nullptr;
    QCheckBox* m_localNames = nullptr;
    QCheckBox* m_dark = nullptr;
    QCheckBox* m_outline = nullptr;
    QRadioButton* m_defaultFont = nullptr;
    QRadioButton* m_otherFont = nullptr;
    QFontComboBox* m_fontCombo = nullptr;
    QCheckBox* m_bold = nullptr;
};

} // namespace chronivo

#pragma once

#include "settings/option_table.h"
#include "settings/settings_keys.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QFontComboBox;
class QRadioButton;

namespace chronivo {

class ProfileStore;

// The family of `choice` spelt as one of `installed` spells it (compared without regard to
// case); empty when it is none of them.
QString InstalledFamily(const FontChoice& choice, const QStringList& installed);

// "More options...": the settings beyond the main window's (kMoreOptions), each stored under its
// own key of the same section. It reads them when it is built; OK stores all six in one change
// and closes, a failed write is told through `showMessage` and keeps it open; Cancel stores
// nothing.
//
// Object names: each on/off option's box by its row ("allScreens", "drift", "localNames",
// "dark", "outline"), "defaultFont", "otherFont", "fontCombo", "bold", "buttonBox".
class MoreOptionsDialog : public QDialog {
    Q_OBJECT
public:
    using MessageSink = std::function<void(const QString&)>;

    // `store` must outlive the dialog.
    MoreOptionsDialog(QWidget* parent, ProfileStore& store, MessageSink showMessage);

    // The six values OK stores, in the key table's order, from the controls.
    std::vector<ProfileValue> Values() const;

Q_SIGNALS:
    // A choice has changed.
    void Changed();

private:
    void ReadValues();
    // The font list and Bold only count while "Other font" is chosen.
    void OnFontKind();
    void OnOK();

    ProfileStore& m_store;
    MessageSink m_showMessage;
    // The stored "Font" as read, kept by OK while the font controls are left alone: a family this
    // computer lacks is not thrown away by opening the dialog.
    QString m_storedFont;
    bool m_fontTouched = false;
    std::vector<ProfileValue> m_shownValues; // Values() as the dialog opened
    // The check box of each row of kMoreOptions; null for the row of "Font".
    std::array<QCheckBox*, std::size(kMoreOptions)> m_boxes{};
    QRadioButton* m_defaultFont = nullptr;
    QRadioButton* m_otherFont = nullptr;
    QFontComboBox* m_fontCombo = nullptr;
    QCheckBox* m_bold = nullptr;
};

} // namespace chronivo

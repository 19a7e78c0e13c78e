#include "config/more_options.h"

#include "config/config_values.h"
#include "config/dialog_controls.h"
#include "settings/profile_store.h"
#include "settings/settings_keys.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <vector>

namespace chronivo {

namespace {

QString KeyName(const SettingKey& key) {
    return QString::fromLatin1(key.name);
}

} // namespace

QString InstalledFamily(const FontChoice& choice, const QStringList& installed) {
    for (const QString& known : installed) {
        if (!choice.family.isEmpty() && known.compare(choice.family, Qt::CaseInsensitive) == 0) {
            return known;
        }
    }
    return {};
}

MoreOptionsDialog::MoreOptionsDialog(QWidget* parent, ProfileStore& store, MessageSink showMessage)
    : QDialog(parent)
    , m_store(store)
    , m_showMessage(std::move(showMessage)) {
    setObjectName(QStringLiteral("moreOptionsDialog"));
    setWindowTitle(QStringLiteral("More options"));
    SetDialogFrame(*this);
    setModal(true);

    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        if (kMoreOptions[i].flag != nullptr) {
            m_boxes[i] = MakeCheckBox(this, kMoreOptions[i].boxName,
                                      QString::fromLatin1(kMoreOptions[i].label));
        }
    }

    auto* fontGroup = new QGroupBox(QStringLiteral("Font"), this);
    m_defaultFont = new QRadioButton(QStringLiteral("Default font"), fontGroup);
    m_defaultFont->setObjectName(QStringLiteral("defaultFont"));
    m_otherFont = new QRadioButton(QStringLiteral("Other font:"), fontGroup);
    m_otherFont->setObjectName(QStringLiteral("otherFont"));
    m_fontCombo = new QFontComboBox(fontGroup);
    m_fontCombo->setObjectName(QStringLiteral("fontCombo"));
    m_bold = MakeCheckBox(fontGroup, "bold", QStringLiteral("Bold"));
    auto* fontLayout = new QGridLayout(fontGroup);
    fontLayout->addWidget(m_defaultFont, 0, 0, 1, 3, Qt::AlignLeft);
    fontLayout->addWidget(m_otherFont, 1, 0);
    fontLayout->addWidget(m_fontCombo, 1, 1);
    fontLayout->addWidget(m_bold, 1, 2);
    fontLayout->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));

    auto* layout = new QVBoxLayout(this);
    // Each box as wide as its text, so a click beside the text changes nothing.
    for (QCheckBox* box : m_boxes) {
        if (box != nullptr) {
            layout->addWidget(box, 0, Qt::AlignLeft);
        }
    }
    layout->addWidget(fontGroup);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(buttons, &QDialogButtonBox::accepted, this, &MoreOptionsDialog::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_otherFont, &QRadioButton::toggled, this, &MoreOptionsDialog::OnFontKind);

    ReadValues();
    m_shownValues = Values();
}

void MoreOptionsDialog::ReadValues() {
    // Read in the rows' order, the font in its place among them, each flag as the saver reads
    // it.
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        if (m_boxes[i] != nullptr) {
            m_boxes[i]->setChecked(ReadFlag(m_store, kMoreOptions[i].key, Reader::Dialog));
        } else {
            m_storedFont = ReadString(m_store, kMoreOptions[i].key);
        }
    }
    // Only a family the list offers can be shown; any other stays stored unless the font is
    // changed.
    QStringList offered;
    for (int i = 0; i < m_fontCombo->count(); ++i) {
        offered << m_fontCombo->itemText(i);
    }
    const FontChoice stored = ParseFontSetting(m_storedFont.toStdString());
    const QString family = InstalledFamily(stored, offered);

    // With the default font the list shows the family the default is, ready to start from.
    m_fontCombo->setCurrentFont(family.isEmpty() ? QFont() : QFont(family));
    m_bold->setChecked(!family.isEmpty() && stored.bold);
    (family.isEmpty() ? m_defaultFont : m_otherFont)->setChecked(true);
    OnFontKind();
    const auto touched = [this] {
        m_fontTouched = true;
        Q_EMIT Changed();
    };
    connect(m_otherFont, &QRadioButton::toggled, this, touched);
    connect(m_fontCombo, &QFontComboBox::currentFontChanged, this, touched);
    connect(m_bold, &QCheckBox::toggled, this, touched);
    for (QCheckBox* box : m_boxes) {
        if (box != nullptr) {
            connect(box, &QCheckBox::toggled, this, &MoreOptionsDialog::Changed);
        }
    }
}

void MoreOptionsDialog::OnFontKind() {
    const bool other = m_otherFont->isChecked();
    m_fontCombo->setEnabled(other);
    m_bold->setEnabled(other);
}

std::vector<ProfileValue> MoreOptionsDialog::Values() const {
    const FontChoice font =
        m_otherFont->isChecked()
            ? FontChoice{m_fontCombo->currentFont().family(), m_bold->isChecked()}
            : FontChoice{};
    const QString fontText = m_fontTouched ? FontSettingText(font) : m_storedFont;
    std::vector<ProfileValue> values;
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        const QString key = KeyName(kMoreOptions[i].key);
        if (m_boxes[i] != nullptr) {
            // A flag is stored as the number 1 or 0, as the main window stores its own.
            values.push_back({key, m_boxes[i]->isChecked() ? 1 : 0});
        } else {
            values.push_back({key, fontText});
        }
    }
    return values;
}

void MoreOptionsDialog::OnOK() {
    // All six in the key table's order, in one change: a store that cannot take them all keeps
    // none of them. Those left as shown keep what the file holds at the moment of the save.
    std::vector<ProfileValue> values = Values();
    KeepUnchanged(values, m_shownValues);
    if (!WriteValues(m_store, values)) {
        // Told as the main window tells it; the choices stay for another try or Cancel.
        m_showMessage(SaveFailureText(m_store.LastError()));
        return;
    }
    accept();
}

} // namespace chronivo

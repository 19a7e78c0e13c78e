// "More options...": what the second dialog shows, stores in one change, and leaves alone.
#include "config/more_options.h"
#include "dialog_fixture.h"

#include <QCheckBox>
#include <QFontComboBox>
#include <QPointer>

namespace chronivo {
namespace {

const char* const kBoxes[] = {"allScreens", "drift", "localNames", "dark", "outline"};

class MoreOptionsTest : public DialogTest {
protected:
    // Opens the main dialog on m_store, then "More options..." over it. Once closed, the
    // dialog is deleted at the next turn of the event loop.
    QPointer<QDialog> OpenOptions() {
        Open();
        Click("moreOptionsButton");
        auto* options = Find<QDialog>("moreOptionsDialog");
        EXPECT_TRUE(options != nullptr && options->isVisible() && options->isModal());
        EXPECT_TRUE(QTest::qWaitForWindowActive(options));
        return options;
    }
    bool Checked(const char* name) const { return Find<QAbstractButton>(name)->isChecked(); }
    static bool Closed(const QPointer<QDialog>& dialog) {
        return dialog.isNull() || !dialog->isVisible();
    }

    // A family the font list offers on this computer, whichever fonts it has.
    static QString SomeFamily() {
        const QFontComboBox probe;
        EXPECT_GT(probe.count(), 0);
        return probe.itemText(probe.count() / 2);
    }
};

struct ShownCase {
    const char* key;
    QVariant stored;
    const char* box; // the one box that shows checked, nullptr: none
    const char* fact;
};

TEST_F(MoreOptionsTest, OpensShowingTheStoredValuesAndGarbageAsOff) {
    const ShownCase cases[] = {
        {"AllScreens", 1, "allScreens", "1: on"},
        {"Drift", 7, "drift", "any number but 0 is on, as the saver reads it"},
        {"LocalNames", -1, "localNames", "a negative number too"},
        {"Dark", QStringLiteral("yes"), nullptr, "a word is no number: off"},
        {"Outline", QStringLiteral("1.5"), nullptr, "nor is a fraction"},
        {"Outline", 0, nullptr, "0: off"},
    };
    for (const ShownCase& c : cases) {
        m_store = RecordingStore();
        if (c.stored.typeId() == QMetaType::Int) {
            m_store.PutInt(QString::fromLatin1(c.key), c.stored.toInt());
        } else {
            m_store.PutString(QString::fromLatin1(c.key), c.stored.toString());
        }
        OpenOptions();
        for (const char* box : kBoxes) {
            EXPECT_EQ(Checked(box), c.box != nullptr && qstrcmp(box, c.box) == 0)
                << c.fact << ": " << box;
        }
        EXPECT_TRUE(Checked("defaultFont")) << c.fact;
        EXPECT_TRUE(m_store.Writes().isEmpty()) << "opening writes nothing";
    }
}

struct FontCase {
    QString stored;
    bool other; // "Other font" chosen, with the family and Bold below
    bool bold;
    const char* fact;
};

TEST_F(MoreOptionsTest, ShowsTheStoredFontOrTheDefaultAndKeepsItWhenLeftAlone) {
    const QString family = SomeFamily();
    const FontCase cases[] = {
        {QString(), false, false, "nothing stored: the default font"},
        {family, true, false, "an installed family"},
        {family.toUpper() + QStringLiteral(":BOLD"), true, true, "in any case, bold"},
        {QStringLiteral("No Such Family Anywhere:bold"), false, false, "a family not installed"},
        {QStringLiteral(":bold"), false, false, "bold without a family"},
        {QStringLiteral("\x01\x02\t") + QString(5000, u'x'), false, false, "garbage"},
    };
    for (const FontCase& c : cases) {
        m_store = RecordingStore();
        m_store.PutString(QStringLiteral("Font"), c.stored);
        OpenOptions();
        EXPECT_EQ(Checked("otherFont"), c.other) << c.fact;
        EXPECT_EQ(Checked("defaultFont"), !c.other) << c.fact;
        EXPECT_EQ(Find<QWidget>("fontCombo")->isEnabled(), c.other) << c.fact;
        EXPECT_EQ(Checked("bold"), c.bold) << c.fact;
        if (c.other) {
            EXPECT_EQ(Find<QFontComboBox>("fontCombo")->currentFont().family(), family) << c.fact;
        }
        // The font left alone, OK keeps the stored text, a family this computer lacks included.
        Press("moreOptionsDialog", QDialogButtonBox::Ok);
        EXPECT_EQ(StoredString(QStringLiteral("Font")), c.stored) << c.fact;
    }
}

TEST_F(MoreOptionsTest, OkStoresTheSixKeysInOneChangeAndNothingElse) {
    // Every box on and a bold font; then, from there, everything off and the default font.
    const QString family = SomeFamily();
    for (const bool on : {true, false}) {
        const QPointer<QDialog> options = OpenOptions();
        m_store.ClearLogs();
        Find<QFontComboBox>("fontCombo")->setCurrentFont(QFont(family));
        for (const char* box : kBoxes) {
            Click(box);
        }
        Click(on ? "otherFont" : "defaultFont");
        if (on) {
            Click("bold");
        }
        Press("moreOptionsDialog", QDialogButtonBox::Ok);
        EXPECT_TRUE(Closed(options) && m_dialog->isVisible()) << "the main dialog stays open";
        EXPECT_EQ(m_store.ValueWrites(), 1);
        EXPECT_EQ(WrittenKeys(),
                  QStringList({"AllScreens", "Drift", "LocalNames", "Dark", "Font", "Outline"}));
        for (const SettingKey& key :
             {keys::AllScreens, keys::Drift, keys::LocalNames, keys::Dark, keys::Outline}) {
            EXPECT_EQ(StoredInt(key), on ? 1 : 0) << key.name;
        }
        EXPECT_EQ(StoredString(QStringLiteral("Font")),
                  on ? family + QStringLiteral(":bold") : QString());
    }
    EXPECT_TRUE(m_dialog->m_messages.isEmpty());
}

TEST_F(MoreOptionsTest, CancelStoresNothing) {
    const QPointer<QDialog> options = OpenOptions();
    for (const char* box : kBoxes) {
        Click(box);
    }
    Click("otherFont");
    Press("moreOptionsDialog", QDialogButtonBox::Cancel);
    EXPECT_TRUE(Closed(options));
    EXPECT_TRUE(m_store.Writes().isEmpty());
}

TEST_F(MoreOptionsTest, AFailedWriteIsReportedAsTheMainDialogReportsItAndTheDialogStays) {
    const QPointer<QDialog> options = OpenOptions();
    Click("dark");
    m_store.FailFromWrite(1);
    Press("moreOptionsDialog", QDialogButtonBox::Ok);
    EXPECT_EQ(m_dialog->m_messages, QStringList({RecordingStore::kFailure}));
    EXPECT_FALSE(Closed(options));
    EXPECT_TRUE(Checked("dark")) << "the choices stay for another try";
    // With the store working again OK stores and closes.
    m_store.FailFromWrite(0);
    Press("moreOptionsDialog", QDialogButtonBox::Ok);
    EXPECT_TRUE(Closed(options));
    EXPECT_EQ(StoredInt(keys::Dark), 1);
}

} // namespace
} // namespace chronivo

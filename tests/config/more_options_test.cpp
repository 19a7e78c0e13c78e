// "More options...": what the second dialog shows, stores in one change, and leaves alone.
#include "config/more_options.h"
#include "dialog_fixture.h"

#include <QCheckBox>
#include <QFontComboBox>
#include <QPointer>

#include <utility>

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
};

TEST_F(MoreOptionsTest, EachBoxShowsItsOwnKeyAndOpeningWritesNothing) {
    // Against a box wired to another key, and against reading only 1 as on: any number but 0
    // is on, as the saver reads it.
    const std::pair<const char*, int> stored[] = {
        {"AllScreens", 1}, {"Drift", 7}, {"LocalNames", -1}, {"Dark", 1}, {"Outline", 2}};
    for (std::size_t i = 0; i < std::size(kBoxes); ++i) {
        m_store = RecordingStore();
        m_store.PutInt(QString::fromLatin1(stored[i].first), stored[i].second);
        OpenOptions();
        for (const char* box : kBoxes) {
            EXPECT_EQ(Checked(box), box == kBoxes[i]) << stored[i].first << ": " << box;
        }
        EXPECT_TRUE(m_store.Writes().isEmpty()) << stored[i].first;
    }
}

TEST_F(MoreOptionsTest, ShowsTheStoredFontOrTheDefaultAndKeepsItWhenLeftAlone) {
    // A family the font list offers on this computer, whichever fonts it has.
    const QFontComboBox probe;
    ASSERT_GT(probe.count(), 0);
    const QString family = probe.itemText(probe.count() / 2);
    // The reading of the text itself (blanks, garbage) is the key table's; here: what the
    // dialog makes of it.
    const struct {
        QString stored;
        bool other; // "Other font" chosen, with the family and Bold below
        bool bold;
        const char* fact;
    } cases[] = {
        {family, true, false, "an installed family"},
        {family.toUpper() + QStringLiteral(":BOLD"), true, true, "in any case, bold"},
        {QStringLiteral("No Such Family Anywhere:bold"), false, false, "a family not installed"},
    };
    for (const auto& c : cases) {
        m_store = RecordingStore();
        m_store.PutString(QStringLiteral("Font"), c.stored);
        OpenOptions();
        EXPECT_EQ(Checked("otherFont"), c.other) << c.fact;
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

TEST_F(MoreOptionsTest, OkStoresTheSixKeysInOneChangeOrTellsAFailureAndCancelNothing) {
    const QPointer<QDialog> cancelled = OpenOptions();
    for (const char* box : kBoxes) {
        Click(box);
    }
    Press("moreOptionsDialog", QDialogButtonBox::Cancel);
    EXPECT_TRUE(Closed(cancelled) && m_store.Writes().isEmpty());
    // Every box on and a bold font; then, from there, everything off and the default font.
    for (const bool on : {true, false}) {
        const QPointer<QDialog> options = OpenOptions();
        m_store.ClearLogs();
        auto* combo = Find<QFontComboBox>("fontCombo");
        const QString family = combo->itemText(combo->count() / 2);
        combo->setCurrentFont(QFont(family));
        for (const char* box : kBoxes) {
            Click(box);
        }
        Click(on ? "otherFont" : "defaultFont");
        if (on) {
            Click("bold");
            // A failed write: told as the main dialog tells it; the choices stay for another try.
            m_store.FailFromWrite(1);
            Press("moreOptionsDialog", QDialogButtonBox::Ok);
            EXPECT_EQ(m_dialog->m_messages, QStringList({RecordingStore::kFailure}));
            EXPECT_TRUE(!Closed(options) && Checked("bold") && Checked("dark"));
            m_store.FailFromWrite(0);
            m_store.ClearLogs();
        }
        Press("moreOptionsDialog", QDialogButtonBox::Ok);
        EXPECT_TRUE(Closed(options) && m_dialog->isVisible()) << "the main dialog stays open";
        EXPECT_EQ(m_store.ValueWrites(), 1);
        EXPECT_EQ(m_dialog->m_messages.size(), on ? 1 : 0) << "no word when it stores";
        EXPECT_EQ(WrittenKeys(),
                  QStringList({"AllScreens", "Drift", "LocalNames", "Dark", "Font", "Outline"}));
        for (const SettingKey& key :
             {keys::AllScreens, keys::Drift, keys::LocalNames, keys::Dark, keys::Outline}) {
            EXPECT_EQ(StoredInt(key), on ? 1 : 0) << key.name;
        }
        EXPECT_EQ(StoredString(QStringLiteral("Font")),
                  on ? family + QStringLiteral(":bold") : QString());
    }
}

} // namespace
} // namespace chronivo

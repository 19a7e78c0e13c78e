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

TEST_F(MoreOptionsTest, ShowsTheStoredFontOrTheDefaultForAnythingElse) {
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
    }
}

struct StoreCase {
    QString storedFont;
    QStringList clicks;
    QList<int> flags; // AllScreens, Drift, LocalNames, Dark, Outline
    bool storesFamily;
    bool bold;
    const char* fact;
};

TEST_F(MoreOptionsTest, OkStoresTheSixKeysInOneChangeAndNothingElse) {
    const QString family = SomeFamily();
    const StoreCase cases[] = {
        {QString(),
         {"allScreens", "dark", "otherFont", "bold"},
         {1, 0, 0, 1, 0},
         true,
         true,
         "two options and a bold font"},
        {QString(),
         {"drift", "localNames", "outline"},
         {0, 1, 1, 0, 1},
         false,
         false,
         "the default font stays the default"},
        {family + QStringLiteral(":bold"),
         {"defaultFont"},
         {0, 0, 0, 0, 0},
         false,
         false,
         "back to the default font"},
    };
    for (const StoreCase& c : cases) {
        m_store = RecordingStore();
        m_store.PutString(QStringLiteral("Font"), c.storedFont);
        const QPointer<QDialog> options = OpenOptions();
        Find<QFontComboBox>("fontCombo")->setCurrentFont(QFont(family));
        for (const QString& name : c.clicks) {
            Click(name.toLatin1().constData());
        }
        Press("moreOptionsDialog", QDialogButtonBox::Ok);
        EXPECT_TRUE(Closed(options)) << c.fact;
        EXPECT_TRUE(m_dialog->isVisible()) << "the main dialog stays open";
        EXPECT_EQ(m_store.ValueWrites(), 1) << c.fact;
        EXPECT_EQ(WrittenKeys(),
                  QStringList({"AllScreens", "Drift", "LocalNames", "Dark", "Font", "Outline"}))
            << c.fact;
        const QList<int> stored = {StoredInt(keys::AllScreens), StoredInt(keys::Drift),
                                   StoredInt(keys::LocalNames), StoredInt(keys::Dark),
                                   StoredInt(keys::Outline)};
        EXPECT_EQ(stored, c.flags) << c.fact;
        const QString font = c.storesFamily ? family + (c.bold ? ":bold" : "") : QString();
        EXPECT_EQ(StoredString(QStringLiteral("Font")), font) << c.fact;
        EXPECT_TRUE(m_dialog->m_messages.isEmpty()) << c.fact;
    }
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
    const struct {
        QString reason;
        QString shown;
    } cases[] = {{RecordingStore::kFailure, RecordingStore::kFailure},
                 {QString(), QStringLiteral("Your settings could not be saved.")}};
    for (const auto& c : cases) {
        m_store = RecordingStore();
        const QPointer<QDialog> options = OpenOptions();
        Click("dark");
        m_store.SetFailureText(c.reason);
        m_store.FailFromWrite(1);
        Press("moreOptionsDialog", QDialogButtonBox::Ok);
        EXPECT_EQ(m_dialog->m_messages, QStringList({c.shown}));
        EXPECT_FALSE(Closed(options));
        EXPECT_TRUE(Checked("dark")) << "the choices stay for another try";
        // With the store working again OK stores and closes.
        m_store.FailFromWrite(0);
        Press("moreOptionsDialog", QDialogButtonBox::Ok);
        EXPECT_TRUE(Closed(options));
        EXPECT_EQ(StoredInt(keys::Dark), 1);
    }
}

} // namespace
} // namespace chronivo

// The dialog on the real settings file: what it stores there, and what it does when the file
// cannot be written.
#include "config/start_after.h"
#include "dialog_fixture.h"
#include "settings/profile_store.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>

namespace chronivo {
namespace {

// A dialog on a QSettingsStore in a temporary folder. The file store is made to fail by putting
// its folder below a regular file, which stops even a process that runs as root.
class FileStoreTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ASSERT_TRUE(m_root.isValid());
    }

    // The INI file for an XDG_CONFIG_HOME inside the temporary folder.
    QString IniPath(const QString& configHome) const {
        return QSettingsStore::IniPathFor(m_root.filePath(configHome), m_root.filePath("home"));
    }

    QTemporaryDir m_root;
};

TEST_F(FileStoreTest, StoresEverySettingInTheFile) {
    const QString path = IniPath(QStringLiteral("config"));
    QSettingsStore store(path);
    OpenOn(store);
    EnterFarTarget();
    Type("m_titleEdit", QStringLiteral("Comet, \"return\""));
    Click("use24Hour");
    Click("useWorldTime");
    ClickCity(QStringLiteral("Sydney"));
    ClickOk();
    EXPECT_TRUE(Accepted());
    EXPECT_TRUE(m_dialog->m_messages.isEmpty());

    // Another store on the same file, as the saver's process would open it.
    const QSettingsStore saver(path);
    EXPECT_EQ(ReadInt(saver, keys::Option, Reader::Saver), 4);
    EXPECT_EQ(ReadInt(saver, keys::Hour24, Reader::Saver), 1);
    EXPECT_EQ(ReadInt(saver, keys::WorldTime, Reader::Saver), 1);
    EXPECT_EQ(ReadInt(saver, keys::Speed, Reader::Saver), 1000);
    EXPECT_EQ(ReadInt(saver, keys::Year, Reader::Saver), 2150);
    EXPECT_EQ(ReadInt(saver, keys::Month, Reader::Saver), 2);
    EXPECT_EQ(ReadInt(saver, keys::Day, Reader::Saver), 29);
    EXPECT_EQ(ReadInt(saver, keys::Hour, Reader::Saver), 13);
    EXPECT_EQ(ReadInt(saver, keys::Minute, Reader::Saver), 5);
    EXPECT_EQ(ReadInt(saver, keys::Second, Reader::Saver), 0);
    EXPECT_EQ(ReadInt(saver, keys::WTcount, Reader::Saver), 1);
    EXPECT_EQ(ReadString(saver, keys::WTtext, WorldTextKey(0)), QStringLiteral("Sydney"));
    EXPECT_EQ(ReadInt(saver, keys::WTzone, WorldZoneKey(0), Reader::Saver), 72000);
    EXPECT_EQ(ReadString(saver, keys::Title), QStringLiteral("Comet, \"return\""));
}

TEST_F(FileStoreTest, ASettingsFileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
    // The settings folder would have to be made inside a regular file.
    QFile blocker(m_root.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettingsStore store(IniPath(QStringLiteral("blocker/config")));
    OpenOn(store);
    ChooseMode(1);
    Type("m_titleEdit", QStringLiteral("Lift-off"));
    ClickOk();

    // One message, naming what went wrong in the store's own words.
    ASSERT_EQ(m_dialog->m_messages.size(), 1);
    EXPECT_FALSE(store.LastError().isEmpty());
    EXPECT_EQ(m_dialog->m_messages.front(), store.LastError());
    EXPECT_TRUE(m_dialog->m_messages.front().contains(QStringLiteral("blocker")));
    // The dialog stays open with what the user entered.
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_NE(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Find<QLineEdit>("m_titleEdit")->text(), QStringLiteral("Lift-off"));
    EXPECT_EQ(Find<QComboBox>("m_modeCombo")->currentIndex(), 1);
    // Nothing was made in the way.
    EXPECT_TRUE(QFileInfo(blocker.fileName()).isFile());
    EXPECT_EQ(blocker.size(), 0);
}

TEST_F(FileStoreTest, MoreOptionsOnAReadOnlyFileChangeNothingInIt) {
    const QString path = IniPath(QStringLiteral("config"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    const QByteArray before = "[ScreenSaver]\nDark=1\nTitle=Launch\n";
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(before);
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner));
    QSettingsStore store(path);
    OpenOn(store);
    Click("moreOptionsButton");
    ASSERT_TRUE(QTest::qWaitForWindowActive(Find<QDialog>("moreOptionsDialog")));
    Click("allScreens");
    Click("outline");
    Press("moreOptionsDialog", QDialogButtonBox::Ok);
    // Reported in the store's words, and not one of the six keys reached the file.
    ASSERT_EQ(m_dialog->m_messages.size(), 1);
    EXPECT_FALSE(store.LastError().isEmpty());
    EXPECT_EQ(m_dialog->m_messages.front(), store.LastError());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    file.close();
    EXPECT_TRUE(Find<QDialog>("moreOptionsDialog")->isVisible());
}

struct OtherWriterCase {
    const char* dialog;  // nullptr: the main dialog; otherwise the one "More options..." opens
    const char* control; // what the user changes there, or nullptr for nothing
    const char* after;   // the file once OK is pressed
    const char* fact;
};

TEST_F(FileStoreTest, OkKeepsWhatAnotherProgramChangedWhileTheDialogWasOpen) {
    // The dialog opens on Title=Mine, Speed=600 and Dark=0; while it is open another program
    // stores Title=Theirs, Speed=100 and Dark=1. OK writes what the user changed, adds keys the
    // file lacks, and leaves every value the user did not touch as the file holds it.
    const OtherWriterCase cases[] = {
        {nullptr, nullptr,
         "[ScreenSaver]\nTitle=Theirs\nSpeed=100\nDark=1\nOption=0\n24Hour=0\nShowSec=0\n"
         "WorldTime=0\nRainbow=0\nStartAfter=0\n",
         "nothing changed: the other program's values stay"},
        {nullptr, "use24Hour",
         "[ScreenSaver]\nTitle=Theirs\nSpeed=100\nDark=1\nOption=0\n24Hour=1\nShowSec=0\n"
         "WorldTime=0\nRainbow=0\nStartAfter=0\n",
         "a box the user ticked is written; the rest stays theirs"},
        {"moreOptionsDialog", "outline",
         "[ScreenSaver]\nTitle=Theirs\nSpeed=100\nDark=1\nAllScreens=0\nDrift=0\n"
         "LocalNames=0\nFont=\nOutline=1\n",
         "More options: Outline written, Dark stays theirs"},
    };
    for (const OtherWriterCase& c : cases) {
        const QString path = IniPath(QStringLiteral("config"));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        const auto put = [&path](const QByteArray& bytes) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        };
        put("[ScreenSaver]\nTitle=Mine\nSpeed=600\nDark=0\n");
        QSettingsStore store(path);
        OpenOn(store);
        if (c.dialog != nullptr) {
            Click("moreOptionsButton");
            ASSERT_TRUE(QTest::qWaitForWindowActive(Find<QDialog>(c.dialog)));
        }
        if (c.control != nullptr)
            Click(c.control);
        put("[ScreenSaver]\nTitle=Theirs\nSpeed=100\nDark=1\n");
        if (c.dialog != nullptr)
            Press(c.dialog, QDialogButtonBox::Ok);
        else
            ClickOk();
        EXPECT_TRUE(m_dialog->m_messages.isEmpty()) << c.fact;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().toStdString(), c.after) << c.fact;
        m_dialog.reset();
    }
}

struct AutostartCase {
    bool blockSettings;  // the settings file cannot be written
    bool blockAutostart; // the autostart folder cannot be made
    bool entry;          // the entry is there afterwards
    bool stored;         // StartAfter was stored
    const char* message; // a text the one message shows (nullptr: no message)
    const char* fact;
};

TEST_F(FileStoreTest, OkWritesTheAutostartEntryOnlyAfterTheSettingsAreSaved) {
    const AutostartCase cases[] = {
        {false, false, true, true, nullptr, "saved: the entry is written"},
        {true, false, false, false, "blocker", "not saved: no entry either"},
        {false, true, false, true, "Your settings were saved all the same.",
         "an entry that cannot be written is reported; the settings stay saved"},
    };
    for (const AutostartCase& c : cases) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        QFile blocker(root.filePath(QStringLiteral("blocker")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString entry = AutostartEntryPathFor(
            root.filePath(c.blockAutostart ? "blocker/config" : "config"), QString());
        QSettingsStore store(QSettingsStore::IniPathFor(
            root.filePath(c.blockSettings ? "blocker/config" : "config"), QString()));
        OpenOn(store).SetStartAfterPlaces({entry, QString()});
        Click("startAfter");
        ClickOk();
        EXPECT_EQ(QFileInfo::exists(entry), c.entry) << c.fact;
        EXPECT_EQ(ReadInt(QSettingsStore(store.Location()), keys::StartAfter, Reader::Saver),
                  c.stored ? 10 : 0)
            << c.fact;
        EXPECT_EQ(Accepted(), c.stored) << c.fact;
        if (c.message == nullptr) {
            EXPECT_TRUE(m_dialog->m_messages.isEmpty()) << c.fact;
        } else {
            ASSERT_EQ(m_dialog->m_messages.size(), 1) << c.fact;
            EXPECT_TRUE(m_dialog->m_messages.front().contains(QString::fromLatin1(c.message)))
                << c.fact << ": " << m_dialog->m_messages.front().toStdString();
        }
        m_dialog.reset(); // before its store goes
    }
}

TEST_F(FileStoreTest, OkWithTheBoxOffRemovesTheAutostartEntry) {
    const QString entry = AutostartEntryPathFor(m_root.filePath(QStringLiteral("config")), {});
    ASSERT_EQ(ApplyStartAfter(10, {entry, QString()}), QStringList());
    ASSERT_TRUE(QFileInfo::exists(entry));
    QSettingsStore store(IniPath(QStringLiteral("config")));
    OpenOn(store).SetStartAfterPlaces({entry, QString()});
    ClickOk();
    EXPECT_TRUE(Accepted());
    EXPECT_FALSE(QFileInfo::exists(entry));
}

} // namespace
} // namespace chronivo

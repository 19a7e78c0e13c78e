#include "settings/profile_store.h"

#include "settings/ini_file.h"
#include "settings/settings_keys.h"
#include "settings_test_env.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <climits>
#include <sys/wait.h>
#include <unistd.h>

namespace chronivo {
namespace {

using test::Entries;
using test::FileBytes;
using test::PutFile;
// Every case runs in its own temporary XDG_CONFIG_HOME.
class ProfileStoreTest : public test::SettingsTest {};

const QString kSection = QStringLiteral("ScreenSaver");
constexpr int kDefault = -99;

struct IntCase {
    const char* stored; // the value's text in the file, or nullptr for a missing key
    int expected;
    const char* fact;
};

const IntCase kIntCases[] = {
    {"12", 12, "a plain whole number"},
    {"-7", -7, "a negative number"},
    {"+5", 5, "a number with a plus sign"},
    {"\" 42 \"", 42, "blanks around the number are allowed"},
    {"2147483647", INT_MAX, "the largest signed 32-bit value"},
    {"-2147483648", INT_MIN, "the smallest signed 32-bit value"},
    {"2147483648", kDefault, "one above the 32-bit range"},
    {"-2147483649", kDefault, "one below the 32-bit range"},
    {"4294967295", kDefault, "an unsigned 32-bit pattern is not reinterpreted as -1"},
    {"1.5", kDefault, "a fraction"},
    {"3.0", kDefault, "a decimal point even with a whole value"},
    {"1e3", kDefault, "an exponent"},
    {"0x10", kDefault, "hexadecimal"},
    {"12abc", kDefault, "a number followed by letters"},
    {"abc", kDefault, "letters"},
    {"true", kDefault, "a boolean word"},
    {"", kDefault, "an empty value"},
    {"1,2", kDefault, "a list"},
    {nullptr, kDefault, "a missing key"},
};

TEST_F(ProfileStoreTest, IntReadsWholeNumbersInRangeAndOtherwiseTheDefault) {
    // One file holds every case under its own key: QSettings caches files by size and time, so
    // rewriting one file per case could be read back stale.
    QByteArray file = "[ScreenSaver]\n";
    for (size_t i = 0; i < std::size(kIntCases); ++i)
        if (kIntCases[i].stored)
            file += "K" + QByteArray::number(qulonglong(i)) + "=" + kIntCases[i].stored + "\n";
    PutFile(IniPath(), file);
    for (size_t i = 0; i < std::size(kIntCases); ++i) {
        const QString key = QStringLiteral("K%1").arg(i);
        EXPECT_EQ(m_store->GetProfileInt(kSection, key, kDefault), kIntCases[i].expected)
            << kIntCases[i].fact;
    }
}

TEST_F(ProfileStoreTest, IntRoundTripsTheWholeRange) {
    // Every signed 32-bit value comes back as written, the extremes included.
    const int values[] = {0, 1, -1, 600, INT_MAX, INT_MIN};
    for (int value : values) {
        ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Year"), value));
        EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Year"), kDefault), value);
    }
}

TEST_F(ProfileStoreTest, IntsAreStoredAsIntegersNotBooleans) {
    // 1 and 0 are written as the numbers 1 and 0 (QSettings writes a bool as "true"/"false"),
    // and they are in the file as soon as the call returns.
    ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("24Hour"), 1));
    ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Rainbow"), 0));
    const QByteArray bytes = FileBytes(IniPath());
    EXPECT_TRUE(bytes.contains("\n24Hour=1\n")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("\nRainbow=0\n")) << bytes.constData();
    EXPECT_FALSE(bytes.contains("true")) << bytes.constData();
    EXPECT_FALSE(bytes.contains("false")) << bytes.constData();
}

// Texts with every character INI files treat specially come back exactly.
const char* const kTexts[] = {
    "",
    " leading blank",
    "trailing blank ",
    "  ",
    "a, b, c",
    "\"quoted\"",
    "say \"hi\"",
    "back\\slash\\",
    "\\x41",
    "key=value",
    "semi;colon",
    ";",
    "#hash",
    "[ScreenSaver]",
    "@at the start",
    "@@",
    "@Variant(int)",
    "true",
    "false",
    "Zürich, São Paulo, Ærøskøbing",
    "東京",
    "tab\there",
    "Happy New Year 2031!",
    "\xEF\xBB\xBF"
    "a byte-order mark first, which the reader's decoder would drop",
    "\n\xEF\xBB\xBF"
    "after an escape",
};

TEST_F(ProfileStoreTest, TextsRoundTripExactly) {
    for (const char* text : kTexts) {
        const QString value = QString::fromUtf8(text);
        ASSERT_TRUE(m_store->WriteProfileString(kSection, QStringLiteral("Title"), value)) << text;
        EXPECT_EQ(m_store->GetProfileString(kSection, QStringLiteral("Title"), QStringLiteral("x")),
                  value)
            << text;
    }
}

TEST_F(ProfileStoreTest, EmptyTextIsNotAMissingText) {
    // A stored empty title reads as empty; only a missing one gives the default.
    EXPECT_EQ(m_store->GetProfileString(kSection, QStringLiteral("Title"), QStringLiteral("dflt")),
              QStringLiteral("dflt"));
    ASSERT_TRUE(m_store->WriteProfileString(kSection, QStringLiteral("Title"), QString()));
    EXPECT_EQ(m_store->GetProfileString(kSection, QStringLiteral("Title"), QStringLiteral("dflt")),
              QString());
}

TEST_F(ProfileStoreTest, HandWrittenTextWithCommasReadsAsWritten) {
    // QSettings parses unquoted commas as a list; the title still reads as the text in the file.
    PutFile(IniPath(), "[ScreenSaver]\nTitle=Happy Birthday, Anna\n");
    EXPECT_EQ(m_store->GetProfileString(kSection, QStringLiteral("Title")),
              QStringLiteral("Happy Birthday, Anna"));
}

TEST_F(ProfileStoreTest, NextReaderSeesEachWrite) {
    // Writes of equal size in quick succession are each seen by the next read, through this
    // store and through a second one on the same file.
    auto other = std::make_unique<QSettingsStore>(QSettingsStore::DefaultIniPath());
    for (int value = 0; value < 10; ++value) {
        ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Option"), value));
        EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Option"), kDefault), value);
        EXPECT_EQ(other->GetProfileInt(kSection, QStringLiteral("Option"), kDefault), value);
    }
}

TEST_F(ProfileStoreTest, AnotherProcessSeesTheWriteAndViceVersa) {
    // The dialog and the saver are separate processes: a value one writes is read by the other,
    // even by a process that had read the file before.
    ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 1));
    ASSERT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Option"), kDefault), 1);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        auto store = std::make_unique<QSettingsStore>(QSettingsStore::DefaultIniPath());
        const bool ok = store->GetProfileInt(kSection, QStringLiteral("Option"), kDefault) == 1 &&
                        store->WriteProfileInt(kSection, QStringLiteral("Option"), 2);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Option"), kDefault), 2);
}

TEST_F(ProfileStoreTest, WriteKeepsEveryOtherKeyAndGroup) {
    // Keys outside the section, in other groups and in the section itself all survive a write,
    // with their values as QSettings reads them.
    PutFile(IniPath(), "TopLevel=kept\n"
                       "[Other]\nList=a, b\nQuoted=\" x \"\nNumber=17\n"
                       "[ScreenSaver]\nOption=3\nTitle=Old title\n"
                       "[Zeta]\nLast=1\n");
    QMap<QString, QVariant> before;
    {
        QSettings raw(IniPath(), QSettings::IniFormat);
        for (const QString& key : raw.allKeys())
            before.insert(key, raw.value(key));
    }
    ASSERT_EQ(before.size(), 7);
    ASSERT_TRUE(
        m_store->WriteProfileString(kSection, QStringLiteral("Title"), QStringLiteral("New")));
    ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Speed"), 600));
    QMap<QString, QVariant> after;
    {
        QSettings raw(IniPath(), QSettings::IniFormat);
        for (const QString& key : raw.allKeys())
            after.insert(key, raw.value(key));
    }
    before.insert(QStringLiteral("ScreenSaver/Title"), QStringLiteral("New"));
    before.insert(QStringLiteral("ScreenSaver/Speed"), QStringLiteral("600"));
    EXPECT_EQ(after, before);
}

struct StreamedCase {
    const char* line; // a line of [ScreenSaver], after which Option=3 follows
    const char* text; // what Title then reads as, or nullptr for no text
    const char* fact;
};

TEST_F(ProfileStoreTest, AStreamedQtObjectIsNeverDecoded) {
    // This process has no GUI application: decoding a bitmap would end it, and a list's length
    // can ask for gigabytes. Such a value reads as none, and every other key as it stands.
    const StreamedCase cases[] = {
        {"Title=@Variant(\\0\\0\\0I\\0)", nullptr, "a bitmap"},
        {"Title=  \"@Variant(\\0\\0\\0I\\0)\"", nullptr, "quoted, after blanks"},
        {"Title=a, @DateTime(\\0\\0\\0I\\0)", nullptr, "a part of a list"},
        {"Title=\\x40Variant(\\0\\0\\0\\x9\\xff\\xff\\xff\\xff)", nullptr,
         "spelt with escapes: a list asking for gigabytes"},
        {"Title=@Variant(no end", "@Variant(no end", "without its ')' it is a text"},
        {"Title=@@Variant(x)", "@Variant(x)", "an escaped '@'"},
    };
    for (const StreamedCase& c : cases) {
        PutFile(IniPath(), QByteArray("[ScreenSaver]\n") + c.line + "\nOption=3\n");
        EXPECT_EQ(m_store->GetProfileString(kSection, QStringLiteral("Title"), QStringLiteral("-")),
                  c.text ? QString::fromUtf8(c.text) : QStringLiteral("-"))
            << c.fact;
        EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Option"), kDefault), 3)
            << c.fact;
    }
}

struct KeptCase {
    const char* before;
    const char* after;
    const char* fact;
};

TEST_F(ProfileStoreTest, ASaveChangesOnlyTheLinesOfTheKeysItWrites) {
    // One save of Option=2 and Title=New: every byte the save does not own stays as it was.
    const KeptCase cases[] = {
        {"; mine\n[ScreenSaver]\n# a note\nOption=1\n\n[Other Section]\nKey=1\n",
         "; mine\n[ScreenSaver]\n# a note\nOption=2\nTitle=New\n\n[Other Section]\nKey=1\n",
         "comments, a blank line and a spaced section name"},
        {"\xEF\xBB\xBF[ScreenSaver]\r\nOption=1\r\nTitle=Old\r\n[Zeta]\r\n\xC3\x9Cnd=1\r\n",
         "\xEF\xBB\xBF[ScreenSaver]\r\nOption=2\r\nTitle=New\r\n[Zeta]\r\n\xC3\x9Cnd=1\r\n",
         "a byte-order mark, CR LF line ends and a non-ASCII key"},
        {"[ScreenSaver]\nOption=1\nwords without an equals sign\nCity=Z\xfcrich\n",
         "[ScreenSaver]\nOption=2\nwords without an equals sign\nCity=Z\xfcrich\nTitle=New\n",
         "a line that is no setting and Latin-1 text"},
        {"[Other]\nKey=1", "[Other]\nKey=1\n\n[ScreenSaver]\nOption=2\nTitle=New\n",
         "no section of ours and no line break at the end"},
        {"[ScreenSaver]\nTitle=a\\\nb\n[ScreenSaver]\nOption=1\n",
         "[ScreenSaver]\nTitle=New\n[ScreenSaver]\nOption=2\n",
         "a value carried over two lines, and the section twice"},
        {"[ScreenSaver]\nOption = +2\nTitle=New\n", "[ScreenSaver]\nOption = +2\nTitle=New\n",
         "values that already read back as written keep their spelling"},
    };
    const ProfileValue values[] = {{QStringLiteral("Option"), 2},
                                   {QStringLiteral("Title"), QStringLiteral("New")}};
    for (const KeptCase& c : cases) {
        PutFile(IniPath(), c.before);
        EXPECT_TRUE(WriteValues(*m_store, values)) << c.fact << m_store->LastError().toStdString();
        EXPECT_EQ(FileBytes(IniPath()), QByteArray(c.after)) << c.fact;
        EXPECT_EQ(m_store->GetProfileString(kSection, QStringLiteral("Title")),
                  QStringLiteral("New"))
            << c.fact;
    }
    // A title that reads as empty (it is no text) stays when the empty title is written back.
    PutFile(IniPath(), "[ScreenSaver]\nTitle=@ByteArray(hello)\n");
    EXPECT_TRUE(m_store->WriteProfileString(kSection, QStringLiteral("Title"), QString()));
    EXPECT_EQ(FileBytes(IniPath()), QByteArray("[ScreenSaver]\nTitle=@ByteArray(hello)\n"));
}

TEST_F(ProfileStoreTest, TextsAreWrittenAsQSettingsWritesThem) {
    // Every reader of the INI format reads our texts back: each comes out as QSettings' own line.
    const QStringList texts = {"",
                               "plain",
                               " lead",
                               "trail ",
                               "a,b",
                               "semi;colon",
                               "eq=ual",
                               "quote\"s",
                               "back\\slash",
                               "new\nline",
                               "\x01\x7f",
                               "@at",
                               "@ByteArray(x)",
                               "Z\u00fcrich",
                               "\U0001F600 x",
                               QString("x") + QChar(0) + "y"};
    for (const QString& text : texts) {
        const QString path = Root() + QStringLiteral("/qsettings.ini");
        QFile::remove(path);
        {
            QSettings qt(path, QSettings::IniFormat);
            qt.setValue(QStringLiteral("T"), text);
        }
        EXPECT_EQ(FileBytes(path), "[General]\nT=" + IniValueText(text) + "\n")
            << text.toStdString();
    }
}

TEST_F(ProfileStoreTest, LinkedSettingsFileStaysALink) {
    // A settings file that is a link to a file elsewhere (kept with other dotfiles) is still that
    // link after a write, and the file it points to holds the new value.
    const QString real = Root() + QStringLiteral("/dotfiles/Chronivo.conf");
    PutFile(real, "[ScreenSaver]\nOption=1\n");
    ASSERT_TRUE(QDir().mkpath(IniDir()));
    ASSERT_TRUE(QFile::link(real, IniPath()));
    ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 2));
    EXPECT_TRUE(QFileInfo(IniPath()).isSymLink());
    EXPECT_EQ(FileBytes(real), QByteArray("[ScreenSaver]\nOption=2\n"));
    EXPECT_EQ(Entries(Root() + QStringLiteral("/dotfiles")),
              QStringList{QStringLiteral("Chronivo.conf")});
}

TEST_F(ProfileStoreTest, FirstWriteCreatesTheFolderAndFile) {
    // On a fresh account the first write makes Velstrand/Utilities under XDG_CONFIG_HOME and
    // a file holding just the section with that one value; no lock or scratch file is left.
    ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 4));
    EXPECT_TRUE(m_store->LastError().isEmpty());
    EXPECT_EQ(FileBytes(IniPath()), QByteArray("[ScreenSaver]\nOption=4\n"));
    EXPECT_EQ(Entries(IniDir()), QStringList{QStringLiteral("Chronivo.conf")});
}

TEST_F(ProfileStoreTest, ReadingAFreshProfileCreatesNothing) {
    // The saver's and the dialog's first reads leave the account as it was: no folder, no file.
    for (int i = 0; i < 10; ++i) {
        m_store->GetProfileInt(kSection, WorldZoneKey(i), 0);
        m_store->GetProfileString(kSection, WorldTextKey(i));
    }
    ReadInt(*m_store, keys::Speed, Reader::Saver);
    ReadString(*m_store, keys::Title);
    EXPECT_TRUE(Entries(Root()).isEmpty()) << Entries(Root()).join(u' ').toStdString();
}

TEST_F(ProfileStoreTest, NothingLandsInTheWorkingDirectory) {
    // Neither reads nor writes create anything in the working directory (the registry-path form
    // of QSettings would make a file named after the key there).
    const QString work = Root() + QStringLiteral("/work");
    ASSERT_TRUE(QDir().mkpath(work));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work));
    m_store->GetProfileInt(kSection, QStringLiteral("Option"), 0);
    const bool written = m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 1);
    auto fresh = std::make_unique<QSettingsStore>(QSettingsStore::DefaultIniPath());
    const int read = fresh->GetProfileInt(kSection, QStringLiteral("Option"), 0);
    ASSERT_TRUE(QDir::setCurrent(previous));
    EXPECT_TRUE(written);
    EXPECT_EQ(read, 1);
    EXPECT_TRUE(Entries(work).isEmpty()) << Entries(work).join(u' ').toStdString();
}

} // namespace
} // namespace chronivo

#include "settings/ini_editor.h"

#include "support/ini_oracle.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace chronivo {
namespace {

struct EditCase {
    const char* fact;
    QByteArray before;
    QByteArray after;
};

TEST(IniEditorTest, ForeignLinesNeverHideTheKeysWritten) {
    // One save of Option=2 and StartAfter=7, and of Title as the user left it (kept when stored).
    // Each foreign line keeps its bytes; QSettings reads every key written as written and every
    // other key as before.
    const EditCase cases[] = {
        {"an unbalanced quote carries its line to the end of the file: closed there",
         "[ScreenSaver]\nMonitor=27\" wide\nStartAfter=3\n",
         "[ScreenSaver]\nMonitor=27\" wide\nStartAfter=3\n\"\nOption=2\nStartAfter=7\n"},
        {"a '#' is no comment to QSettings: its quote swallows the next line",
         "[ScreenSaver]\n# the \"old value\nStartAfter=3\n",
         "[ScreenSaver]\n# the \"old value\nStartAfter=3\n\"\nOption=2\nStartAfter=7\n"},
        {"a backslash ending the file escapes the line break added after it",
         "[ScreenSaver]\nNote=path C:\\",
         "[ScreenSaver]\nNote=path C:\\\n\nOption=2\nStartAfter=7\n"},
        {"a backslash and CR ending the file would take an LF with them",
         "[ScreenSaver]\nNote=path C:\\\r",
         "[ScreenSaver]\nNote=path C:\\\r\n\nOption=2\nStartAfter=7\n"},
        {"a backslash before an LF CR line end at the end of the file",
         "[ScreenSaver]\nNote=path C:\\\n\r",
         "[ScreenSaver]\nNote=path C:\\\n\r\nOption=2\nStartAfter=7\n"},
        {"a quote and a backslash both open at the end", "[ScreenSaver]\nNote=\"C:\\",
         "[ScreenSaver]\nNote=\"C:\\\n\"\nOption=2\nStartAfter=7\n"},
        {"a vertical tab before '[' makes no section", "\v[ScreenSaver]\nStartAfter=3\n",
         "\v[ScreenSaver]\nStartAfter=3\n\n[ScreenSaver]\nOption=2\nStartAfter=7\n"},
        {"nor does a form feed", "\f[ScreenSaver]\r\nOption=1\r\n",
         "\f[ScreenSaver]\r\nOption=1\r\n\r\n[ScreenSaver]\r\nOption=2\r\nStartAfter=7\r\n"},
        {"a byte-order mark in mid-file belongs to the key after it",
         "[ScreenSaver]\n\xEF\xBB\xBFStartAfter=3\nOption=1\n",
         "[ScreenSaver]\n\xEF\xBB\xBFStartAfter=7\nOption=2\n"},
        {"a top-level ScreenSaver\\Option is the group's Option once every section is read",
         "ScreenSaver\\Option=5\n[ScreenSaver]\nTitle=x\n",
         "ScreenSaver\\Option=2\n[ScreenSaver]\nTitle=x\nOption=2\nStartAfter=7\n"},
        {"a title left as shown stays where only the top level holds it",
         "ScreenSaver\\Title=Theirs\n",
         "ScreenSaver\\Title=Theirs\n\n[ScreenSaver]\nOption=2\nStartAfter=7\n"},
        {"a key spelt with escapes keeps its spelling, and a comment after the value stays",
         "[Screen%53aver]\nStart%41fter=3 ; minutes\nTitle=Theirs\n",
         "[Screen%53aver]\nStart%41fter=7; minutes\nTitle=Theirs\nOption=2\n"},
    };
    const ProfileValue values[] = {{QStringLiteral("Option"), 2},
                                   {QStringLiteral("StartAfter"), 7},
                                   {QStringLiteral("Title"), QStringLiteral("Mine"), true}};
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const EditCase& c : cases) {
        // Written with the title unchanged here, so "Mine" goes only where no title is stored.
        QByteArray expected = c.after;
        if (!c.before.contains("Title="))
            expected += c.before.contains("\r\n") ? "Title=Mine\r\n" : "Title=Mine\n";
        EXPECT_EQ(EditIniGroup(c.before, QStringLiteral("ScreenSaver"), values), expected)
            << c.fact;
        EXPECT_EQ(EditBreaks(c.before, QStringLiteral("ScreenSaver"), values, dir.filePath("r")),
                  "")
            << c.fact;
    }
}

} // namespace
} // namespace chronivo

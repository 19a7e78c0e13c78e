// The desktop entries, the XScreenSaver description, the manual pages and the icon, each read
// as the program that consumes it reads it.
#include "res/tool_run.h"

#include <QFile>
#include <QMap>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace chronivo {
namespace {

const QString kResDir = QStringLiteral(CHRONIVO_RES_DIR);
const QString kResBinaryDir = QStringLiteral(CHRONIVO_RES_BINARY_DIR);

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

// A desktop entry as "group/key" -> value; comments and blank lines skipped. Enough for the
// plain files we write (no localised keys, no escapes).
QMap<QString, QString> ReadDesktopEntry(const QString& path) {
    QMap<QString, QString> values;
    QString group;
    for (const QString& line : ReadText(path).split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0) {
            values.insert(group + QLatin1Char('/') + line.left(eq), line.mid(eq + 1));
        }
    }
    return values;
}

struct DesktopValue {
    const char* file;  // under src/res
    const char* key;   // "group/key"
    const char* value; // exact value
    const char* fact;
};

// Case names for ctest: letters, digits, '.', '-' and '/' kept, anything else made '_'.
std::string CaseName(const std::string& text) {
    std::string name;
    for (const char c : text) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '/';
        name += keep ? c : '_';
    }
    return name;
}

void PrintTo(const DesktopValue& c, std::ostream* os) {
    *os << CaseName(std::string(c.file) + ":" + c.key);
}

const DesktopValue kDesktopValues[] = {
    {"chronivo-saver.desktop", "Desktop Entry/Exec", "chronivo --root",
     "MATE's saver list starts the hack form, which draws into the window it is given"},
    {"chronivo-saver.desktop", "Desktop Entry/Categories", "Screensaver;Science;",
     "the saver list collects entries by Screensaver; Science keeps it out of MATE's menus"},
    {"chronivo-saver.desktop", "Desktop Entry/TryExec", "chronivo",
     "the entry hides itself when the program is not installed"},
    {"chronivo-saver.desktop", "Desktop Entry/Type", "Application", "an entry that runs a program"},
    {"chronivo-saver.desktop", "Desktop Entry/Name", "Chronivo", "the name in the saver list"},
    {"chronivo.desktop", "Desktop Entry/Exec", "chronivo /c",
     "the menu entry opens the settings dialog"},
    {"chronivo.desktop", "Desktop Entry/Name", "Chronivo", "the menu shows it as Chronivo"},
    {"chronivo.desktop", "Desktop Entry/Icon", "chronivo", "the icon installed in hicolor"},
    {"chronivo.desktop", "Desktop Entry/Categories", "Qt;Settings;DesktopSettings;",
     "it is listed among the settings"},
    {"chronivo.desktop", "Desktop Action start-saver/Exec", "chronivo /s",
     "its second action starts the saver at once, for desktops without a saver hook"},
};

class DesktopValueTest : public ::testing::TestWithParam<DesktopValue> {};

// Each key holds exactly the value the consumer of the entry acts on.
TEST_P(DesktopValueTest, HoldsValue) {
    const DesktopValue& c = GetParam();
    const auto values = ReadDesktopEntry(kResDir + QLatin1Char('/') + QLatin1String(c.file));
    ASSERT_TRUE(values.contains(QLatin1String(c.key))) << c.key << " missing: " << c.fact;
    EXPECT_EQ(values.value(QLatin1String(c.key)).toStdString(), c.value) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(Entries, DesktopValueTest, ::testing::ValuesIn(kDesktopValues));

class DesktopValidateTest : public ::testing::TestWithParam<const char*> {};

// desktop-file-validate has nothing to say: no error, no warning, not even a hint.
TEST_P(DesktopValidateTest, PassesValidator) {
    const QString validator = QStringLiteral(CHRONIVO_DESKTOP_FILE_VALIDATE);
    if (!ToolExists(validator)) {
        GTEST_SKIP() << "desktop-file-validate not installed (package desktop-file-utils)";
    }
    const ToolResult r =
        RunTool(validator, {kResDir + QLatin1Char('/') + QLatin1String(GetParam())});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ((r.out + r.err).toStdString(), "");
}

INSTANTIATE_TEST_SUITE_P(Files, DesktopValidateTest,
                         ::testing::Values("chronivo.desktop", "chronivo-saver.desktop"));

// XScreenSaver's settings window finds the description by the hack's program name, puts the
// command argument after it, and shows a description; the file must be well-formed XML.
TEST(XScreenSaverConfig, NamesHackCommandAndDescription) {
    QXmlStreamReader xml(ReadText(kResDir + QStringLiteral("/chronivo.xml")));
    QString rootName, rootLabel, commandArg, description;
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (depth == 1) {
                EXPECT_EQ(xml.name().toString().toStdString(), "screensaver");
                rootName = xml.attributes().value(QLatin1String("name")).toString();
                rootLabel = xml.attributes().value(QLatin1String("_label")).toString();
            } else if (xml.name() == QLatin1String("command")) {
                commandArg = xml.attributes().value(QLatin1String("arg")).toString();
            } else if (xml.name() == QLatin1String("_description")) {
                description = xml.readElementText().trimmed();
                --depth;
            }
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(rootName.toStdString(), "chronivo");
    EXPECT_EQ(rootLabel.toStdString(), "Chronivo");
    EXPECT_EQ(commandArg.toStdString(), "--root");
    EXPECT_GT(description.size(), 100) << "the settings window shows it as the hack's text";
}

// The icon is well-formed SVG with a square view box, as a scalable hicolor icon must be.
TEST(Icon, IsSquareSvg) {
    QXmlStreamReader xml(ReadText(kResDir + QStringLiteral("/chronivo.svg")));
    ASSERT_TRUE(xml.readNextStartElement()) << xml.errorString().toStdString();
    EXPECT_EQ(xml.name().toString().toStdString(), "svg");
    const QStringList box = xml.attributes()
                                .value(QLatin1String("viewBox"))
                                .toString()
                                .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    ASSERT_EQ(box.size(), 4);
    EXPECT_EQ(box[2], box[3]);
    while (!xml.atEnd()) {
        xml.readNext();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
}

// The manual pages as configured into the build tree (version filled in); chronivo-render's
// page is checked even while its program is not built.
std::vector<QString> ManPages() {
    return {QStringLiteral("chronivo"), QStringLiteral("chronivo-render")};
}

QString RenderManPage(const QString& page, QString* warnings) {
    // ASCII output, no hyphenation and one long line per paragraph, so words can be found.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    const ToolResult r =
        RunTool(QStringLiteral(CHRONIVO_GROFF),
                {QStringLiteral("-man"), QStringLiteral("-Tascii"), QStringLiteral("-ww"),
                 QStringLiteral("-rHY=0"), QStringLiteral("-rLL=400n"), QStringLiteral("-P-cbou"),
                 kResBinaryDir + QLatin1Char('/') + page + QStringLiteral(".1")},
                env);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    *warnings = r.err;
    return r.out;
}

// Every page formats without a single groff warning and has the usual sections.
TEST(ManPages, FormatWithoutWarnings) {
    if (!ToolExists(QStringLiteral(CHRONIVO_GROFF))) {
        GTEST_SKIP() << "groff not installed (package groff-base)";
    }
    for (const QString& page : ManPages()) {
        QString warnings;
        const QString text = RenderManPage(page, &warnings);
        EXPECT_TRUE(warnings.isEmpty()) << page.toStdString() << ": " << warnings.toStdString();
        for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "SEE ALSO"}) {
            EXPECT_TRUE(text.contains(QRegularExpression(
                QStringLiteral("^") + QLatin1String(section) + QStringLiteral("$"),
                QRegularExpression::MultilineOption)))
                << page.toStdString() << " lacks " << section;
        }
        EXPECT_FALSE(text.contains(QLatin1Char('@'))) << "version left unfilled";
    }
}

struct ManMention {
    const char* text;
    const char* fact;
    const char* page = "chronivo";
};

void PrintTo(const ManMention& c, std::ostream* os) {
    *os << CaseName(c.text);
}

const ManMention kChronivoMentions[] = {
    {"/s, -s, s", "the saver switches"},
    {"Target Date (Near)", "the countdown modes, each with its target"},
    {"Target Date (Far)", "the countdown mode with a year of its own"},
    {"World time (WorldTime)", "world time and its key"},
    {"Color change (Speed)", "the colour speed and its key"},
    {"Rainbow color (Rainbow)", "the stripes and their key"},
    {"WTzone0 .. WTzone9", "the settings file's keys"},
    {"StartAfter", "the idle watcher's key"},
    {"/c, -c, c", "the dialog switches"},
    {"anything else, or nothing", "every other command line opens the dialog"},
    {"--root, -root", "the hack form for XScreenSaver"},
    {"--window-id, -window-id ID", "the hack form with a window id"},
    {"--help", "the usage text"},
    {"--version", "the version"},
    {"XSCREENSAVER_WINDOW", "where --root finds its window"},
    {"$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf", "the settings file"},
    {"chronivo-render(1)", "the companion page"},
    {"there is no display to draw on", "exit code 1 without a display"},
};

const ManMention kRenderMentions[] = {
    {"--help", "the usage text", "chronivo-render"},
    {"--version", "the version", "chronivo-render"},
    {"cannot reach its display", "exit code 1 for a platform without its display",
     "chronivo-render"},
};

class ChronivoManTest : public ::testing::TestWithParam<ManMention> {};

// chronivo(1) documents each way of starting the program and the file it keeps its settings in;
// chronivo-render(1) its own options and exit codes.
TEST_P(ChronivoManTest, Mentions) {
    if (!ToolExists(QStringLiteral(CHRONIVO_GROFF))) {
        GTEST_SKIP() << "groff not installed (package groff-base)";
    }
    QString warnings;
    const QString text = RenderManPage(QString::fromLatin1(GetParam().page), &warnings);
    EXPECT_TRUE(text.contains(QLatin1String(GetParam().text)))
        << GetParam().page << ": " << GetParam().text << ": " << GetParam().fact;
}

INSTANTIATE_TEST_SUITE_P(Page, ChronivoManTest, ::testing::ValuesIn(kChronivoMentions));
INSTANTIATE_TEST_SUITE_P(RenderPage, ChronivoManTest, ::testing::ValuesIn(kRenderMentions));

// Each page's EXIT STATUS lists, as its own paragraph, every code the program exits with: 0, 1
// for a run that fails (no display, a file that cannot be written) and 2 for a bad command line.
TEST(ManPages, ListEveryExitCode) {
    if (!ToolExists(QStringLiteral(CHRONIVO_GROFF))) {
        GTEST_SKIP() << "groff not installed (package groff-base)";
    }
    for (const QString& page : ManPages()) {
        QString warnings;
        const QString text = RenderManPage(page, &warnings);
        const qsizetype start = text.indexOf(QStringLiteral("\nEXIT STATUS\n"));
        ASSERT_GE(start, 0) << page.toStdString();
        const qsizetype end =
            text.indexOf(QRegularExpression(QStringLiteral("\n[A-Z]")), start + 1);
        const QString section = text.mid(start, end - start);
        for (const char* code : {"0", "1", "2"}) {
            EXPECT_TRUE(section.contains(QRegularExpression(
                QStringLiteral("\n +") + QLatin1String(code) + QStringLiteral(" +\\S"))))
                << page.toStdString() << " lacks exit code " << code;
        }
    }
}

} // namespace
} // namespace chronivo

// The desktop's own blank: what the desktops and the X server write, which of their times
// darken the screen, and what the program says about them.
#include "watcher/desktop_blank.h"

#include <gtest/gtest.h>

namespace chronivo {
namespace {

TEST(DesktopBlank, ParsesWhatTheDesktopsWrite) {
    const std::pair<const char*, DesktopKind> desktops[] = {
        {"ubuntu:GNOME", DesktopKind::Gnome},  // a distribution's name before the desktop's
        {"X-Cinnamon", DesktopKind::Cinnamon}, // Cinnamon's own spelling
        {"mate", DesktopKind::Mate},           // any case
        {"sway:KDE", DesktopKind::Kde},        // the first desktop we know
        {"", DesktopKind::Other}};
    for (const auto& [text, kind] : desktops) {
        EXPECT_EQ(DesktopKindOf(QString::fromLatin1(text)), kind) << text;
    }
    const std::pair<const char*, std::optional<qint64>> numbers[] = {
        {"uint32 300", 300}, // GNOME's idle-delay: the type word comes first
        {"5\n", 5},          // MATE's, an int: the value alone, with the line's end
        {"uint32", {}},      // a type word alone
        {"'300'", {}},       // a string is no number
        {"true", {}}};
    for (const auto& [text, value] : numbers) {
        EXPECT_EQ(ParseGsettingsNumber(QString::fromLatin1(text)), value) << text;
    }
    EXPECT_EQ(ParseGsettingsBool(QStringLiteral("true\n")), true);
    EXPECT_EQ(ParseGsettingsBool(QStringLiteral("1")), std::nullopt); // gsettings prints words
    // KDE's files: nested groups, keys marked fixed, comments.
    const QString ini = QStringLiteral("[Daemon]\n# Timeout=1\nTimeout[$i]=7\n[AC]\nidleTime=5\n"
                                       "[AC][DPMSControl]\nidleTime = 600\n");
    EXPECT_EQ(IniValue(ini, QStringLiteral("Daemon"), QStringLiteral("Timeout")), "7");
    EXPECT_EQ(IniValue(ini, QStringLiteral("AC][DPMSControl"), QStringLiteral("idleTime")), "600");
    EXPECT_EQ(IniValue(ini, QStringLiteral("Daemon"), QStringLiteral("Autolock")), std::nullopt);
}

TEST(DesktopBlank, TakesTheXServersTimesThatDarkenTheScreen) {
    const std::tuple<X11BlankTimes, std::optional<int>, const char*> cases[] = {
        {{600, false, 0, 0, 0}, 600, "an X server's default: the screen saver after 10 minutes"},
        {{0, false, 120, 120, 120}, std::nullopt, "DPMS switched off: its times do not count"},
        {{600, true, 0, 0, 300}, 300, "DPMS on: its off time comes before the saver's"},
        {{0, true, 0, 900, 1200}, 900, "standby disabled (0): suspend is the soonest"}};
    for (const auto& [times, seconds, fact] : cases) {
        const auto soonest = SoonestBlank(X11Blanks(times));
        EXPECT_EQ(soonest ? std::optional<int>(soonest->seconds) : std::nullopt, seconds) << fact;
    }
}

TEST(DesktopBlank, SaysWhenTheBlankComesFirst) {
    const std::pair<int, const char*> durations[] = {{60, "1 minute"},
                                                     {330, "330 seconds"},
                                                     {1, "1 second"},
                                                     {7200, "2 hours"},
                                                     {5400, "90 minutes"}};
    for (const auto& [seconds, text] : durations) {
        EXPECT_EQ(DurationText(seconds), QString::fromLatin1(text)) << seconds;
    }
    const DesktopBlank gnome{300, QStringLiteral("GNOME")};
    const QString sentence = QStringLiteral("This desktop blanks the screen after 5 minutes: the "
                                            "saver starts only if that comes first.");
    EXPECT_EQ(BlankComesFirstNotice(600, gnome), sentence);         // the saver's 10 minutes
    EXPECT_EQ(BlankComesFirstNotice(300, gnome), sentence);         // at the same moment
    EXPECT_EQ(BlankComesFirstNotice(299, gnome), QString());        // the saver comes first
    EXPECT_EQ(BlankComesFirstNotice(600, std::nullopt), QString()); // the desktop never blanks
}

} // namespace
} // namespace chronivo

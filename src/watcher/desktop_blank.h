#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

namespace chronivo {

// A time without input after which the desktop darkens or locks the screen by itself. The saver
// started by our watcher shows only if it starts before that.
struct DesktopBlank {
    int seconds = 0; // 1 and up
    // Where the time was read, for people: "GNOME's setting org.gnome.desktop.session idle-delay".
    QString what;
};

// The desktops whose own blank and lock settings we know where to find.
enum class DesktopKind { Other, Gnome, Cinnamon, Mate, Kde };

// The first desktop of XDG_CURRENT_DESKTOP's colon-separated list that we know ("ubuntu:GNOME"
// is GNOME, "X-Cinnamon" Cinnamon), compared without regard to case.
DesktopKind DesktopKindOf(const QString& xdgCurrentDesktop);

// What `gsettings get` prints for a number: "uint32 300", "300", "int32 -1" (a type word before
// the value when the value alone would read as another type). Nothing for anything else.
std::optional<qint64> ParseGsettingsNumber(const QString& output);
// What `gsettings get` prints for a boolean: "true" or "false".
std::optional<bool> ParseGsettingsBool(const QString& output);

// The value of `key` in the group whose header is `[group]` of an INI text as KDE writes it
// (nested groups as "[AC][DPMSControl]", so `group` is "AC][DPMSControl"). A key marked
// "Key[$i]" counts as "Key"; the last one wins. Nothing when the group or key is not there.
std::optional<QString> IniValue(const QString& text, const QString& group, const QString& key);
// A KDE configuration boolean: true/false, on/off, yes/no, 1/0, any case.
std::optional<bool> ParseKdeBool(const QString& value);

// The X server's own blank, as the core protocol and the DPMS extension report it, seconds;
// 0 stands for off.
struct X11BlankTimes {
    int screenSaverTimeout = 0;
    bool dpmsEnabled = false; // the extension is there and switched on
    int standby = 0;
    int suspend = 0;
    int off = 0;
};
// The times of `times` that darken the screen, each with its name.
std::vector<DesktopBlank> X11Blanks(const X11BlankTimes& times);

// The first of the soonest times: ties go to the one listed first.
std::optional<DesktopBlank> SoonestBlank(const std::vector<DesktopBlank>& blanks);

// Reads one setting as `gsettings get SCHEMA KEY` prints it (without the line's end); nothing when
// the command, the schema or the key is missing.
using GsettingsGet =
    std::function<std::optional<QString>(const QString& schema, const QString& key)>;
std::optional<QString> RunGsettingsGet(const QString& schema, const QString& key);

// The blank and lock times a desktop of `kind` keeps in its settings: gsettings for GNOME,
// Cinnamon and MATE; KDE's screen locker and power management files under `configHome`.
std::vector<DesktopBlank> DesktopSettingsBlanks(DesktopKind kind, const QString& configHome,
                                                const GsettingsGet& get);

// Where to look: XDG_CURRENT_DESKTOP, the configuration folder ($XDG_CONFIG_HOME, else
// ~/.config) and the X display whose screen the session shows (empty in a Wayland session,
// where an X server's saver darkens nothing one sees).
struct DesktopSession {
    QString currentDesktop;
    QString configHome;
    QString x11Display;
};
// This process's session, from its environment.
DesktopSession ThisDesktopSession();

// A time for people: whole hours as hours, whole minutes as minutes, else seconds ("1 hour",
// "5 minutes", "45 seconds").
QString DurationText(int seconds);

// "This desktop blanks the screen after 5 minutes: the saver starts only if that comes first."
QString BlankComesFirstText(const DesktopBlank& blank);

// That sentence when the desktop blanks no later than a saver that starts after `saverSeconds`;
// empty when the saver comes first or the desktop never blanks.
QString BlankComesFirstNotice(int saverSeconds, const std::optional<DesktopBlank>& blank);

} // namespace chronivo

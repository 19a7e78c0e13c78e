#include "config/start_after.h"

#include <algorithm>

namespace chronivo {

std::optional<int> SoonerStartAfterMinutes(int blankSeconds) {
    const int minutes = std::min((blankSeconds - 1) / 60, kStartAfterMaxMinutes);
    return minutes >= kStartAfterMinMinutes ? std::optional<int>(minutes) : std::nullopt;
}

int FirstStartAfterMinutes(const std::optional<DesktopBlank>& blank) {
    if (!blank || blank->seconds > kStartAfterDefaultMinutes * 60) {
        return kStartAfterDefaultMinutes;
    }
    return SoonerStartAfterMinutes(blank->seconds).value_or(kStartAfterDefaultMinutes);
}

QString StartAfterNote(int minutes, const std::optional<DesktopBlank>& blank) {
    const QString note = BlankComesFirstNotice(minutes * 60, blank);
    if (note.isEmpty() || SoonerStartAfterMinutes(blank->seconds)) {
        return note;
    }
    return QStringLiteral("This desktop blanks the screen after %1, sooner than the saver can "
                          "start: to see the saver, make that time longer in the desktop's "
                          "settings.")
        .arg(DurationText(blank->seconds));
}

QString SoonerStartAfterText(int minutes) {
    return minutes == 1 ? QStringLiteral("Use 1 minute")
                        : QStringLiteral("Use %1 minutes").arg(minutes);
}

} // namespace chronivo

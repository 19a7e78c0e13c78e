#include "config/start_after.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <string>

#include <windows.h>

namespace chronivo {

namespace {

// Where the user's choice of screen saver is kept, as the system's own settings do.
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kSaverValue[] = L"SCRNSAVE.EXE";

// The screen saver the installer puts where Screen Saver Settings lists it; empty when the
// system folder cannot be named.
QString SystemFolderSaver() {
    wchar_t dir[MAX_PATH];
    const UINT size = GetSystemDirectoryW(dir, MAX_PATH);
    if (size == 0 || size >= MAX_PATH) {
        return {};
    }
    return QString::fromWCharArray(dir, static_cast<qsizetype>(size)) +
           QStringLiteral("\\Chronivo.scr");
}

// The user's screen saver as the system has it; empty when none is chosen.
QString ChosenSaver() {
    wchar_t value[4 * MAX_PATH];
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kSaverValue, RRF_RT_REG_SZ, nullptr, value,
                     &bytes) != ERROR_SUCCESS) {
        return {};
    }
    return QString::fromWCharArray(value);
}

// A path with its short (8.3) parts written out, which the system's own settings often hold.
QString LongPath(const QString& path) {
    const std::wstring shortPath = path.toStdWString();
    wchar_t full[4 * MAX_PATH];
    const DWORD size = GetLongPathNameW(shortPath.c_str(), full, 4 * MAX_PATH);
    if (size == 0 || size >= 4 * MAX_PATH) {
        return path;
    }
    return QString::fromWCharArray(full, static_cast<qsizetype>(size));
}

bool SameFile(const QString& a, const QString& b) {
    return !a.isEmpty() && !b.isEmpty() &&
           QDir::cleanPath(LongPath(a))
                   .compare(QDir::cleanPath(LongPath(b)), Qt::CaseInsensitive) == 0;
}

QString LastError() {
    return qt_error_string(static_cast<int>(GetLastError()));
}

// Sets one of the system's screen-saver parameters for good and tells the running programs.
bool SetSaverParameter(UINT action, UINT value) {
    return SystemParametersInfoW(action, value, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) !=
           FALSE;
}

} // namespace

StartAfterPlaces SessionStartAfterPlaces() {
    const QString installed = SystemFolderSaver();
    const QString saver = !installed.isEmpty() && QFileInfo::exists(installed)
                              ? installed
                              : QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    return {QString(), QString(), saver};
}

std::optional<int> SystemStartAfter(const StartAfterPlaces& places) {
    if (places.systemSaver.isEmpty()) {
        return std::nullopt;
    }
    BOOL active = FALSE;
    UINT seconds = 0;
    if (!SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0) ||
        !SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0)) {
        return std::nullopt;
    }
    if (!active || seconds == 0 || !SameFile(ChosenSaver(), places.systemSaver)) {
        return 0;
    }
    // A time of the system's own that is no whole minute shows as the next minute.
    const UINT minutes = (seconds + 59) / 60;
    return static_cast<int>(std::min<UINT>(minutes, kStartAfterMaxMinutes));
}

QStringList ApplyStartAfter(int minutes, const StartAfterPlaces& places) {
    QStringList problems;
    const QString& saver = places.systemSaver;
    if (saver.isEmpty()) {
        return problems;
    }
    if (minutes <= 0) {
        // Another program's saver keeps its timer: only ours is switched off.
        if (SameFile(ChosenSaver(), saver) && !SetSaverParameter(SPI_SETSCREENSAVEACTIVE, FALSE)) {
            problems << QStringLiteral("Windows' screen saver could not be turned off (%1).")
                            .arg(LastError());
        }
        return problems;
    }
    const std::wstring path = saver.toStdWString();
    const LSTATUS written =
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kSaverValue, REG_SZ, path.c_str(),
                        static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    if (written != ERROR_SUCCESS) {
        problems << QStringLiteral("Chronivo could not be made Windows' screen saver (%1).")
                        .arg(qt_error_string(static_cast<int>(written)));
        return problems;
    }
    if (!SetSaverParameter(SPI_SETSCREENSAVETIMEOUT, static_cast<UINT>(minutes) * 60) ||
        !SetSaverParameter(SPI_SETSCREENSAVEACTIVE, TRUE)) {
        problems
            << QStringLiteral("Windows' screen-saver time could not be set (%1).").arg(LastError());
    }
    return problems;
}

} // namespace chronivo

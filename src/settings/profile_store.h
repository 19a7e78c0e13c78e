#pragma once

#include "settings/ini_file.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <span>

namespace chronivo {

// The user's per-program profile: named integers and texts grouped in sections. Reads never
// fail: a missing or unreadable value gives the caller's default (for an int also a value that is
// not a whole number or lies outside the signed 32-bit range). Each write stores one value at
// once, so the next reader, in this process or another, sees it, and reports whether it did.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    virtual int GetProfileInt(const QString& section, const QString& key,
                              int defaultValue) const = 0;
    virtual QString GetProfileString(const QString& section, const QString& key,
                                     const QString& defaultValue = QString()) const = 0;
    virtual bool WriteProfileInt(const QString& section, const QString& key, int value) = 0;
    virtual bool WriteProfileString(const QString& section, const QString& key,
                                    const QString& value) = 0;

    // Stores several values (ints and QStrings) under `section`, in the order given, as one
    // change: a store that can replace its contents in one step stores all of them or none, and
    // keeps what it holds for a value marked keepStored. This one writes them one by one, each
    // of them, and stops at the first that fails.
    virtual bool WriteProfileValues(const QString& section, std::span<const ProfileValue> values);

    // Why the last write failed, in words for the user; empty after a write that succeeded.
    virtual QString LastError() const = 0;

    // Why the values could not be read at all (one sentence naming the place, saying that the
    // defaults are used); empty when they could, or were simply not there.
    virtual QString ReadProblem() const { return QString(); }
};

// The current user's profile, where this platform keeps it: on Windows the registry key
// HKEY_CURRENT_USER\Software\Velstrand\Utilities\Chronivo, elsewhere the INI file
// QSettingsStore::DefaultIniPath(). One implementation per platform, chosen by the build.
std::unique_ptr<ProfileStore> CurrentUserStore();

// The profile kept in an INI file, read and written as QSettings reads it. The file is read once
// and read again only when it has changed on disk, so a large file costs one parse per start, and
// every write replaces it whole (see WriteIniValues). A failed write leaves the store as it was and
// LastError() says why.
class QSettingsStore final : public ProfileStore {
public:
    // An INI file at the given path.
    explicit QSettingsStore(QString iniPath);

    // $XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf, with ~/.config when the variable is
    // not set.
    static QString DefaultIniPath();
    // The same from given values: `xdgConfigHome` when it is an absolute path (an empty or
    // relative one is ignored, as the XDG rules say), otherwise `homeDir`/.config.
    static QString IniPathFor(const QString& xdgConfigHome, const QString& homeDir);

    int GetProfileInt(const QString& section, const QString& key, int defaultValue) const override;
    QString GetProfileString(const QString& section, const QString& key,
                             const QString& defaultValue = QString()) const override;
    bool WriteProfileInt(const QString& section, const QString& key, int value) override;
    bool WriteProfileString(const QString& section, const QString& key,
                            const QString& value) override;
    bool WriteProfileValues(const QString& section, std::span<const ProfileValue> values) override;
    QString LastError() const override;
    QString ReadProblem() const override;

    // The INI file's path.
    QString Location() const;

private:
    QVariant Read(const QString& section, const QString& key) const;

    // One section of the INI file as last read, with what identified the file then.
    struct SectionRead {
        bool existed = false;
        qint64 size = 0;
        QDateTime modified;
        IniGroupRead read;
    };

    QString m_location;
    QString m_lastError;
    mutable QHash<QString, SectionRead> m_sections;
    mutable QString m_readProblem;
};

} // namespace chronivo

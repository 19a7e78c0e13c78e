#pragma once

#include <QString>

#include <memory>

namespace chronivo {

// The user's per-program profile: named integers and texts grouped in sections. Reads never
// fail (a missing or unreadable value gives the caller's default); writes report whether the
// value was stored.
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

    // Why the last write failed, in words for the user; empty after a write that succeeded.
    virtual QString LastError() const = 0;
};

// The profile kept by QSettings: an INI file on Linux and macOS, the registry on Windows.
class QSettingsStore final : public ProfileStore {
public:
    // An INI file at the given path.
    explicit QSettingsStore(QString iniPath);

    // The current user's profile: on Windows the registry key
    // HKEY_CURRENT_USER\Software\Velstrand\Utilities\Chronivo, elsewhere the INI file
    // DefaultIniPath().
    static std::unique_ptr<QSettingsStore> ForCurrentUser();

    // $XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf, with ~/.config when the variable is
    // not set.
    static QString DefaultIniPath();

    int GetProfileInt(const QString& section, const QString& key,
                      int defaultValue) const override;
    QString GetProfileString(const QString& section, const QString& key,
                             const QString& defaultValue = QString()) const override;
    bool WriteProfileInt(const QString& section, const QString& key, int value) override;
    bool WriteProfileString(const QString& section, const QString& key,
                            const QString& value) override;
    QString LastError() const override;

    // Where the values are kept: the INI file's path or the registry key.
    QString Location() const;

private:
    QSettingsStore() = default;

    QString m_location;
    bool m_native = false;
    QString m_lastError;
};

} // namespace chronivo

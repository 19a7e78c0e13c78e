#include "settings/profile_store.h"

#include <QSettings>

namespace chronivo {

namespace {

constexpr char kRegistryKey[] = "HKEY_CURRENT_USER\\Software\\Velstrand\\Utilities\\Chronivo";

// The profile in the registry, which keeps each value on its own; QSettings stores an int as
// REG_DWORD and a text as REG_SZ. Each value is read when asked for.
class RegistryStore final : public ProfileStore {
public:
    int GetProfileInt(const QString& section, const QString& key, int defaultValue) const override {
        return StoredWholeNumber(Read(section, key)).value_or(defaultValue);
    }
    QString GetProfileString(const QString& section, const QString& key,
                             const QString& defaultValue) const override {
        return StoredText(Read(section, key)).value_or(defaultValue);
    }
    bool WriteProfileInt(const QString& section, const QString& key, int value) override {
        const ProfileValue one{key, QVariant(value)};
        return WriteProfileValues(section, {&one, 1});
    }
    bool WriteProfileString(const QString& section, const QString& key,
                            const QString& value) override {
        const ProfileValue one{key, QVariant(value)};
        return WriteProfileValues(section, {&one, 1});
    }
    bool WriteProfileValues(const QString& section, std::span<const ProfileValue> values) override {
        for (const ProfileValue& value : values) {
            // A value the user left as shown keeps what the registry holds now.
            if (value.keepStored && Read(section, value.key).isValid())
                continue;
            m_lastError = Write(section, value.key, value.value);
            if (!m_lastError.isEmpty())
                return false;
        }
        return true;
    }
    QString LastError() const override { return m_lastError; }

private:
    static QVariant Read(const QString& section, const QString& name) {
        QSettings settings(QString::fromLatin1(kRegistryKey), QSettings::NativeFormat);
        settings.beginGroup(section);
        return settings.value(name);
    }

    static QString Write(const QString& section, const QString& name, const QVariant& value) {
        const QString key = QString::fromLatin1(kRegistryKey);
        if (name.isEmpty())
            return QStringLiteral(
                       "The settings could not be saved to %1: no setting name was given.")
                .arg(key);
        QSettings settings(key, QSettings::NativeFormat);
        settings.beginGroup(section);
        settings.setValue(name, value);
        settings.endGroup();
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return QStringLiteral("The settings could not be saved to the registry key %1\\%2: "
                                  "access was denied.")
                .arg(key, section);
        return QString();
    }

    QString m_lastError;
};

} // namespace

std::unique_ptr<ProfileStore> CurrentUserStore() {
    return std::make_unique<RegistryStore>();
}

} // namespace chronivo

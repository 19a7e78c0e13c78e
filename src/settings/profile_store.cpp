#include "settings/profile_store.h"

#include "settings/ini_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace chronivo {

namespace {

#ifdef Q_OS_WIN
constexpr char kRegistryKey[] = "HKEY_CURRENT_USER\\Software\\Velstrand\\Utilities\\Chronivo";
#endif

#ifdef Q_OS_WIN
// The registry keeps each value on its own; QSettings stores an int as REG_DWORD and a text as
// REG_SZ.
QVariant ReadRegistryValue(const QString& key, const QString& section, const QString& name) {
    QSettings settings(key, QSettings::NativeFormat);
    settings.beginGroup(section);
    return settings.value(name);
}

QString WriteRegistryValue(const QString& key, const QString& section, const QString& name,
                           const QVariant& value) {
    if (name.isEmpty())
        return QStringLiteral("The settings could not be saved to %1: no setting name was given.")
            .arg(key);
    QSettings settings(key, QSettings::NativeFormat);
    settings.beginGroup(section);
    settings.setValue(name, value);
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return QStringLiteral("The settings could not be saved to the registry key %1\\%2: access "
                              "was denied.")
            .arg(key, section);
    return QString();
}
#endif

} // namespace

bool ProfileStore::WriteProfileValues(const QString& section,
                                      std::span<const ProfileValue> values) {
    for (const ProfileValue& value : values) {
        const bool stored = value.value.typeId() == QMetaType::Int
                                ? WriteProfileInt(section, value.key, value.value.toInt())
                                : WriteProfileString(section, value.key, value.value.toString());
        if (!stored)
            return false;
    }
    return true;
}

QSettingsStore::QSettingsStore(QString iniPath)
    : m_location(std::move(iniPath)) {}

std::unique_ptr<QSettingsStore> QSettingsStore::ForCurrentUser() {
#ifdef Q_OS_WIN
    std::unique_ptr<QSettingsStore> store(new QSettingsStore());
    store->m_location = QString::fromLatin1(kRegistryKey);
    store->m_native = true;
    return store;
#else
    return std::make_unique<QSettingsStore>(DefaultIniPath());
#endif
}

QString QSettingsStore::DefaultIniPath() {
    return IniPathFor(qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
}

QString QSettingsStore::IniPathFor(const QString& xdgConfigHome, const QString& homeDir) {
    const QString base = !xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome)
                             ? xdgConfigHome
                             : homeDir + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/Velstrand/Utilities/Chronivo.conf"));
}

int QSettingsStore::GetProfileInt(const QString& section, const QString& key,
                                  int defaultValue) const {
    return StoredWholeNumber(Read(section, key)).value_or(defaultValue);
}

QString QSettingsStore::GetProfileString(const QString& section, const QString& key,
                                         const QString& defaultValue) const {
    return StoredText(Read(section, key)).value_or(defaultValue);
}

bool QSettingsStore::WriteProfileInt(const QString& section, const QString& key, int value) {
    // Explicitly an int: QSettings would write a bool as the text "true".
    const ProfileValue one{key, QVariant(value)};
    return WriteProfileValues(section, {&one, 1});
}

bool QSettingsStore::WriteProfileString(const QString& section, const QString& key,
                                        const QString& value) {
    const ProfileValue one{key, QVariant(value)};
    return WriteProfileValues(section, {&one, 1});
}

bool QSettingsStore::WriteProfileValues(const QString& section,
                                        std::span<const ProfileValue> values) {
#ifdef Q_OS_WIN
    if (m_native) {
        for (const ProfileValue& value : values) {
            // A value the user left as shown keeps what the registry holds now.
            if (value.keepStored && ReadRegistryValue(m_location, section, value.key).isValid())
                continue;
            m_lastError = WriteRegistryValue(m_location, section, value.key, value.value);
            if (!m_lastError.isEmpty())
                return false;
        }
        return true;
    }
#endif
    m_lastError = WriteIniValues(m_location, section, values);
    return m_lastError.isEmpty();
}

QString QSettingsStore::LastError() const {
    return m_lastError;
}

QString QSettingsStore::Location() const {
    return m_location;
}

QString QSettingsStore::ReadProblem() const {
    return m_readProblem;
}

QVariant QSettingsStore::Read(const QString& section, const QString& key) const {
#ifdef Q_OS_WIN
    if (m_native)
        return ReadRegistryValue(m_location, section, key);
#endif
    // The section is parsed again only when the file is not the one read last time.
    const QFileInfo file(m_location);
    SectionRead& cached = m_sections[section];
    if (cached.existed != file.exists() || cached.size != file.size() ||
        cached.modified != file.lastModified() || cached.modified.isNull()) {
        cached.existed = file.exists();
        cached.size = file.size();
        cached.modified = file.lastModified();
        cached.read = ReadIniGroup(m_location, section);
        m_readProblem = cached.read.problem;
    }
    return cached.read.values.value(key);
}

} // namespace chronivo

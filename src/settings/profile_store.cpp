#include "settings/profile_store.h"

#include "settings/ini_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QVariant>

namespace chronivo {

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

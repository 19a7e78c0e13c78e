#include "settings/profile_store.h"

#include "settings/ini_file.h"

#include <QDir>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <limits>
#include <optional>

namespace chronivo {

namespace {

#ifdef Q_OS_WIN
constexpr char kRegistryKey[] = "HKEY_CURRENT_USER\\Software\\Velstrand\\Utilities\\Chronivo";
#endif

// A stored value as a signed 32-bit int: an integer of any width that fits, or a text holding a
// whole decimal number that fits (sign and surrounding blanks allowed). Nothing else: no
// fractions, no "true", no hexadecimal.
std::optional<int> WholeNumber(const QVariant& stored) {
    constexpr qlonglong kMin = std::numeric_limits<int>::min();
    constexpr qlonglong kMax = std::numeric_limits<int>::max();
    switch (stored.typeId()) {
    case QMetaType::Int:
        return stored.toInt();
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong: {
        const qlonglong number = stored.toLongLong();
        if (number < kMin || number > kMax)
            return std::nullopt;
        return static_cast<int>(number);
    }
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong number = stored.toULongLong();
        if (number > static_cast<qulonglong>(kMax))
            return std::nullopt;
        return static_cast<int>(number);
    }
    case QMetaType::QString: {
        bool ok = false;
        const int number = stored.toString().toInt(&ok, 10);
        if (!ok)
            return std::nullopt;
        return number;
    }
    default:
        return std::nullopt;
    }
}

// A stored value as text. A text with unquoted commas (written by hand) is parsed by QSettings as
// a list; its parts are joined again with ", ", the separator QSettings itself writes.
std::optional<QString> Text(const QVariant& stored) {
    switch (stored.typeId()) {
    case QMetaType::QString:
        return stored.toString();
    case QMetaType::QStringList:
        return stored.toStringList().join(QStringLiteral(", "));
    default:
        return std::nullopt;
    }
}

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
    return WholeNumber(Read(section, key)).value_or(defaultValue);
}

QString QSettingsStore::GetProfileString(const QString& section, const QString& key,
                                         const QString& defaultValue) const {
    return Text(Read(section, key)).value_or(defaultValue);
}

bool QSettingsStore::WriteProfileInt(const QString& section, const QString& key, int value) {
    // Explicitly an int: QSettings would write a bool as the text "true".
    return Write(section, key, QVariant(value));
}

bool QSettingsStore::WriteProfileString(const QString& section, const QString& key,
                                        const QString& value) {
    return Write(section, key, QVariant(value));
}

QString QSettingsStore::LastError() const {
    return m_lastError;
}

QString QSettingsStore::Location() const {
    return m_location;
}

QVariant QSettingsStore::Read(const QString& section, const QString& key) const {
#ifdef Q_OS_WIN
    if (m_native)
        return ReadRegistryValue(m_location, section, key);
#endif
    return ReadIniValue(m_location, section, key);
}

bool QSettingsStore::Write(const QString& section, const QString& key, const QVariant& value) {
#ifdef Q_OS_WIN
    if (m_native) {
        m_lastError = WriteRegistryValue(m_location, section, key, value);
        return m_lastError.isEmpty();
    }
#endif
    m_lastError = WriteIniValue(m_location, section, key, value);
    return m_lastError.isEmpty();
}

} // namespace chronivo

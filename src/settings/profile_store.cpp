#include "settings/profile_store.h"

// Placeholder so the tree builds; the QSettings store is written with the settings work.
namespace chronivo {

QSettingsStore::QSettingsStore(QString iniPath) : m_location(std::move(iniPath)) {}
std::unique_ptr<QSettingsStore> QSettingsStore::ForCurrentUser() {
    return std::make_unique<QSettingsStore>(DefaultIniPath());
}
QString QSettingsStore::DefaultIniPath() { return QString(); }
int QSettingsStore::GetProfileInt(const QString&, const QString&, int defaultValue) const {
    return defaultValue;
}
QString QSettingsStore::GetProfileString(const QString&, const QString&,
                                         const QString& defaultValue) const {
    return defaultValue;
}
bool QSettingsStore::WriteProfileInt(const QString&, const QString&, int) { return false; }
bool QSettingsStore::WriteProfileString(const QString&, const QString&, const QString&) {
    return false;
}
QString QSettingsStore::LastError() const { return m_lastError; }
QString QSettingsStore::Location() const { return m_location; }

} // namespace chronivo

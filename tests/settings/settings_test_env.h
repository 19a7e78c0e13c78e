#pragma once

#include "settings/profile_store.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace chronivo::test {

inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline void PutFile(const QString& path, const QByteArray& bytes) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Every entry of a folder, hidden ones included, sorted by name.
inline QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Each test gets its own empty XDG_CONFIG_HOME in a temporary folder, so it never sees or touches
// the profile of whoever runs it. The previous value is restored afterwards.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        if (const char* previous = std::getenv("XDG_CONFIG_HOME"))
            m_previousXdg = std::string(previous);
        SetConfigHome(ConfigHome());
        m_store = std::make_unique<QSettingsStore>(QSettingsStore::DefaultIniPath());
    }

    void TearDown() override {
        if (m_previousXdg)
            qputenv("XDG_CONFIG_HOME", QByteArray(m_previousXdg->c_str()));
        else
            qunsetenv("XDG_CONFIG_HOME");
    }

    static void SetConfigHome(const QString& dir) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir));
    }

    QString Root() const { return m_root.path(); }
    QString ConfigHome() const { return m_root.path() + QStringLiteral("/config"); }
    QString IniPath() const {
        return ConfigHome() + QStringLiteral("/Velstrand/Utilities/Chronivo.conf");
    }
    QString IniDir() const { return ConfigHome() + QStringLiteral("/Velstrand/Utilities"); }

    QTemporaryDir m_root{QDir::tempPath() + QStringLiteral("/chronivo-settings-XXXXXX")};
    std::optional<std::string> m_previousXdg;
    std::unique_ptr<QSettingsStore> m_store;
};

} // namespace chronivo::test

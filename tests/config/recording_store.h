#pragma once

#include "settings/profile_store.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace chronivo {

// A ProfileStore in memory that logs every read and write as "Section/Key", oldest first, and can
// be told to fail from a given write on, so the dialog tests can check which keys it touches, in
// what order, and what it does when a write fails.
class RecordingStore final : public ProfileStore {
public:
    int GetProfileInt(const QString& section, const QString& key, int defaultValue) const override {
        m_reads << Path(section, key);
        const auto it = m_values.constFind(Path(section, key));
        return it != m_values.cend() && it->typeId() == QMetaType::Int ? it->toInt() : defaultValue;
    }
    QString GetProfileString(const QString& section, const QString& key,
                             const QString& defaultValue = QString()) const override {
        m_reads << Path(section, key);
        const auto it = m_values.constFind(Path(section, key));
        return it != m_values.cend() && it->typeId() == QMetaType::QString ? it->toString()
                                                                           : defaultValue;
    }
    bool WriteProfileInt(const QString& section, const QString& key, int value) override {
        return Write(section, key, QVariant(value));
    }
    bool WriteProfileString(const QString& section, const QString& key,
                            const QString& value) override {
        return Write(section, key, QVariant(value));
    }
    bool WriteProfileValues(const QString& section, std::span<const ProfileValue> values) override {
        ++m_valueWrites;
        return ProfileStore::WriteProfileValues(section, values);
    }
    QString LastError() const override { return m_lastError; }

    // How many times several values were stored as one change (WriteProfileValues).
    int ValueWrites() const { return m_valueWrites; }

    // Stores a value without logging it, as an earlier run of the program would have.
    void PutInt(const QString& key, int value) { m_values.insert(Path(kSectionName, key), value); }
    void PutString(const QString& key, const QString& value) {
        m_values.insert(Path(kSectionName, key), value);
    }
    bool Contains(const QString& key) const { return m_values.contains(Path(kSectionName, key)); }

    // Reads and writes (attempted ones included) since construction or the last ClearLogs.
    const QStringList& Reads() const { return m_reads; }
    const QStringList& Writes() const { return m_writes; }
    void ClearLogs() {
        m_reads.clear();
        m_writes.clear();
        m_valueWrites = 0;
    }

    // The write with this number (1 = the next one) and every later one fail; 0 never fails.
    void FailFromWrite(int number) { m_failFrom = number == 0 ? 0 : m_writes.size() + number; }
    // What LastError says after a failed write.
    void SetFailureText(const QString& text) { m_failureText = text; }

    static inline const QString kSectionName = QStringLiteral("ScreenSaver");
    static inline const QString kFailure =
        QStringLiteral("The settings could not be saved to /config: the disk is full.");

private:
    static QString Path(const QString& section, const QString& key) {
        return section + QLatin1Char('/') + key;
    }
    bool Write(const QString& section, const QString& key, const QVariant& value) {
        m_writes << Path(section, key);
        if (m_failFrom != 0 && m_writes.size() >= m_failFrom) {
            m_lastError = m_failureText;
            return false;
        }
        m_values.insert(Path(section, key), value);
        m_lastError.clear();
        return true;
    }

    QHash<QString, QVariant> m_values;
    mutable QStringList m_reads;
    QStringList m_writes;
    qsizetype m_failFrom = 0;
    int m_valueWrites = 0;
    QString m_failureText = kFailure;
    QString m_lastError;
};

} // namespace chronivo

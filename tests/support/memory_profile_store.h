#pragma once

#include "settings/profile_store.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace chronivo {

// A ProfileStore kept in memory, for tests that need stored settings without touching a file.
// Integers and texts are kept as they were written; an integer read of a stored text takes the
// text when it is a whole number in the signed 32-bit range, as the file store does. Every read
// is logged as "Section/Key" so a test can check which keys were read and in what order.
class MemoryProfileStore final : public ProfileStore {
public:
    int GetProfileInt(const QString& section, const QString& key, int defaultValue) const override;
    QString GetProfileString(const QString& section, const QString& key,
                             const QString& defaultValue = QString()) const override;
    bool WriteProfileInt(const QString& section, const QString& key, int value) override;
    bool WriteProfileString(const QString& section, const QString& key,
                            const QString& value) override;
    QString LastError() const override { return m_lastError; }

    // Keys read since construction or the last ClearReadLog, oldest first, as "Section/Key".
    const QStringList& ReadLog() const { return m_readLog; }
    void ClearReadLog() { m_readLog.clear(); }

    // While set, every write fails, stores nothing and leaves a reason in LastError.
    void SetFailWrites(bool fail) { m_failWrites = fail; }

    // Whether a value is stored under the key, and the number of stored values.
    bool Contains(const QString& section, const QString& key) const;
    int Size() const { return static_cast<int>(m_values.size()); }

private:
    static QString Path(const QString& section, const QString& key);
    bool Write(const QString& section, const QString& key, const QVariant& value);

    QHash<QString, QVariant> m_values; // "Section/Key" -> int or QString
    mutable QStringList m_readLog;
    bool m_failWrites = false;
    QString m_lastError;
};

} // namespace chronivo

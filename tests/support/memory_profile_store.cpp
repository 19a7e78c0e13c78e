#include "support/memory_profile_store.h"

#include <QMetaType>

namespace chronivo {

QString MemoryProfileStore::Path(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

int MemoryProfileStore::GetProfileInt(const QString& section, const QString& key,
                                      int defaultValue) const {
    const QString path = Path(section, key);
    m_readLog.append(path);
    const auto found = m_values.constFind(path);
    if (found == m_values.constEnd()) {
        return defaultValue;
    }
    if (found->typeId() == QMetaType::Int) {
        return found->toInt();
    }
    // A stored text counts only when it is a whole number that fits in 32 bits.
    bool ok = false;
    const int value = found->toString().toInt(&ok, 10);
    return ok ? value : defaultValue;
}

QString MemoryProfileStore::GetProfileString(const QString& section, const QString& key,
                                             const QString& defaultValue) const {
    const QString path = Path(section, key);
    m_readLog.append(path);
    const auto found = m_values.constFind(path);
    if (found == m_values.constEnd()) {
        return defaultValue;
    }
    return found->toString();
}

bool MemoryProfileStore::WriteProfileInt(const QString& section, const QString& key, int value) {
    return Write(section, key, QVariant(value));
}

bool MemoryProfileStore::WriteProfileString(const QString& section, const QString& key,
                                            const QString& value) {
    return Write(section, key, QVariant(value));
}

bool MemoryProfileStore::Contains(const QString& section, const QString& key) const {
    return m_values.contains(Path(section, key));
}

bool MemoryProfileStore::Write(const QString& section, const QString& key, const QVariant& value) {
    if (m_failWrites) {
        m_lastError = QStringLiteral("The settings could not be stored (writes are switched off).");
        return false;
    }
    m_values.insert(Path(section, key), value);
    m_lastError.clear();
    return true;
}

} // namespace chronivo

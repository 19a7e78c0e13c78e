#include "settings/overlay_store.h"

#include "settings/settings_keys.h"

#include <algorithm>
#include <utility>

namespace chronivo {

OverlayStore::OverlayStore(const ProfileStore& base, std::vector<ProfileValue> values)
    : m_base(base)
    , m_values(std::move(values)) {}

const ProfileValue* OverlayStore::Find(const QString& section, const QString& key) const {
    if (section != QLatin1String(kSection)) {
        return nullptr;
    }
    // The last value given for a key is the one that would be stored.
    const auto found = std::find_if(m_values.rbegin(), m_values.rend(),
                                    [&key](const ProfileValue& value) { return value.key == key; });
    return found != m_values.rend() ? &*found : nullptr;
}

void OverlayStore::Keep(const QString& section, const QString& key, const QVariant& value) const {
    const bool known =
        std::any_of(m_answers.begin(), m_answers.end(),
                    [&key](const ProfileValue& answer) { return answer.key == key; });
    if (section == QLatin1String(kSection) && !known) {
        m_answers.push_back({key, value});
    }
}

int OverlayStore::GetProfileInt(const QString& section, const QString& key,
                                int defaultValue) const {
    const ProfileValue* value = Find(section, key);
    // A value of the wrong type reads as missing, as it would from a store.
    const int answer = value == nullptr ? m_base.GetProfileInt(section, key, defaultValue)
                       : value->value.typeId() == QMetaType::Int ? value->value.toInt()
                                                                 : defaultValue;
    Keep(section, key, answer);
    return answer;
}

QString OverlayStore::GetProfileString(const QString& section, const QString& key,
                                       const QString& defaultValue) const {
    const ProfileValue* value = Find(section, key);
    const QString answer = value == nullptr ? m_base.GetProfileString(section, key, defaultValue)
                           : value->value.typeId() == QMetaType::QString ? value->value.toString()
                                                                         : defaultValue;
    Keep(section, key, answer);
    return answer;
}

bool OverlayStore::WriteProfileInt(const QString& /*section*/, const QString& /*key*/,
                                   int /*value*/) {
    return false;
}

bool OverlayStore::WriteProfileString(const QString& /*section*/, const QString& /*key*/,
                                      const QString& /*value*/) {
    return false;
}

QString OverlayStore::LastError() const {
    return QStringLiteral("These settings are only shown, never stored.");
}

} // namespace chronivo

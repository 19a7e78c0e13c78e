#include "settings/settings_keys.h"

#include "settings/profile_store.h"

#include <algorithm>

namespace chronivo {

namespace {

QString SectionName() {
    return QString::fromLatin1(kSection);
}

} // namespace

int UsableSpeed(int storedSpeed) {
    return storedSpeed < 1 ? keys::Speed.saverDefault : storedSpeed;
}

bool WriteValues(ProfileStore& store, std::span<const ProfileValue> values) {
    return store.WriteProfileValues(SectionName(), values);
}

void KeepUnchanged(std::span<ProfileValue> values, std::span<const ProfileValue> shown) {
    for (ProfileValue& value : values) {
        value.keepStored = std::any_of(shown.begin(), shown.end(), [&value](const ProfileValue& s) {
            return s.key == value.key && s.value == value.value;
        });
    }
}

QString WorldTextKey(int index) {
    return QStringLiteral("WTtext%1").arg(index);
}
QString WorldZoneKey(int index) {
    return QStringLiteral("WTzone%1").arg(index);
}
QString WorldTzKey(int index) {
    return QStringLiteral("WTtz%1").arg(index);
}

FontChoice ParseFontSetting(std::string_view stored) {
    constexpr qsizetype kLongest = 200;
    const QString text = QString::fromUtf8(stored.data(), static_cast<qsizetype>(stored.size()));
    if (text.isEmpty() || text.size() > kLongest) {
        return {};
    }
    if (std::any_of(text.begin(), text.end(), [](QChar c) {
            return c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter;
        })) {
        return {};
    }
    FontChoice choice;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        choice.family = text.trimmed();
        return choice;
    }
    choice.family = text.left(colon).trimmed();
    choice.bold =
        text.mid(colon + 1).trimmed().compare(QLatin1String("bold"), Qt::CaseInsensitive) == 0;
    return choice;
}

QString FontSettingText(const FontChoice& choice) {
    if (choice.family.isEmpty() && !choice.bold) {
        return {};
    }
    return choice.bold ? choice.family + QStringLiteral(":bold") : choice.family;
}

int ReadInt(const ProfileStore& store, const SettingKey& key, Reader reader) {
    return ReadInt(store, key, QString::fromLatin1(key.name), reader);
}

int ReadInt(const ProfileStore& store, const SettingKey& key, const QString& name, Reader reader) {
    const int fallback = reader == Reader::Dialog ? key.dialogDefault : key.saverDefault;
    return store.GetProfileInt(SectionName(), name, fallback);
}

QString ReadString(const ProfileStore& store, const SettingKey& key) {
    return ReadString(store, key, QString::fromLatin1(key.name));
}

QString ReadString(const ProfileStore& store, const SettingKey& /*key*/, const QString& name) {
    return store.GetProfileString(SectionName(), name, QString());
}

bool WriteInt(ProfileStore& store, const SettingKey& key, int value) {
    return WriteInt(store, QString::fromLatin1(key.name), value);
}

bool WriteInt(ProfileStore& store, const QString& name, int value) {
    return store.WriteProfileInt(SectionName(), name, value);
}

bool WriteString(ProfileStore& store, const SettingKey& key, const QString& value) {
    return WriteString(store, QString::fromLatin1(key.name), value);
}

bool WriteString(ProfileStore& store, const QString& name, const QString& value) {
    return store.WriteProfileString(SectionName(), name, value);
}

} // namespace chronivo

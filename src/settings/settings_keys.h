#pragma once

#include <QString>

namespace chronivo {

class ProfileStore;

// Every setting lives in this one section of the user's profile.
inline constexpr char kSection[] = "ScreenSaver";

enum class SettingType { Int, String };

// Who is reading: the configuration dialog and the saver pass different defaults for "Speed".
enum class Reader { Dialog, Saver };

// One key of the section with its type and the default each reader passes. String keys always
// default to the empty text.
struct SettingKey {
    const char* name;
    SettingType type;
    int dialogDefault;
    int saverDefault;
};

// The table of keys. The dialog and the saver read and write only through these names, so a key
// can never be spelt two ways.
namespace keys {
inline constexpr SettingKey Option{"Option", SettingType::Int, 0, 0};
inline constexpr SettingKey Hour24{"24Hour", SettingType::Int, 0, 0};
inline constexpr SettingKey ShowSec{"ShowSec", SettingType::Int, 0, 0};
inline constexpr SettingKey WorldTime{"WorldTime", SettingType::Int, 0, 0};
inline constexpr SettingKey Speed{"Speed", SettingType::Int, 1000, 600};
inline constexpr SettingKey Rainbow{"Rainbow", SettingType::Int, 0, 0};
inline constexpr SettingKey Title{"Title", SettingType::String, 0, 0};
inline constexpr SettingKey Year{"Year", SettingType::Int, 0, 0};
inline constexpr SettingKey Month{"Month", SettingType::Int, 0, 0};
inline constexpr SettingKey Day{"Day", SettingType::Int, 0, 0};
inline constexpr SettingKey Hour{"Hour", SettingType::Int, 0, 0};
inline constexpr SettingKey Minute{"Minute", SettingType::Int, 0, 0};
inline constexpr SettingKey Second{"Second", SettingType::Int, 0, 0};
inline constexpr SettingKey WTcount{"WTcount", SettingType::Int, 0, 0};
// The per-entry families; the name is formed with WorldTextKey / WorldZoneKey. The dialog never
// reads the zone keys: it finds the city by its text.
inline constexpr SettingKey WTtext{"WTtext%d", SettingType::String, 0, 0};
inline constexpr SettingKey WTzone{"WTzone%d", SettingType::Int, 0, 0};
} // namespace keys

// "WTtext%d" and "WTzone%d" with the entry's index in plain decimal: WTtext0 ... WTtext9.
QString WorldTextKey(int index);
QString WorldZoneKey(int index);

// Reads an integer key with the reader's default. `name` overrides the key's own name (for the
// per-entry families).
int ReadInt(const ProfileStore& store, const SettingKey& key, Reader reader);
int ReadInt(const ProfileStore& store, const SettingKey& key, const QString& name, Reader reader);
QString ReadString(const ProfileStore& store, const SettingKey& key);
QString ReadString(const ProfileStore& store, const SettingKey& key, const QString& name);

// Writes one key; false when it could not be stored.
bool WriteInt(ProfileStore& store, const SettingKey& key, int value);
bool WriteInt(ProfileStore& store, const QString& name, int value);
bool WriteString(ProfileStore& store, const SettingKey& key, const QString& value);
bool WriteString(ProfileStore& store, const QString& name, const QString& value);

} // namespace chronivo

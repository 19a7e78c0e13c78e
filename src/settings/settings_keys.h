#pragma once

#include "settings/ini_file.h" // ProfileValue

#include <QString>

#include <span>
#include <string_view>

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

// The longest "StartAfter" the idle watcher and the dialog honour: a day, in minutes. A larger
// stored value counts as this.
inline constexpr int kStartAfterMaxMinutes = 24 * 60;

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
// Minutes without input after which the idle watcher starts the saver; 0: it does not.
inline constexpr SettingKey StartAfter{"StartAfter", SettingType::Int, 0, 0};
// The per-entry families; the name is formed with WorldTextKey / WorldZoneKey. The dialog finds a
// city of the table by its text; it reads a zone key only for an entry whose WTtz zone the system
// lacks, to keep that entry's code.
inline constexpr SettingKey WTtext{"WTtext%d", SettingType::String, 0, 0};
inline constexpr SettingKey WTzone{"WTzone%d", SettingType::Int, 0, 0};
// The tz-database zone of an entry ("Asia/Kathmandu"), written for a zone the user picked under a
// name of their own; absent for the built-in cities, which are found by their text. Readers that
// do not know it still find a text and a code (the zone's standard offset) in the pair above.
inline constexpr SettingKey WTtz{"WTtz%d", SettingType::String, 0, 0};

// The further options, all off (0 or empty) unless chosen; with none of them stored every frame
// is what it always was.
// Non-zero: every other screen shows the saver's frame, composed for its own size, not black.
inline constexpr SettingKey AllScreens{"AllScreens", SettingType::Int, 0, 0};
// Non-zero: the whole layout moves by a few pixels to a new place every minute (screen care).
inline constexpr SettingKey Drift{"Drift", SettingType::Int, 0, 0};
// Non-zero: weekday, month and the date's form from the user's locale.
inline constexpr SettingKey LocalNames{"LocalNames", SettingType::Int, 0, 0};
// Non-zero: a black background with the text in the wheel's colour.
inline constexpr SettingKey Dark{"Dark", SettingType::Int, 0, 0};
// The family of the large text, optionally followed by ":bold" ("DejaVu Serif:bold"); empty:
// the platform's default font.
inline constexpr SettingKey Font{"Font", SettingType::String, 0, 0};
// Non-zero: a thin black or white outline round the text, whichever contrasts more.
inline constexpr SettingKey Outline{"Outline", SettingType::Int, 0, 0};
} // namespace keys

// The speed the wheel runs at for a stored "Speed", in tenths of a second per colour segment: the
// stored value, except that one below 1 (only possible by editing the settings by hand) would
// divide by zero or run the wheel backwards, so the saver takes its default, 600, instead. The
// dialog shows and keeps the same.
int UsableSpeed(int storedSpeed);

// "WTtext%d", "WTzone%d" and "WTtz%d" with the entry's index in plain decimal: WTtext0 ...
// WTtext9.
QString WorldTextKey(int index);
QString WorldZoneKey(int index);
QString WorldTzKey(int index);

// The "Font" setting: a family (empty: the platform's default) and whether it is bold.
struct FontChoice {
    QString family;
    bool bold = false;
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

// Reads a stored "Font": "Family" or "Family:bold" (the style ignoring case, blanks round either
// part ignored; ":bold" alone is the default family in bold; another style after the colon is
// ignored). Empty, longer than 200 characters, or holding a control character: the default.
FontChoice ParseFontSetting(std::string_view stored);

// The text stored for a choice: "" for the default font, "Family" or "Family:bold".
QString FontSettingText(const FontChoice& choice);

// Reads an integer key with the reader's default. `name` overrides the key's own name (for the
// per-entry families).
int ReadInt(const ProfileStore& store, const SettingKey& key, Reader reader);
int ReadInt(const ProfileStore& store, const SettingKey& key, const QString& name, Reader reader);
QString ReadString(const ProfileStore& store, const SettingKey& key);
QString ReadString(const ProfileStore& store, const SettingKey& key, const QString& name);

// Stores the values in the section in one change, in the order given; false when they could not
// be stored (the store's LastError says why).
bool WriteValues(ProfileStore& store, std::span<const ProfileValue> values);

// Marks each value that equals the one shown under its key when the dialog opened (`shown`) as
// kept when stored: the user did not change it, so what the file holds for it at the moment of
// the save stays, and another program's change made meanwhile is not undone.
void KeepUnchanged(std::span<ProfileValue> values, std::span<const ProfileValue> shown);

// Writes one key; false when it could not be stored.
bool WriteInt(ProfileStore& store, const SettingKey& key, int value);
bool WriteInt(ProfileStore& store, const QString& name, int value);
bool WriteString(ProfileStore& store, const SettingKey& key, const QString& value);
bool WriteString(ProfileStore& store, const QString& name, const QString& value);

} // namespace chronivo

#pragma once

#include "settings/settings_keys.h"

namespace chronivo {

class ProfileStore;

// The on/off choices of "More options...". The saver's settings hold them under these names;
// each is on when its stored number is not 0 (ReadFlag).
struct OptionFlags {
    bool m_allScreens = false; // every other screen shows the saver's frame, not black
    bool m_drift = false;      // the layout moves by a few pixels every minute
    bool m_localNames = false; // weekday, month and the date's form from the user's locale
    bool m_dark = false;       // a black background, the text in the wheel's colour
    bool m_outline = false;    // a thin outline round the text
};

// One setting of "More options...": its key, where it is read to, and its check box.
struct MoreOption {
    using FlagMember = bool OptionFlags::*;
    const SettingKey& key;
    // The flag it is read into with ReadFlag; null for "Font", the one setting of the dialog
    // that is a text, read with ReadString and shown by controls of its own.
    FlagMember flag;
    const char* boxName; // the check box's object name; null for "Font"
    const char* label;   // the check box's text; null for "Font"
};

// Adding an on/off option takes its key in the key table, a row here and a member above; the
// saver's settings and the dialog follow the rows. They are in the order the saver reads them and
// OK stores them, which is the key table's; the check boxes stand in the same order, above the
// font's group.
inline constexpr MoreOption kMoreOptions[] = {
    {keys::AllScreens, &OptionFlags::m_allScreens, "allScreens", "The clock on every screen"},
    {keys::Drift, &OptionFlags::m_drift, "drift",
     "Screen care: move the layout a little every minute"},
    {keys::LocalNames, &OptionFlags::m_localNames, "localNames", "Names and date in my language"},
    {keys::Dark, &OptionFlags::m_dark, "dark", "Dark background"},
    {keys::Font, nullptr, nullptr, nullptr},
    {keys::Outline, &OptionFlags::m_outline, "outline", "Outline round the text"},
};

// An on/off setting as both readers take it: on for any stored number but 0; off for 0, for
// nothing stored and for a value that is no number.
bool ReadFlag(const ProfileStore& store, const SettingKey& key, Reader reader);

} // namespace chronivo

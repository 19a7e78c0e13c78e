#pragma once

#include "settings/option_table.h"
#include "time/world_time.h"

#include <array>
#include <cstdint>
#include <string>

namespace chronivo {

class ProfileStore;

// One stored world-time entry.
struct WorldTimeEntry {
    std::string m_label;  // "WTtext%d"
    ZoneCode m_zone = 0;  // "WTzone%d"
    std::string m_tzName; // "WTtz%d": the tz zone of a place the user named; empty for the others
};

// Everything a saver window reads from the settings, read once when the window is built; a
// window never sees a change made while it runs. Texts are UTF-8. The on/off choices of "More
// options..." (m_allScreens, m_drift, m_localNames, m_dark, m_outline) come from OptionFlags.
struct SaverSettings : OptionFlags {
    std::int32_t m_countdownMode = 0; // "Option": 0 none, 1..5 a countdown target
    std::string m_title;              // "Title"
    std::int32_t m_targetYear = 0;    // "Year" .. "Second": the local target of modes 3 and 4
    std::int32_t m_targetMonth = 0;
    std::int32_t m_targetDay = 0;
    std::int32_t m_targetHour = 0;
    std::int32_t m_targetMinute = 0;
    std::int32_t m_targetSecond = 0;
    std::int32_t m_speed = 600; // "Speed": tenths of a second from one anchor colour to the next
    std::int32_t m_rainbow = 0; // "Rainbow": non-zero paints drifting stripes
    std::int32_t m_showSeconds = 0; // "ShowSec"
    std::int32_t m_24Hour = 0;      // "24Hour"
    // The chosen cities from west to east (LoadWorldTimeEntries), m_worldCount of them (0 to 10);
    // the entries beyond the count are empty.
    std::int32_t m_worldCount = 0;
    std::array<WorldTimeEntry, kMaxWorldTimeEntries> m_worldEntries{};
    std::int32_t m_worldTime = 0; // "WorldTime": world-time bands instead of the clock
    // The further options are read after everything above (kMoreOptions): the flags, and
    // "Font" as stored ("Family" or "Family:bold"; empty: the default font).
    std::string m_font;
};

// Reads the saver's settings with the saver's defaults, in the saver's order, and loads the
// world-time entries in their order at utcSeconds, the moment the settings are read.
SaverSettings ReadSaverSettings(const ProfileStore& store, std::int64_t utcSeconds);

// Reads "WTcount" and the entries 0 .. count - 1 into m_worldCount and m_worldEntries, ordered west
// to east by each city's offset from UTC at utcSeconds (seconds since 1970 UTC): an entry with a
// known tz zone ("WTtz%d") or a city of the table by its zone, any other label by its stored code's
// standard offset. Equal offsets keep the stored order. A count above 10 holds the first ten
// entries; a negative one holds none.
void LoadWorldTimeEntries(const ProfileStore& store, SaverSettings& settings,
                          std::int64_t utcSeconds);

} // namespace chronivo

#include "saver/saver_settings.h"

#include "settings/option_table.h"
#include "settings/profile_store.h"
#include "settings/settings_keys.h"
#include "zones/zone_lookup.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace chronivo {

SaverSettings ReadSaverSettings(const ProfileStore& store, std::int64_t utcSeconds) {
    // The saver's own order and defaults ("Speed" is 600 here, not the dialog's 1000). Only the
    // defaults depend on the reader; the order is kept so the store sees the same reads as ever.
    SaverSettings s;
    s.m_countdownMode = ReadInt(store, keys::Option, Reader::Saver);
    s.m_title = ReadString(store, keys::Title).toStdString();
    s.m_targetYear = ReadInt(store, keys::Year, Reader::Saver);
    s.m_targetMonth = ReadInt(store, keys::Month, Reader::Saver);
    s.m_targetDay = ReadInt(store, keys::Day, Reader::Saver);
    s.m_targetHour = ReadInt(store, keys::Hour, Reader::Saver);
    s.m_targetMinute = ReadInt(store, keys::Minute, Reader::Saver);
    s.m_targetSecond = ReadInt(store, keys::Second, Reader::Saver);
    s.m_speed = ReadInt(store, keys::Speed, Reader::Saver);
    s.m_rainbow = ReadInt(store, keys::Rainbow, Reader::Saver);
    s.m_showSeconds = ReadInt(store, keys::ShowSec, Reader::Saver);
    s.m_24Hour = ReadInt(store, keys::Hour24, Reader::Saver);
    // The cities are loaded whatever "WorldTime" holds; it is read last.
    LoadWorldTimeEntries(store, s, utcSeconds);
    s.m_worldTime = ReadInt(store, keys::WorldTime, Reader::Saver);
    for (const MoreOption& option : kMoreOptions) {
        if (option.flag != nullptr) {
            s.*option.flag = ReadFlag(store, option.key, Reader::Saver);
        } else {
            s.m_font = ReadString(store, option.key).toStdString();
        }
    }
    return s;
}

void LoadWorldTimeEntries(const ProfileStore& store, SaverSettings& settings,
                          std::int64_t utcSeconds) {
    // The dialog never stores more than ten cities. A larger count written by anything else
    // keeps the first ten stored entries and reads no key beyond them; a negative one keeps none.
    const int count =
        std::clamp(ReadInt(store, keys::WTcount, Reader::Saver), 0, kMaxWorldTimeEntries);
    // A label outside the table is placed by its stored code's standard offset: a rule without
    // daylight saving leaves ZoneCodeOffset exactly that.
    DaylightRules standardOnly([](std::int32_t) { return DaylightRule{}; });

    struct Placed {
        WorldTimeEntry entry;
        std::int64_t offset = 0; // seconds east of UTC at utcSeconds
    };
    std::vector<Placed> placed;
    placed.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        WorldTimeEntry entry;
        entry.m_label = ReadString(store, keys::WTtext, WorldTextKey(i)).toStdString();
        entry.m_zone = ReadInt(store, keys::WTzone, WorldZoneKey(i), Reader::Saver);
        entry.m_tzName = ReadString(store, keys::WTtz, WorldTzKey(i)).toStdString();
        const std::int64_t offset = CityUtcOffset(EntryTimeZone(entry.m_tzName, entry.m_label),
                                                  entry.m_zone, utcSeconds, standardOnly);
        placed.push_back({std::move(entry), offset});
    }
    // Equal offsets keep their stored (alphabetical) order.
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.offset < b.offset; });

    settings.m_worldEntries.fill(WorldTimeEntry{});
    for (std::size_t i = 0; i < placed.size(); ++i) {
        settings.m_worldEntries[i] = std::move(placed[i].entry);
    }
    settings.m_worldCount = count;
}

} // namespace chronivo

#include "saver/saver_settings.h"

#include "saver/world_clock.h"
#include "settings/option_table.h"
#include "settings/profile_store.h"
#include "settings/settings_keys.h"

#include <algorithm>
#include <utility>

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
    auto& labels = settings.m_worldLabels;
    auto& zones = settings.m_worldZones;
    auto& tzNames = settings.m_worldTzNames;
    std::array<std::int64_t, kMaxWorldTimeEntries> offsets{};
    labels.fill(std::string());
    zones.fill(0);
    tzNames.fill(std::string());
    settings.m_worldCount = 0;
    // A label outside the table is placed by its stored code's standard offset: a rule without
    // daylight saving leaves ZoneCodeOffset exactly that.
    DaylightRules standardOnly([](std::int32_t) { return DaylightRule{}; });

    for (int i = 0; i < count; ++i) {
        std::string text = ReadString(store, keys::WTtext, WorldTextKey(i)).toStdString();
        const ZoneCode code = ReadInt(store, keys::WTzone, WorldZoneKey(i), Reader::Saver);
        std::string tzName = ReadString(store, keys::WTtz, WorldTzKey(i)).toStdString();
        const std::int64_t offset =
            CityUtcOffset(EntryTimeZone(tzName, text), code, utcSeconds, standardOnly);
        // The new entry goes after every entry whose offset is not larger, so equal offsets
        // keep their stored (alphabetical) order.
        int at = i;
        while (at > 0 && offsets[at - 1] > offset) {
            --at;
        }
        for (int k = i; k > at; --k) {
            labels[k] = std::move(labels[k - 1]);
            zones[k] = zones[k - 1];
            tzNames[k] = std::move(tzNames[k - 1]);
            offsets[k] = offsets[k - 1];
        }
        labels[at] = std::move(text);
        zones[at] = code;
        tzNames[at] = std::move(tzName);
        offsets[at] = offset;
        settings.m_worldCount = i + 1;
    }
}

} // namespace chronivo

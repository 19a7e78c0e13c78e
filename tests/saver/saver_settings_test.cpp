#include "saver/saver_settings.h"

#include "settings/option_table.h"
#include "settings/settings_keys.h"
#include "support/case_name.h"
#include "support/memory_profile_store.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace chronivo {
namespace {

using test::CaseName;
using test::PrintTo;

struct City {
    const char* name;
    ZoneCode zone;
};

// Stores the cities as the dialog does: "WTcount", then "WTtext%d" and "WTzone%d" per entry.
void StoreCities(MemoryProfileStore& store, const std::vector<City>& cities, int count) {
    ASSERT_TRUE(WriteInt(store, keys::WTcount, count));
    for (int i = 0; i < static_cast<int>(cities.size()); ++i) {
        ASSERT_TRUE(WriteString(store, WorldTextKey(i), QString::fromUtf8(cities[i].name)));
        ASSERT_TRUE(WriteInt(store, WorldZoneKey(i), cities[i].zone));
    }
}

std::vector<std::string> Labels(const SaverSettings& s) {
    std::vector<std::string> labels;
    for (int i = 0; i < s.m_worldCount; ++i) {
        labels.push_back(s.m_worldEntries[static_cast<std::size_t>(i)].m_label);
    }
    return labels;
}

std::vector<ZoneCode> Zones(const SaverSettings& s) {
    std::vector<ZoneCode> zones;
    for (int i = 0; i < s.m_worldCount; ++i) {
        zones.push_back(s.m_worldEntries[static_cast<std::size_t>(i)].m_zone);
    }
    return zones;
}

// 2026-01-15 12:00 UTC and 2026-07-15 12:00 UTC: the moments the settings are read at.
constexpr std::int64_t kJanuary = 1768478400;
constexpr std::int64_t kJuly = 1784116800;

QString Path(const char* key) {
    return QStringLiteral("ScreenSaver/") + QString::fromLatin1(key);
}

TEST(ReadSaverSettings, NothingStoredGivesTheSaversDefaults) {
    // A fresh account: everything 0 or empty, except the speed, which is 600 for the saver.
    MemoryProfileStore store;
    const SaverSettings s = ReadSaverSettings(store, kJanuary);
    EXPECT_EQ(s.m_countdownMode, 0);
    EXPECT_EQ(s.m_title, "");
    EXPECT_EQ(s.m_targetYear, 0);
    EXPECT_EQ(s.m_targetMonth, 0);
    EXPECT_EQ(s.m_targetDay, 0);
    EXPECT_EQ(s.m_targetHour, 0);
    EXPECT_EQ(s.m_targetMinute, 0);
    EXPECT_EQ(s.m_targetSecond, 0);
    EXPECT_EQ(s.m_speed, 600);
    EXPECT_EQ(s.m_rainbow, 0);
    EXPECT_EQ(s.m_showSeconds, 0);
    EXPECT_EQ(s.m_24Hour, 0);
    EXPECT_EQ(s.m_worldCount, 0);
    EXPECT_EQ(s.m_worldTime, 0);
}

TEST(ReadSaverSettings, StoredValuesAreReadIntoTheirFields) {
    // Every key lands in its own field, unchanged; the title keeps its non-ASCII letters.
    MemoryProfileStore store;
    ASSERT_TRUE(WriteInt(store, keys::Option, 4));
    ASSERT_TRUE(WriteString(store, keys::Title, QStringLiteral("Été, \"Ünd\" = 日本 ")));
    ASSERT_TRUE(WriteInt(store, keys::Year, 2150));
    ASSERT_TRUE(WriteInt(store, keys::Month, 2));
    ASSERT_TRUE(WriteInt(store, keys::Day, 29));
    ASSERT_TRUE(WriteInt(store, keys::Hour, 23));
    ASSERT_TRUE(WriteInt(store, keys::Minute, 59));
    ASSERT_TRUE(WriteInt(store, keys::Second, 58));
    ASSERT_TRUE(WriteInt(store, keys::Speed, 857));
    ASSERT_TRUE(WriteInt(store, keys::Rainbow, 1));
    ASSERT_TRUE(WriteInt(store, keys::ShowSec, 1));
    ASSERT_TRUE(WriteInt(store, keys::Hour24, 1));
    ASSERT_TRUE(WriteInt(store, keys::WorldTime, 1));
    StoreCities(store, {{"Paris", 7201}}, 1);

    const SaverSettings s = ReadSaverSettings(store, kJanuary);
    EXPECT_EQ(s.m_countdownMode, 4);
    EXPECT_EQ(s.m_title, "Été, \"Ünd\" = 日本 ");
    EXPECT_EQ(s.m_targetYear, 2150);
    EXPECT_EQ(s.m_targetMonth, 2);
    EXPECT_EQ(s.m_targetDay, 29);
    EXPECT_EQ(s.m_targetHour, 23);
    EXPECT_EQ(s.m_targetMinute, 59);
    EXPECT_EQ(s.m_targetSecond, 58);
    EXPECT_EQ(s.m_speed, 857);
    EXPECT_EQ(s.m_rainbow, 1);
    EXPECT_EQ(s.m_showSeconds, 1);
    EXPECT_EQ(s.m_24Hour, 1);
    EXPECT_EQ(s.m_worldTime, 1);
    EXPECT_EQ(Labels(s), std::vector<std::string>{"Paris"});
    EXPECT_EQ(Zones(s), std::vector<ZoneCode>{7201});
}

TEST(ReadSaverSettings, ValuesAreNotValidated) {
    // The saver takes what is stored, out-of-range values included (a speed of 0, month 13).
    MemoryProfileStore store;
    ASSERT_TRUE(WriteInt(store, keys::Speed, 0));
    ASSERT_TRUE(WriteInt(store, keys::Month, 13));
    ASSERT_TRUE(WriteInt(store, keys::Option, -7));
    const SaverSettings s = ReadSaverSettings(store, kJanuary);
    EXPECT_EQ(s.m_speed, 0);
    EXPECT_EQ(s.m_targetMonth, 13);
    EXPECT_EQ(s.m_countdownMode, -7);
}

TEST(ReadSaverSettings, ReadsInTheSaversOrder) {
    // The saver's reading order: the target, speed and flags, the cities entry by entry,
    // "WorldTime", then the further options; the cities are read although world time is off.
    MemoryProfileStore store;
    StoreCities(store, {{"Oslo", 7201}, {"Lima", -36000}}, 2);
    store.ClearReadLog();
    ReadSaverSettings(store, kJanuary);
    const QStringList expected = {
        Path("Option"),     Path("Title"),   Path("Year"),       Path("Month"),   Path("Day"),
        Path("Hour"),       Path("Minute"),  Path("Second"),     Path("Speed"),   Path("Rainbow"),
        Path("ShowSec"),    Path("24Hour"),  Path("WTcount"),    Path("WTtext0"), Path("WTzone0"),
        Path("WTtz0"),      Path("WTtext1"), Path("WTzone1"),    Path("WTtz1"),   Path("WorldTime"),
        Path("AllScreens"), Path("Drift"),   Path("LocalNames"), Path("Dark"),    Path("Font"),
        Path("Outline")};
    EXPECT_EQ(store.ReadLog(), expected);
}

struct FlagCase {
    const char* stored; // as the settings file holds it; null: nothing stored
    bool on;
    const char* fact;
};

TEST(ReadSaverSettings, EachOnOffOptionIsReadIntoItsOwnFlag) {
    // Each row of "More options..." into its own flag and no other. Which stored values count as
    // on is ReadFlag's rule, tested with it.
    const FlagCase cases[] = {
        {"7", true, "on"},
        {"0", false, "off"},
        {nullptr, false, "nothing stored"},
    };
    for (const MoreOption& option : kMoreOptions) {
        if (option.flag == nullptr) {
            continue;
        }
        for (const FlagCase& c : cases) {
            MemoryProfileStore store;
            if (c.stored != nullptr) {
                ASSERT_TRUE(WriteString(store, option.key, QString::fromLatin1(c.stored)));
            }
            const SaverSettings s = ReadSaverSettings(store, kJanuary);
            for (const MoreOption& other : kMoreOptions) {
                if (other.flag != nullptr) {
                    EXPECT_EQ(s.*other.flag, &other == &option && c.on)
                        << option.key.name << " " << c.fact << ": " << other.key.name;
                }
            }
        }
    }
}

TEST(ReadSaverSettings, TheFontIsKeptAsStored) {
    // "Font" is the one text among the further options; its reading is ParseFontSetting's.
    MemoryProfileStore store;
    ASSERT_TRUE(WriteString(store, keys::Font, QStringLiteral(" DejaVu Serif :Bold")));
    const SaverSettings s = ReadSaverSettings(store, kJanuary);
    EXPECT_EQ(s.m_font, " DejaVu Serif :Bold");
    EXPECT_FALSE(s.m_dark || s.m_outline);
}

struct OrderCase {
    const char* fact;
    std::int64_t readAt;
    std::vector<City> saved;
    std::vector<std::string> shown;
};

class LoadWorldTimeOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(LoadWorldTimeOrder, EntriesGoFromWestToEast) {
    const OrderCase& c = GetParam();
    MemoryProfileStore store;
    StoreCities(store, c.saved, static_cast<int>(c.saved.size()));
    SaverSettings s;
    LoadWorldTimeEntries(store, s, c.readAt);
    EXPECT_EQ(Labels(s), c.shown) << c.fact;
    // Each label keeps its own code.
    for (int i = 0; i < s.m_worldCount; ++i) {
        for (const City& city : c.saved) {
            const WorldTimeEntry& entry = s.m_worldEntries[static_cast<std::size_t>(i)];
            if (entry.m_label == city.name) {
                EXPECT_EQ(entry.m_zone, city.zone) << city.name;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadWorldTimeOrder,
    ::testing::Values(
        OrderCase{"London, Tokyo, New York, Paris, Honolulu",
                  kJanuary,
                  {{"London", 1},
                   {"Tokyo", 64800},
                   {"New York", -35999},
                   {"Paris", 7201},
                   {"Honolulu", -72000}},
                  {"Honolulu", "New York", "London", "Paris", "Tokyo"}},
        // In January all three are seven hours behind UTC and keep their saved order; in July
        // Aklavik and Denver are on summer time, an hour east of Phoenix.
        OrderCase{"Aklavik, Denver, Phoenix in January",
                  kJanuary,
                  {{"Aklavik", -50399}, {"Denver", -50399}, {"Phoenix", -50400}},
                  {"Aklavik", "Denver", "Phoenix"}},
        OrderCase{"Aklavik, Denver, Phoenix in July",
                  kJuly,
                  {{"Aklavik", -50399}, {"Denver", -50399}, {"Phoenix", -50400}},
                  {"Phoenix", "Aklavik", "Denver"}},
        // The codes put Wellington and Suva at UTC and Kiritimati at + 2: their zones put them
        // at the far east, Kiritimati last.
        OrderCase{"the far east",
                  kJanuary,
                  {{"Kiritimati", 14400}, {"Lagos", 7200}, {"Suva", 0}, {"Wellington", 0}},
                  {"Lagos", "Suva", "Wellington", "Kiritimati"}},
        // Labels that are no city of the table go by their stored code's standard offset.
        OrderCase{"texts of one's own",
                  kJuly,
                  {{"Home", 7201}, {"Lagos", 7200}, {"Paris", 7201}, {"", 0}},
                  {"", "Home", "Lagos", "Paris"}},
        OrderCase{"one city", kJanuary, {{"St. John's", -17999}}, {"St. John's"}}),
    CaseName<OrderCase>);

TEST(LoadWorldTimeEntries, EachEntryKeepsItsOwnZoneNameAndCode) {
    // Places of one's own with their tz zones ("WTtz%d") among plain labels, stored in the
    // dialog's (alphabetical) order; on 15 January 2026 the names go west to east with them.
    const struct {
        const char* label;
        ZoneCode zone;
        const char* tzName;
    } stored[] = {
        {"Base camp", 41400, "Asia/Kathmandu"}, // + 5:45
        {"Home", 7201, ""},                     // + 1 by its code
        {"Office", 7201, "Europe/Berlin"},      // + 1, after Home as stored
        {"Town", -36000, "America/Lima"},       // - 5
    };
    MemoryProfileStore store;
    ASSERT_TRUE(WriteInt(store, keys::WTcount, 4));
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(WriteString(store, WorldTextKey(i), QString::fromUtf8(stored[i].label)));
        ASSERT_TRUE(WriteInt(store, WorldZoneKey(i), stored[i].zone));
        if (*stored[i].tzName != '\0') {
            ASSERT_TRUE(WriteString(store, WorldTzKey(i), QString::fromUtf8(stored[i].tzName)));
        }
    }
    SaverSettings s;
    LoadWorldTimeEntries(store, s, kJanuary);
    ASSERT_EQ(s.m_worldCount, 4);
    const int shown[] = {3, 1, 2, 0}; // Town, Home, Office, Base camp
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& expected = stored[shown[i]];
        const WorldTimeEntry& entry = s.m_worldEntries[i];
        EXPECT_EQ(entry.m_label, expected.label) << i;
        EXPECT_EQ(entry.m_zone, expected.zone) << expected.label;
        EXPECT_EQ(entry.m_tzName, expected.tzName) << expected.label;
    }
}

std::vector<City> TwelveCities() {
    return {{"C0", 0},     {"C1", 7200},  {"C2", 14400}, {"C3", 21600},
            {"C4", 28800}, {"C5", 36000}, {"C6", 43200}, {"C7", 50400},
            {"C8", 57600}, {"C9", 64800}, {"C10", 1},    {"C11", 72000}};
}

TEST(LoadWorldTimeEntries, TenStoredEntriesAreAllHeld) {
    // "WTcount" 10: all ten entries, from west to east.
    MemoryProfileStore store;
    const std::vector<City> cities = TwelveCities();
    StoreCities(store, cities, 10);
    SaverSettings s;
    LoadWorldTimeEntries(store, s, kJanuary);
    EXPECT_EQ(s.m_worldCount, 10);
    EXPECT_EQ(Labels(s), (std::vector<std::string>{"C0", "C1", "C2", "C3", "C4", "C5", "C6", "C7",
                                                   "C8", "C9"}));
    EXPECT_FALSE(store.ReadLog().contains(Path("WTtext10")));
}

TEST(LoadWorldTimeEntries, ACountAboveTenHoldsTheFirstTenAndReadsNoFurtherKeys) {
    // "WTcount" 11 (never written by the dialog): entries 0 to 9 are held; the keys of entries
    // 10 and 11 are never read, so C10 and C11 are not among the cities.
    MemoryProfileStore store;
    StoreCities(store, TwelveCities(), 11);
    store.ClearReadLog();
    SaverSettings s;
    LoadWorldTimeEntries(store, s, kJanuary);
    EXPECT_EQ(s.m_worldCount, 10);
    for (const std::string& label : Labels(s)) {
        EXPECT_NE(label, "C10");
        EXPECT_NE(label, "C11");
    }
    EXPECT_FALSE(store.ReadLog().contains(Path("WTtext10")));
    EXPECT_FALSE(store.ReadLog().contains(Path("WTzone10")));
    EXPECT_TRUE(store.ReadLog().contains(Path("WTzone9")));
}

TEST(LoadWorldTimeEntries, AHugeCountIsCutToTen) {
    // The largest 32-bit count still holds ten entries and stops reading after the tenth.
    MemoryProfileStore store;
    StoreCities(store, TwelveCities(), 2147483647);
    store.ClearReadLog();
    SaverSettings s;
    LoadWorldTimeEntries(store, s, kJanuary);
    EXPECT_EQ(s.m_worldCount, 10);
    EXPECT_EQ(store.ReadLog().size(), 1 + 3 * 10);
}

class LoadWorldTimeEmpty : public ::testing::TestWithParam<int> {};

TEST_P(LoadWorldTimeEmpty, NoEntryKeyIsRead) {
    // "WTcount" 0 or negative: no entries, although entries are stored, and no entry key read.
    MemoryProfileStore store;
    StoreCities(store, {{"Oslo", 7201}, {"Lima", -36000}}, GetParam());
    store.ClearReadLog();
    SaverSettings s;
    s.m_worldCount = 3; // whatever was there before is dropped
    LoadWorldTimeEntries(store, s, kJanuary);
    EXPECT_EQ(s.m_worldCount, 0);
    EXPECT_EQ(store.ReadLog(), QStringList{Path("WTcount")});
}

INSTANTIATE_TEST_SUITE_P(Counts, LoadWorldTimeEmpty, ::testing::Values(0, -1, -2147483647 - 1));

TEST(LoadWorldTimeEntries, AMissingCountHoldsNone) {
    // No "WTcount" stored: no entries, even with entry keys present.
    MemoryProfileStore store;
    ASSERT_TRUE(WriteString(store, WorldTextKey(0), QStringLiteral("Oslo")));
    SaverSettings s;
    LoadWorldTimeEntries(store, s, kJanuary);
    EXPECT_EQ(s.m_worldCount, 0);
}

TEST(LoadWorldTimeEntries, MissingEntryKeysGiveAnEmptyLabelAtUtc) {
    // "WTcount" 2 with only entry 1 stored: entry 0 reads as the empty text with code 0, at UTC,
    // west of Tokyo.
    MemoryProfileStore store;
    ASSERT_TRUE(WriteInt(store, keys::WTcount, 2));
    ASSERT_TRUE(WriteString(store, WorldTextKey(1), QStringLiteral("Tokyo")));
    ASSERT_TRUE(WriteInt(store, WorldZoneKey(1), 64800));
    SaverSettings s;
    LoadWorldTimeEntries(store, s, kJanuary);
    EXPECT_EQ(Labels(s), (std::vector<std::string>{"", "Tokyo"}));
    EXPECT_EQ(Zones(s), (std::vector<ZoneCode>{0, 64800}));
}

TEST(LoadWorldTimeEntries, EntriesAtOrAboveTheCountAreIgnored) {
    // An earlier save left three cities; the count now says one: only the first is held and
    // the slots after it are empty.
    MemoryProfileStore store;
    StoreCities(store, {{"Oslo", 7201}, {"Lima", -36000}, {"Perth", 57600}}, 1);
    SaverSettings s;
    LoadWorldTimeEntries(store, s, kJanuary);
    EXPECT_EQ(Labels(s), std::vector<std::string>{"Oslo"});
    EXPECT_EQ(s.m_worldEntries[1].m_label, "");
    EXPECT_EQ(s.m_worldEntries[1].m_zone, 0);
    EXPECT_EQ(s.m_worldEntries[1].m_tzName, "");
}

} // namespace
} // namespace chronivo

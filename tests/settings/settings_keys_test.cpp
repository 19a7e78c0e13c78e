#include "settings/settings_keys.h"

#include "settings/profile_store.h"
#include "settings_test_env.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <string>

namespace chronivo {
namespace {

// Every case runs in its own temporary XDG_CONFIG_HOME.
class SettingsKeysTest : public test::SettingsTest {};

struct DefaultCase {
    const SettingKey* key;
    int dialogDefault;
    int saverDefault;
};

// With nothing stored, every integer key reads as its reader's default: 0 everywhere except
// "Speed", which the dialog reads as 1000 and the saver as 600.
const DefaultCase kDefaults[] = {
    {&keys::Option, 0, 0},    {&keys::Hour24, 0, 0},     {&keys::ShowSec, 0, 0},
    {&keys::WorldTime, 0, 0}, {&keys::Speed, 1000, 600}, {&keys::Rainbow, 0, 0},
    {&keys::Year, 0, 0},      {&keys::Month, 0, 0},      {&keys::Day, 0, 0},
    {&keys::Hour, 0, 0},      {&keys::Minute, 0, 0},     {&keys::Second, 0, 0},
    {&keys::WTcount, 0, 0},
};

TEST_F(SettingsKeysTest, FreshProfileGivesEachReadersDefaults) {
    for (const DefaultCase& c : kDefaults) {
        SCOPED_TRACE(c.key->name);
        EXPECT_EQ(ReadInt(*m_store, *c.key, Reader::Dialog), c.dialogDefault);
        EXPECT_EQ(ReadInt(*m_store, *c.key, Reader::Saver), c.saverDefault);
    }
    // The title and the world-time entries are texts; with nothing stored they read as "".
    EXPECT_EQ(ReadString(*m_store, keys::Title), QString());
    EXPECT_EQ(ReadString(*m_store, keys::WTtext, WorldTextKey(0)), QString());
    // The saver reads the zone keys with 0.
    EXPECT_EQ(ReadInt(*m_store, keys::WTzone, WorldZoneKey(0), Reader::Saver), 0);
}

TEST_F(SettingsKeysTest, StoredSpeedWinsOverBothDefaults) {
    // Once the dialog has stored a speed, both readers see that value, not their defaults.
    ASSERT_TRUE(WriteInt(*m_store, keys::Speed, 857));
    EXPECT_EQ(ReadInt(*m_store, keys::Speed, Reader::Dialog), 857);
    EXPECT_EQ(ReadInt(*m_store, keys::Speed, Reader::Saver), 857);
}

struct NameCase {
    int index;
    const char* text;
    const char* zone;
};

// The entry's index goes in plain decimal, counting from 0: the first entry is WTtext0/WTzone0,
// the tenth WTtext9/WTzone9.
const NameCase kNames[] = {
    {0, "WTtext0", "WTzone0"},
    {1, "WTtext1", "WTzone1"},
    {9, "WTtext9", "WTzone9"},
    {10, "WTtext10", "WTzone10"},
};

TEST(SettingsKeyNames, IndexInPlainDecimal) {
    for (const NameCase& c : kNames) {
        EXPECT_EQ(WorldTextKey(c.index), QString::fromLatin1(c.text));
        EXPECT_EQ(WorldZoneKey(c.index), QString::fromLatin1(c.zone));
    }
}

TEST_F(SettingsKeysTest, EntriesAreStoredUnderTheirNumberedKeysInTheSection) {
    // A world-time entry written through the table lands in [ScreenSaver] under WTtext3/WTzone3,
    // where another QSettings reader finds it by that name.
    ASSERT_TRUE(WriteString(*m_store, WorldTextKey(3), QStringLiteral("Tokyo")));
    ASSERT_TRUE(WriteInt(*m_store, WorldZoneKey(3), 64800));
    QSettings raw(IniPath(), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("ScreenSaver/WTtext3")).toString(), QStringLiteral("Tokyo"));
    EXPECT_EQ(raw.value(QStringLiteral("ScreenSaver/WTzone3")).toString(), QStringLiteral("64800"));
    EXPECT_EQ(ReadString(*m_store, keys::WTtext, WorldTextKey(3)), QStringLiteral("Tokyo"));
    EXPECT_EQ(ReadInt(*m_store, keys::WTzone, WorldZoneKey(3), Reader::Saver), 64800);
}

TEST_F(SettingsKeysTest, EveryTableKeyRoundTripsUnderItsOwnName) {
    // Each integer key written through the table reads back with its own value, so no two keys
    // share a name and none is spelt two ways.
    int value = 100;
    for (const DefaultCase& c : kDefaults)
        ASSERT_TRUE(WriteInt(*m_store, *c.key, ++value)) << c.key->name;
    value = 100;
    for (const DefaultCase& c : kDefaults)
        EXPECT_EQ(ReadInt(*m_store, *c.key, Reader::Saver), ++value) << c.key->name;
    QSettings raw(IniPath(), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("ScreenSaver/24Hour")).toString(), QStringLiteral("102"));
}

struct PathCase {
    const char* xdg;
    const char* home;
    const char* expected;
};

// $XDG_CONFIG_HOME when it is an absolute path; when it is unset, empty or relative (which the
// XDG rules say to ignore), ~/.config.
const PathCase kPaths[] = {
    {"/x/cfg", "/home/ann", "/x/cfg/Velstrand/Utilities/Chronivo.conf"},
    {"/x/cfg/", "/home/ann", "/x/cfg/Velstrand/Utilities/Chronivo.conf"},
    {"", "/home/ann", "/home/ann/.config/Velstrand/Utilities/Chronivo.conf"},
    {"cfg", "/home/ann", "/home/ann/.config/Velstrand/Utilities/Chronivo.conf"},
    {"", "/", "/.config/Velstrand/Utilities/Chronivo.conf"},
};

TEST(SettingsIniPath, FollowsXdgConfigHome) {
    for (const PathCase& c : kPaths) {
        SCOPED_TRACE(c.xdg);
        EXPECT_EQ(
            QSettingsStore::IniPathFor(QString::fromLatin1(c.xdg), QString::fromLatin1(c.home)),
            QString::fromLatin1(c.expected));
    }
}

TEST_F(SettingsKeysTest, CurrentUserStoreUsesTheXdgConfigHomeOfTheEnvironment) {
    // DefaultIniPath reads XDG_CONFIG_HOME when it is asked: the fixture pointed it at a
    // temporary folder.
    EXPECT_EQ(QSettingsStore::DefaultIniPath(), IniPath());
    EXPECT_EQ(m_store->Location(), IniPath());
}

struct FontCase {
    std::string stored;
    FontChoice choice;
    const char* fact;
};

TEST(FontSettingTest, FamilyAndBoldOrTheDefault) {
    const FontCase cases[] = {
        {"", {}, "empty: the platform's default"},
        {"DejaVu Serif", {"DejaVu Serif", false}, "a family"},
        {"DejaVu Serif:bold", {"DejaVu Serif", true}, "a family in bold"},
        {" DejaVu Serif : BOLD ", {"DejaVu Serif", true}, "blanks and case do not matter"},
        {":bold", {"", true}, "the default family in bold"},
        {"DejaVu Serif:italic", {"DejaVu Serif", false}, "another style is ignored"},
        {"Bad\x01Name", {}, "a control character: the default"},
        {std::string(201, 'x'), {}, "longer than 200 characters: the default"},
        {"Bad\xff", {}, "bytes that are no UTF-8: the default"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseFontSetting(c.stored), c.choice) << c.fact;
    }
    EXPECT_EQ(ParseFontSetting(std::string(200, 'x')).family.size(), 200) << "200 are kept";
    // What the dialog stores reads back as the same choice.
    for (const FontChoice& choice :
         {FontChoice{}, FontChoice{"DejaVu Serif", true}, FontChoice{"Noto Sans CJK JP", false}}) {
        EXPECT_EQ(ParseFontSetting(FontSettingText(choice).toStdString()), choice);
    }
}

} // namespace
} // namespace chronivo

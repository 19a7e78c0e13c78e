// Pressing OK: what the configuration dialog stores, in what order, under which conditions.
#include "dialog_fixture.h"
#include "time/world_time.h"

#include <QDateEdit>
#include <QLineEdit>

#include <algorithm>

namespace chronivo {
namespace {
ZoneCode ZoneOf(const QString& name) {
    for (const WorldCity& city : WorldCityTable) {
        if (name == QString::fromLatin1(city.name)) {
            return city.zone;
        }
    }
    ADD_FAILURE() << "no city " << name.toStdString();
    return 0;
}

TEST_F(DialogTest, FarTargetUnchangedIsStoredUnchanged) {
    StoreTarget(4, 2150, 2, 29, 13, 5, 0);
    Open();
    ClickOk();
    EXPECT_TRUE(Accepted());
    EXPECT_EQ(StoredInt(keys::Option), 4);
    ExpectStoredTarget(2150, 2, 29, 13, 5, 0);
    EXPECT_TRUE(m_dialog->m_messages.isEmpty());
}

TEST_F(DialogTest, WritesEveryKeyInTheStoresOrder) {
    StoreTarget(4, 2150, 2, 29, 13, 5, 0);
    m_store.PutInt(QStringLiteral("WorldTime"), 1);
    m_store.PutInt(QStringLiteral("WTcount"), 2);
    m_store.PutString(QStringLiteral("WTtext0"), QStringLiteral("Tokyo"));
    m_store.PutString(QStringLiteral("WTtext1"), QStringLiteral("Lima"));
    Open();
    ClickOk();
    // Flags and speed, the entries, the target, and the title last.
    EXPECT_EQ(WrittenKeys(),
              QStringList({"Option",  "24Hour",  "ShowSec",   "WorldTime", "Speed",   "Rainbow",
                           "WTcount", "WTtext0", "WTzone0",   "WTtz0",     "WTtext1", "WTzone1",
                           "WTtz1",   "Year",    "Month",     "Day",       "Hour",    "Minute",
                           "Second",  "Title",   "StartAfter"}));
}

TEST_F(DialogTest, StoresTheDefaultsWhenNothingWasStored) {
    Open();
    ClickOk();
    EXPECT_TRUE(Accepted());
    EXPECT_EQ(WrittenKeys(), QStringList({"Option", "24Hour", "ShowSec", "WorldTime", "Speed",
                                          "Rainbow", "Title", "StartAfter"}));
    EXPECT_EQ(StoredInt(keys::Option), 0);
    EXPECT_EQ(StoredInt(keys::Hour24), 0);
    EXPECT_EQ(StoredInt(keys::ShowSec), 0);
    EXPECT_EQ(StoredInt(keys::WorldTime), 0);
    EXPECT_EQ(StoredInt(keys::Speed), 1000);
    EXPECT_EQ(StoredInt(keys::Rainbow), 0);
    EXPECT_EQ(StoredInt(keys::StartAfter), 0);
    EXPECT_TRUE(m_store.Contains(QStringLiteral("Title")));
    EXPECT_EQ(StoredString(QStringLiteral("Title")), QString());
}

TEST_F(DialogTest, StoresTheFlagsAndTitleTheUserSet) {
    Open();
    ChooseMode(1);
    Click("use24Hour");
    Click("useSeconds");
    Click("useRainbow");
    Type("m_titleEdit", QStringLiteral(" Lift-off, \"soon\" "));
    ClickOk();
    EXPECT_EQ(StoredInt(keys::Option), 1);
    EXPECT_EQ(StoredInt(keys::Hour24), 1);
    EXPECT_EQ(StoredInt(keys::ShowSec), 1);
    EXPECT_EQ(StoredInt(keys::Rainbow), 1);
    EXPECT_EQ(StoredString(QStringLiteral("Title")), QStringLiteral(" Lift-off, \"soon\" "));
}

TEST_F(DialogTest, ATitleLeftAloneIsWrittenBackWhole) {
    // The edit box holds at most 32,767 characters; a longer stored title the user did not
    // touch goes back whole, while one the user edits is what the box then holds.
    const QString longTitle(40000, u't');
    for (const bool edit : {false, true}) {
        m_store.PutString(QStringLiteral("Title"), longTitle);
        Open();
        ChooseMode(1);
        if (edit) {
            Type("m_titleEdit", QStringLiteral("Short"));
        }
        ClickOk();
        EXPECT_EQ(StoredString(QStringLiteral("Title")),
                  edit ? QStringLiteral("Short") : longTitle);
    }
}

TEST_F(DialogTest, NearTargetStoresThePickersYearWhateverTheYearBoxShows) {
    StoreTarget(3, 2030, 6, 1, 9, 0, 0);
    Open();
    TypeDate(QDate(2027, 12, 24));
    ASSERT_EQ(Find<QDateEdit>("m_datePicker")->date(), QDate(2027, 12, 24));
    EXPECT_EQ(Find<QLineEdit>("m_yearEdit")->text(), QStringLiteral("2030"));
    ClickOk();
    ExpectStoredTarget(2027, 12, 24, 9, 0, 0);
}

TEST_F(DialogTest, FarTargetStoresTheYearBoxYearAndThePickersMonthAndDay) {
    Open();
    EnterFarTarget();
    ClickOk();
    EXPECT_EQ(StoredInt(keys::Option), 4);
    ExpectStoredTarget(2150, 2, 29, 13, 5, 0);
}

struct DateCase {
    QDate date;
    QTime time;
    const char* fact;
};

TEST_F(DialogTest, StoresTargetsBefore1970AndAfter2038) {
    const DateCase cases[] = {
        {{1969, 7, 20}, {22, 56, 0}, "before 1970"},
        {{1601, 1, 1}, {0, 0, 1}, "the picker's first day"},
        {{2038, 1, 19}, {4, 14, 8}, "one second past the end of 32-bit time in Paris"},
        {{2040, 2, 29}, {6, 7, 8}, "a leap day after 2038"},
        {{9999, 12, 31}, {23, 59, 59}, "the picker's last moment"},
    };
    for (const DateCase& c : cases) {
        m_store.PutInt(QStringLiteral("Option"), 3);
        Open();
        TypeDate(c.date);
        TypeTime(c.time);
        ClickOk();
        ExpectStoredTarget(c.date.year(), c.date.month(), c.date.day(), c.time.hour(),
                           c.time.minute(), c.time.second());
    }
}

TEST_F(DialogTest, AStoredTargetTheClocksSkipIsMovedOnAsMktimeMovesIt) {
    // Paris: on 2026-03-29 the clocks jump from 02:00 to 03:00, so 02:30 never happens and is
    // shown and stored as 03:30; on 2026-10-25 02:30 happens twice and stays as it is.
    const struct {
        int day;
        int month;
        QTime shown;
    } cases[] = {{29, 3, {3, 30}}, {25, 10, {2, 30}}};
    for (const auto& c : cases) {
        StoreTarget(3, 2026, c.month, c.day, 2, 30, 0);
        Open();
        EXPECT_EQ(Find<QTimeEdit>("m_timePicker")->time(), c.shown) << c.month;
        ClickOk();
        ExpectStoredTarget(2026, c.month, c.day, c.shown.hour(), 30, 0);
    }
}

TEST_F(DialogTest, ChangingTheModeKeepsTheTargetTheControlsHold) {
    StoreTarget(4, 2150, 2, 29, 13, 5, 0);
    Open();
    // Through a mode that disables the target controls and back.
    ChooseMode(1);
    ChooseMode(4);
    ClickOk();
    ExpectStoredTarget(2150, 2, 29, 13, 5, 0);
}

TEST_F(DialogTest, ModesWithoutATargetLeaveTheTargetKeysAsTheyWere) {
    for (const int mode : {0, 1, 2, 5}) {
        StoreTarget(mode, 1999, 12, 31, 23, 59, 58);
        Open();
        m_store.ClearLogs();
        ClickOk();
        EXPECT_TRUE(Accepted()) << "mode " << mode;
        EXPECT_EQ(StoredInt(keys::Option), mode);
        ExpectStoredTarget(1999, 12, 31, 23, 59, 58);
        // None of the six was even written, and the title still was, last but one.
        for (const char* key : {"Year", "Month", "Day", "Hour", "Minute", "Second"}) {
            EXPECT_FALSE(WrittenKeys().contains(QString::fromLatin1(key))) << key;
        }
        EXPECT_EQ(WrittenKeys().mid(WrittenKeys().size() - 2),
                  QStringList({"Title", "StartAfter"}));
    }
}

TEST_F(DialogTest, UnknownStoredModeIsWrittenBackUnchanged) {
    m_store.PutInt(QStringLiteral("Option"), 7);
    Open();
    ClickOk();
    EXPECT_EQ(StoredInt(keys::Option), 7);
    EXPECT_FALSE(WrittenKeys().contains(QStringLiteral("Year")));
}

struct CitiesCase {
    int clicked;
    const char* fact;
};

TEST_F(DialogTest, StoresTheFirstTenSelectedCitiesInListOrder) {
    // Clicked out of order; the list keeps them alphabetical.
    const QStringList clickOrder = {"Zurich", "Tokyo",  "Lima",   "Paris", "Oslo",   "Cairo",
                                    "Dublin", "Berlin", "Sydney", "Rome",  "Vienna", "Madrid"};
    const CitiesCase cases[] = {{11, "eleven selected: the last in the list is dropped"},
                                {12, "twelve selected: the last two are dropped"}};
    for (const CitiesCase& c : cases) {
        m_store = RecordingStore();
        Open();
        Click("useWorldTime");
        QStringList clicked;
        for (int i = 0; i < c.clicked; ++i) {
            const QString& name = clickOrder.at(i);
            ClickCity(name);
            clicked << name;
        }
        ASSERT_EQ(SelectedCities().size(), c.clicked) << c.fact;
        ClickOk();
        std::sort(clicked.begin(), clicked.end(), [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
        EXPECT_EQ(StoredInt(keys::WTcount), 10) << c.fact;
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(StoredString(WorldTextKey(i)), clicked.at(i)) << c.fact << " entry " << i;
            EXPECT_EQ(ReadInt(m_store, keys::WTzone, WorldZoneKey(i), Reader::Saver),
                      ZoneOf(clicked.at(i)))
                << c.fact << " entry " << i;
        }
        EXPECT_FALSE(m_store.Contains(WorldTextKey(10))) << c.fact;
        EXPECT_FALSE(m_store.Contains(WorldZoneKey(10))) << c.fact;
    }
}

TEST_F(DialogTest, AClickOnASelectedCityDeselectsIt) {
    m_store.PutInt(QStringLiteral("WorldTime"), 1);
    m_store.PutInt(QStringLiteral("WTcount"), 2);
    m_store.PutString(QStringLiteral("WTtext0"), QStringLiteral("Paris"));
    m_store.PutString(QStringLiteral("WTtext1"), QStringLiteral("Tokyo"));
    Open();
    ClickCity(QStringLiteral("Paris"));
    ClickCity(QStringLiteral("Honolulu"));
    ClickOk();
    EXPECT_EQ(StoredInt(keys::WTcount), 2);
    EXPECT_EQ(StoredString(WorldTextKey(0)), QStringLiteral("Honolulu"));
    EXPECT_EQ(ReadInt(m_store, keys::WTzone, WorldZoneKey(0), Reader::Saver), -72000);
    EXPECT_EQ(StoredString(WorldTextKey(1)), QStringLiteral("Tokyo"));
    EXPECT_EQ(ReadInt(m_store, keys::WTzone, WorldZoneKey(1), Reader::Saver), 64800);
}

TEST_F(DialogTest, WorldTimeWithoutSelectionStoresACountOfZeroAndKeepsOldEntries) {
    m_store.PutInt(QStringLiteral("WTcount"), 2);
    m_store.PutString(QStringLiteral("WTtext0"), QStringLiteral("Paris"));
    m_store.PutInt(QStringLiteral("WTzone0"), 7201);
    Open();
    Click("useWorldTime");
    ClickOk();
    EXPECT_EQ(StoredInt(keys::WorldTime), 1);
    EXPECT_EQ(StoredInt(keys::WTcount), 0);
    EXPECT_FALSE(WrittenKeys().contains(QStringLiteral("WTtext0")));
    EXPECT_EQ(StoredString(WorldTextKey(0)), QStringLiteral("Paris"));
}

TEST_F(DialogTest, WorldTimeOffLeavesTheEntriesUntouched) {
    m_store.PutInt(QStringLiteral("WorldTime"), 1);
    m_store.PutInt(QStringLiteral("WTcount"), 1);
    m_store.PutString(QStringLiteral("WTtext0"), QStringLiteral("Paris"));
    m_store.PutInt(QStringLiteral("WTzone0"), 7201);
    Open();
    Click("useWorldTime");
    ClickOk();
    EXPECT_EQ(StoredInt(keys::WorldTime), 0);
    for (const QString& key : WrittenKeys()) {
        EXPECT_FALSE(key.startsWith(QStringLiteral("WT"))) << key.toStdString();
    }
    EXPECT_EQ(StoredInt(keys::WTcount), 1);
    EXPECT_EQ(StoredString(WorldTextKey(0)), QStringLiteral("Paris"));
}

struct StartAfterCase {
    int stored;        // kNone: not stored
    int blank;         // the desktop's own blank, seconds; 0: none
    bool click;        // the box clicked once
    const char* typed; // typed into the field (nullptr: nothing)
    bool slide;        // then a click on the speed slider, which shows the speed anew
    int expected;
    const char* fact;
};
constexpr int kNone = -999;

TEST_F(DialogTest, StoresTheStartAfterMinutesOrZeroWhenTheBoxIsOff) {
    const StartAfterCase cases[] = {
        {kNone, 0, false, nullptr, false, 0, "left off: 0"},
        {kNone, 0, true, nullptr, false, 10, "checked: the field's 10"},
        {kNone, 0, true, "90", false, 90, "checked with 90 typed"},
        {kNone, 0, true, "90", true, 90, "a release of the slider afterwards changes neither"},
        {kNone, 0, true, "0", false, 1, "a time below the range is the shortest"},
        {kNone, 0, true, "2000", false, 200, "a digit that would go past a day is refused"},
        {25, 0, false, nullptr, false, 25, "a stored time left alone"},
        {25, 0, true, nullptr, false, 0, "a stored time switched off: 0"},
        {5000, 0, false, nullptr, false, 1440, "a stored time beyond a day goes back as a day"},
        {kNone, 300, true, nullptr, false, 4, "checked under GNOME's blank: the field's 4"},
        {10, 300, false, nullptr, false, 10, "a stored time is stored again, though later"},
    };
    for (const StartAfterCase& c : cases) {
        m_store = RecordingStore();
        if (c.stored != kNone) {
            m_store.PutInt(QStringLiteral("StartAfter"), c.stored);
        }
        m_desktopBlank = c.blank > 0 ? std::optional<DesktopBlank>({c.blank, {}}) : std::nullopt;
        Open();
        if (c.click) {
            Click("startAfter");
        }
        if (c.typed != nullptr) {
            Type("m_startAfterEdit", QString::fromLatin1(c.typed));
        }
        if (c.slide) {
            Click("m_speedSlider");
        }
        ClickOk();
        EXPECT_TRUE(Accepted()) << c.fact;
        EXPECT_EQ(StoredInt(keys::StartAfter), c.expected) << c.fact;
        EXPECT_TRUE(m_dialog->m_messages.isEmpty()) << c.fact;
    }
}

} // namespace
} // namespace chronivo

// Opening the configuration dialog: what it reads and shows from the store.
#include "dialog_fixture.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>

namespace chronivo {
namespace {

TEST_F(DialogTest, NothingStoredShowsTheDefaultsAndThePresentMoment) {
    Open();
    // Mode "None": every target control off, the countdown controls shown, the list hidden.
    EXPECT_EQ(Find<QComboBox>("m_modeCombo")->currentIndex(), 0);
    for (const char* name : {"m_datePicker", "m_timePicker", "m_yearEdit", "m_titleEdit"}) {
        EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
    }
    for (const char* name :
         {"m_modeCombo", "m_titleEdit", "m_yearEdit", "m_timePicker", "m_datePicker"}) {
        EXPECT_TRUE(Find<QWidget>(name)->isVisible()) << name;
    }
    EXPECT_FALSE(Find<QWidget>("m_cityList")->isVisible());
    // The injected now in Paris: Sunday 17 May 2026, 12:20:30 summer time.
    EXPECT_EQ(Find<QDateEdit>("m_datePicker")->date(), QDate(2026, 5, 17));
    EXPECT_EQ(Find<QTimeEdit>("m_timePicker")->time(), QTime(12, 20, 30));
    EXPECT_EQ(Find<QLineEdit>("m_yearEdit")->text(), QStringLiteral("2026"));
    EXPECT_EQ(Find<QLineEdit>("m_titleEdit")->text(), QString());
    for (const char* name :
         {"use24Hour", "useSeconds", "useWorldTime", "useRainbow", "startAfter"}) {
        EXPECT_FALSE(Find<QCheckBox>(name)->isChecked()) << name;
    }
    EXPECT_EQ(Find<QSlider>("m_speedSlider")->value(), 1000);
    EXPECT_EQ(Find<QLabel>("speedText")->text(), QStringLiteral("cycle in 10.00 minutes"));
}

TEST_F(DialogTest, ReadsTheSettingsInItsOrder) {
    m_store.PutInt(QStringLiteral("WorldTime"), 1);
    m_store.PutInt(QStringLiteral("WTcount"), 2);
    m_store.PutString(QStringLiteral("WTtext0"), QStringLiteral("Paris"));
    m_store.PutString(QStringLiteral("WTtext1"), QStringLiteral("Tokyo"));
    Open();
    QStringList expected;
    for (const char* key : {"Option", "24Hour", "ShowSec", "Title", "WorldTime", "Speed", "Rainbow",
                            "Year", "Month", "Day", "Hour", "Minute", "Second", "StartAfter",
                            "WTcount", "WTtext0", "WTtz0", "WTtext1", "WTtz1"}) {
        expected << QStringLiteral("ScreenSaver/") + QString::fromLatin1(key);
    }
    EXPECT_EQ(DialogReads(), expected);
    // Opening writes nothing.
    EXPECT_TRUE(m_store.Writes().isEmpty());
}

TEST_F(DialogTest, ReadsNoEntriesWhileWorldTimeIsOff) {
    m_store.PutInt(QStringLiteral("WTcount"), 2);
    Open();
    EXPECT_FALSE(DialogReads().contains(QStringLiteral("ScreenSaver/WTcount")));
    EXPECT_FALSE(DialogReads().contains(QStringLiteral("ScreenSaver/WTtext0")));
}

TEST_F(DialogTest, ReadsAtMostTenEntriesWhateverTheCount) {
    // A count the dialog never writes: only entries 0 to 9 can be stored, so no more are read.
    m_store.PutInt(QStringLiteral("WorldTime"), 1);
    m_store.PutInt(QStringLiteral("WTcount"), 2000000000);
    Open();
    EXPECT_TRUE(DialogReads().contains(QStringLiteral("ScreenSaver/WTtext9")));
    EXPECT_FALSE(m_store.Reads().contains(QStringLiteral("ScreenSaver/WTtext10")));
}

TEST_F(DialogTest, ShowsTheStoredFlagsAndTitle) {
    m_store.PutInt(QStringLiteral("Option"), 1);
    m_store.PutInt(QStringLiteral("24Hour"), 1);
    m_store.PutInt(QStringLiteral("ShowSec"), 1);
    m_store.PutInt(QStringLiteral("Rainbow"), 1);
    m_store.PutString(QStringLiteral("Title"), QStringLiteral("Launch"));
    Open();
    for (const char* name : {"use24Hour", "useSeconds", "useRainbow"}) {
        EXPECT_TRUE(Find<QCheckBox>(name)->isChecked()) << name;
    }
    EXPECT_FALSE(Find<QCheckBox>("useWorldTime")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("m_titleEdit")->text(), QStringLiteral("Launch"));
}

TEST_F(DialogTest, FarTargetShowsItsMonthAndDayInTheYear2000) {
    m_store.PutInt(QStringLiteral("Option"), 4);
    m_store.PutInt(QStringLiteral("Year"), 2150);
    m_store.PutInt(QStringLiteral("Month"), 2);
    m_store.PutInt(QStringLiteral("Day"), 29);
    m_store.PutInt(QStringLiteral("Hour"), 13);
    m_store.PutInt(QStringLiteral("Minute"), 5);
    m_store.PutInt(QStringLiteral("Second"), 0);
    Open();
    // 2150 is no leap year; 2000 is, so 29 February can be shown.
    EXPECT_EQ(Find<QDateEdit>("m_datePicker")->date(), QDate(2000, 2, 29));
    EXPECT_EQ(Find<QTimeEdit>("m_timePicker")->time(), QTime(13, 5, 0));
    EXPECT_EQ(Find<QLineEdit>("m_yearEdit")->text(), QStringLiteral("2150"));
}

TEST_F(DialogTest, NearTargetShowsItsStoredDate) {
    m_store.PutInt(QStringLiteral("Option"), 3);
    m_store.PutInt(QStringLiteral("Year"), 2027);
    m_store.PutInt(QStringLiteral("Month"), 12);
    m_store.PutInt(QStringLiteral("Day"), 24);
    m_store.PutInt(QStringLiteral("Hour"), 18);
    Open();
    EXPECT_EQ(Find<QDateEdit>("m_datePicker")->date(), QDate(2027, 12, 24));
    EXPECT_EQ(Find<QTimeEdit>("m_timePicker")->time(), QTime(18, 0, 0));
    EXPECT_EQ(Find<QLineEdit>("m_yearEdit")->text(), QStringLiteral("2027"));
}

TEST_F(DialogTest, OtherModesShowThePresentMomentWhateverTargetIsStored) {
    m_store.PutInt(QStringLiteral("Option"), 5);
    m_store.PutInt(QStringLiteral("Year"), 2030);
    m_store.PutInt(QStringLiteral("Month"), 1);
    m_store.PutInt(QStringLiteral("Day"), 2);
    Open();
    EXPECT_EQ(Find<QDateEdit>("m_datePicker")->date(), QDate(2026, 5, 17));
    EXPECT_EQ(Find<QLineEdit>("m_yearEdit")->text(), QStringLiteral("2026"));
}

struct EnableCase {
    int mode;
    bool date, time, year, title;
};

// Which target controls each mode enables.
const EnableCase kEnableTable[] = {
    {0, false, false, false, false}, {1, false, false, false, true}, {2, false, false, false, true},
    {3, true, true, false, true},    {4, true, true, true, true},    {5, false, false, false, true},
};

void ExpectEnabled(const ConfigDialog& dialog, const EnableCase& c) {
    const auto enabled = [&](const char* name) {
        return dialog.findChild<QWidget*>(QString::fromLatin1(name))->isEnabled();
    };
    EXPECT_EQ(enabled("m_datePicker"), c.date) << "mode " << c.mode;
    EXPECT_EQ(enabled("m_timePicker"), c.time) << "mode " << c.mode;
    EXPECT_EQ(enabled("m_yearEdit"), c.year) << "mode " << c.mode;
    EXPECT_EQ(enabled("m_titleEdit"), c.title) << "mode " << c.mode;
    // The combo and the check boxes are always on.
    for (const char* name :
         {"m_modeCombo", "use24Hour", "useSeconds", "useWorldTime", "useRainbow", "startAfter"}) {
        EXPECT_TRUE(enabled(name)) << name << " in mode " << c.mode;
    }
}

TEST_F(DialogTest, StoredModeEnablesItsTargetControls) {
    for (const EnableCase& c : kEnableTable) {
        m_store.PutInt(QStringLiteral("Option"), c.mode);
        Open();
        EXPECT_EQ(Find<QComboBox>("m_modeCombo")->currentIndex(), c.mode);
        ExpectEnabled(*m_dialog, c);
    }
}

TEST_F(DialogTest, PickedModeEnablesItsTargetControls) {
    Open();
    // Every mode reached from every other one, by keyboard.
    for (const EnableCase& from : kEnableTable) {
        for (const EnableCase& to : kEnableTable) {
            ChooseMode(from.mode);
            ChooseMode(to.mode);
            EXPECT_EQ(Find<QComboBox>("m_modeCombo")->currentIndex(), to.mode);
            ExpectEnabled(*m_dialog, to);
        }
    }
}

TEST_F(DialogTest, UnknownStoredModeSelectsNothingAndKeepsTheControlsAsCreated) {
    m_store.PutInt(QStringLiteral("Option"), 7);
    Open();
    EXPECT_EQ(Find<QComboBox>("m_modeCombo")->currentIndex(), -1);
    // As created: pickers and title on, Year box off.
    ExpectEnabled(*m_dialog, {7, true, true, false, true});
}

TEST_F(DialogTest, WorldTimeStoredOnShowsTheListWithTheStoredCitiesSelected) {
    m_store.PutInt(QStringLiteral("Option"), 4);
    m_store.PutInt(QStringLiteral("WorldTime"), 1);
    m_store.PutInt(QStringLiteral("WTcount"), 3);
    // Texts are matched from the start of a name, ignoring case.
    m_store.PutString(QStringLiteral("WTtext0"), QStringLiteral("Tokyo"));
    m_store.PutString(QStringLiteral("WTtext1"), QStringLiteral("new york"));
    m_store.PutString(QStringLiteral("WTtext2"), QStringLiteral("St. John's"));
    // An entry beyond the count is not restored.
    m_store.PutString(QStringLiteral("WTtext3"), QStringLiteral("Paris"));
    Open();
    EXPECT_TRUE(Find<QCheckBox>("useWorldTime")->isChecked());
    EXPECT_TRUE(Find<QWidget>("m_cityList")->isVisible());
    EXPECT_EQ(SelectedCities(),
              QStringList({QStringLiteral("New York"), QStringLiteral("St. John's"),
                           QStringLiteral("Tokyo")}));
    // The list takes the place of the countdown group with all it holds; the mode stays as
    // stored.
    for (const char* name : {"m_modeCombo", "m_titleEdit", "m_yearEdit", "m_timePicker",
                             "m_datePicker", "countdownGroup", "titleLabel"}) {
        EXPECT_FALSE(Find<QWidget>(name)->isVisible()) << name;
    }
    EXPECT_EQ(Find<QComboBox>("m_modeCombo")->currentIndex(), 4);
}

TEST_F(DialogTest, StoredTextsThatNameNoCitySelectNothing) {
    m_store.PutInt(QStringLiteral("WorldTime"), 1);
    m_store.PutInt(QStringLiteral("WTcount"), 3);
    m_store.PutString(QStringLiteral("WTtext0"), QStringLiteral("Atlantis"));
    // WTtext1 missing: the empty text must not pick the first city.
    m_store.PutString(QStringLiteral("WTtext2"), QStringLiteral("Lima"));
    Open();
    EXPECT_EQ(SelectedCities(), QStringList({QStringLiteral("Lima")}));
}

TEST_F(DialogTest, WorldTimeStoredOffShowsTheCountdownAndNoSelection) {
    m_store.PutInt(QStringLiteral("WTcount"), 2);
    m_store.PutString(QStringLiteral("WTtext0"), QStringLiteral("Paris"));
    m_store.PutString(QStringLiteral("WTtext1"), QStringLiteral("Tokyo"));
    Open();
    EXPECT_FALSE(Find<QWidget>("m_cityList")->isVisible());
    Click("useWorldTime");
    // The list appears with nothing selected; the countdown controls go.
    EXPECT_TRUE(Find<QWidget>("m_cityList")->isVisible());
    EXPECT_TRUE(SelectedCities().isEmpty());
    EXPECT_FALSE(Find<QWidget>("m_datePicker")->isVisible());
}

TEST_F(DialogTest, SwitchingWorldTimeKeepsTheSelectionAndTheCountdownValues) {
    m_store.PutInt(QStringLiteral("Option"), 2);
    m_store.PutString(QStringLiteral("Title"), QStringLiteral("Soon"));
    Open();
    Click("useWorldTime");
    ClickCity(QStringLiteral("Oslo"));
    for (int i = 0; i < 3; ++i) {
        Click("useWorldTime");
        Click("useWorldTime");
    }
    EXPECT_EQ(SelectedCities(), QStringList({QStringLiteral("Oslo")}));
    Click("useWorldTime");
    EXPECT_FALSE(Find<QWidget>("m_cityList")->isVisible());
    EXPECT_TRUE(Find<QWidget>("m_titleEdit")->isVisible());
    EXPECT_EQ(Find<QLineEdit>("m_titleEdit")->text(), QStringLiteral("Soon"));
    EXPECT_EQ(Find<QComboBox>("m_modeCombo")->currentIndex(), 2);
}

struct StoredSpeedCase {
    int stored;
    int slider;
    const char* readOut;
    const char* fact;
};

TEST_F(DialogTest, StoredSpeedIsHeldOnTheSliderAndQuantised) {
    const StoredSpeedCase cases[] = {
        {10000, 6000, "cycle in 60.00 minutes", "above the range: the right end"},
        {0, 600, "cycle in 6.00 minutes", "zero: the 600 the saver runs it as"},
        {-40, 600, "cycle in 6.00 minutes", "below the range: the saver's 600 too"},
        {857, 857, "cycle in 8.57 minutes", "a stored quantised speed stays"},
        {900, 1000, "cycle in 10.00 minutes", "a speed between steps goes up to the next"},
        {6000, 6000, "cycle in 60.00 minutes", "the slowest speed"},
    };
    for (const StoredSpeedCase& c : cases) {
        m_store.PutInt(QStringLiteral("Speed"), c.stored);
        Open();
        EXPECT_EQ(Find<QSlider>("m_speedSlider")->value(), c.slider) << c.fact;
        EXPECT_EQ(Find<QLabel>("speedText")->text(), QString::fromLatin1(c.readOut)) << c.fact;
    }
}

struct StoredStartAfterCase {
    int stored; // kNone: not stored
    int blank;  // the desktop's own blank, seconds; 0: none
    bool checked;
    int minutes;
    const char* fact;
};
constexpr int kNone = -999;

TEST_F(DialogTest, StoredStartAfterChecksTheBoxAndFillsTheField) {
    const StoredStartAfterCase cases[] = {
        {kNone, 0, false, 10, "nothing stored: off, the field at 10"},
        {0, 0, false, 10, "0: off"},
        {-5, 0, false, 10, "below 0: off as well"},
        {1, 0, true, 1, "the shortest time"},
        {25, 0, true, 25, "a time in the range"},
        {1440, 0, true, 1440, "a day, the longest"},
        {1441, 0, true, 1440, "more than a day: held at a day, as the watcher holds it"},
        {2000000000, 0, true, 1440, "far more"},
        {kNone, 300, false, 4, "a new user under GNOME's 5-minute blank: 4 minutes, before it"},
        {0, 600, false, 9, "off, under a 10-minute blank: the field offers 9"},
        {kNone, 900, false, 10, "a blank after 15 minutes: the default comes first"},
        {kNone, 45, false, 10, "a blank within a minute: no time comes first, the default"},
        {25, 300, true, 25, "a stored time is shown as stored, blank or not"},
    };
    for (const StoredStartAfterCase& c : cases) {
        m_store = RecordingStore();
        if (c.stored != kNone) {
            m_store.PutInt(QStringLiteral("StartAfter"), c.stored);
        }
        m_desktopBlank = c.blank > 0 ? std::optional<DesktopBlank>({c.blank, {}}) : std::nullopt;
        Open();
        EXPECT_EQ(Find<QCheckBox>("startAfter")->isChecked(), c.checked) << c.fact;
        EXPECT_EQ(Find<QSpinBox>("m_startAfterEdit")->value(), c.minutes) << c.fact;
        // The field takes input only while the box is checked, and follows it.
        EXPECT_EQ(Find<QWidget>("m_startAfterEdit")->isEnabled(), c.checked) << c.fact;
        Click("startAfter");
        EXPECT_EQ(Find<QWidget>("m_startAfterEdit")->isEnabled(), !c.checked) << c.fact;
    }
}

} // namespace
} // namespace chronivo

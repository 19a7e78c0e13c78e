// What the dialog stores, the saver reads back unchanged: the dialog writes the settings file,
// a separate store on the same file (as the saver's process opens it) reads it.
#include "dialog_fixture.h"
#include "saver/saver_settings.h"
#include "settings/profile_store.h"

#include <QLineEdit>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace chronivo {
namespace {

class RoundTripTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ASSERT_TRUE(m_root.isValid());
        m_path = m_root.filePath(QStringLiteral("Velstrand/Utilities/Chronivo.conf"));
        m_file = std::make_unique<QSettingsStore>(m_path);
    }
    // The saver's reading, from a store of its own on the same file, on 2026-07-15 12:00 UTC.
    SaverSettings SaverReads() const {
        return ReadSaverSettings(QSettingsStore(m_path), 1784116800);
    }

    QTemporaryDir m_root;
    QString m_path;
    std::unique_ptr<QSettingsStore> m_file;
};

TEST_F(RoundTripTest, FarTargetFlagsSpeedTitleAndCitiesFromWestToEast) {
    OpenOn(*m_file);
    EnterFarTarget();
    Type("m_titleEdit", QStringLiteral("Halley's return, 2150"));
    Click("use24Hour");
    Click("useSeconds");
    Click("useRainbow");
    // Seven arrow steps right of 1000: 1007, settled to the next stored speed by OK.
    auto* slider = Find<QSlider>("m_speedSlider");
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(slider, Qt::Key_Right);
    }
    Click("useWorldTime");
    for (const char* city : {"Tokyo", "Honolulu", "London", "Sydney", "New York"}) {
        ClickCity(QString::fromLatin1(city));
    }
    ClickOk();
    ASSERT_TRUE(Accepted());

    const SaverSettings saver = SaverReads();
    EXPECT_EQ(saver.m_countdownMode, 4);
    EXPECT_EQ(saver.m_title, std::string("Halley's return, 2150"));
    EXPECT_EQ(saver.m_targetYear, 2150);
    EXPECT_EQ(saver.m_targetMonth, 2);
    EXPECT_EQ(saver.m_targetDay, 29);
    EXPECT_EQ(saver.m_targetHour, 13);
    EXPECT_EQ(saver.m_targetMinute, 5);
    EXPECT_EQ(saver.m_targetSecond, 0);
    EXPECT_EQ(saver.m_speed, 1200);
    EXPECT_EQ(saver.m_rainbow, 1);
    EXPECT_EQ(saver.m_showSeconds, 1);
    EXPECT_EQ(saver.m_24Hour, 1);
    EXPECT_EQ(saver.m_worldTime, 1);
    // From west to east, each with the code the dialog stored for it.
    ASSERT_EQ(saver.m_worldCount, 5);
    std::vector<std::string> labels;
    std::vector<ZoneCode> zones;
    for (int i = 0; i < saver.m_worldCount; ++i) {
        labels.push_back(saver.m_worldEntries[static_cast<std::size_t>(i)].m_label);
        zones.push_back(saver.m_worldEntries[static_cast<std::size_t>(i)].m_zone);
    }
    EXPECT_EQ(labels,
              (std::vector<std::string>{"Honolulu", "New York", "London", "Tokyo", "Sydney"}));
    EXPECT_EQ(zones, (std::vector<ZoneCode>{-72000, -35999, 1, 64800, 72000}));
}

TEST_F(RoundTripTest, NearTargetBefore1970AndNoWorldTime) {
    OpenOn(*m_file);
    ChooseMode(3);
    TypeDate(QDate(1969, 7, 20));
    TypeTime(QTime(22, 56, 15));
    ClickOk();
    ASSERT_TRUE(Accepted());

    const SaverSettings saver = SaverReads();
    EXPECT_EQ(saver.m_countdownMode, 3);
    EXPECT_EQ(saver.m_title, std::string());
    EXPECT_EQ(saver.m_targetYear, 1969);
    EXPECT_EQ(saver.m_targetMonth, 7);
    EXPECT_EQ(saver.m_targetDay, 20);
    EXPECT_EQ(saver.m_targetHour, 22);
    EXPECT_EQ(saver.m_targetMinute, 56);
    EXPECT_EQ(saver.m_targetSecond, 15);
    // The dialog's default speed is stored, so the saver no longer falls back on its own 600.
    EXPECT_EQ(saver.m_speed, 1000);
    EXPECT_EQ(saver.m_worldTime, 0);
    EXPECT_EQ(saver.m_worldCount, 0);
}

TEST_F(RoundTripTest, ASecondRunShowsWhatTheFirstStored) {
    OpenOn(*m_file);
    ChooseMode(5);
    Type("m_titleEdit", QStringLiteral("Xmas"));
    Click("useWorldTime");
    ClickCity(QStringLiteral("St. John's"));
    ClickOk();
    ASSERT_TRUE(Accepted());

    // The dialog opened again finds everything as it was left.
    OpenOn(*m_file);
    EXPECT_EQ(Find<QComboBox>("m_modeCombo")->currentIndex(), 5);
    EXPECT_EQ(Find<QLineEdit>("m_titleEdit")->text(), QStringLiteral("Xmas"));
    EXPECT_EQ(SelectedCities(), QStringList({QStringLiteral("St. John's")}));
    const SaverSettings saver = SaverReads();
    EXPECT_EQ(saver.m_countdownMode, 5);
    ASSERT_EQ(saver.m_worldCount, 1);
    EXPECT_EQ(saver.m_worldEntries[0].m_zone, -17999);
}

} // namespace
} // namespace chronivo

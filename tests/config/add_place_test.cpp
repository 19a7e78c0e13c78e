// Places of the user's own in the world-time list: their zone codes, the "Add a place..." dialog,
// and how they are stored and read back beside the table's cities.
#include "config/add_place.h"
#include "dialog_fixture.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeZone>

namespace chronivo {
namespace {

struct CodeCase {
    const char* zone;
    ZoneCode code;
    const char* fact;
};

TEST(ZoneCodeOfTest, EncodesTheStandardOffsetAndDaylightSavingAsTheTableDoes) {
    // 17 May 2026: the northern summer, the southern winter.
    const CodeCase cases[] = {
        {"Europe/Paris", 7201, "on summer time now: the table's Paris"},
        {"America/New_York", -35999, "west of UTC, the table's New York"},
        {"Australia/Sydney", 72001, "on standard time now, summer time from October"},
        {"Europe/Dublin", 1, "its data call winter the daylight side: the table's Dublin"},
        {"Asia/Kathmandu", 41400, "UTC + 5:45, no summer time"},
        {"America/St_Johns", -25199, "UTC - 3:30 with summer time"},
        {"Asia/Tehran", 25200, "no summer time since 2022"},
        {"UTC", 0, "UTC"},
    };
    for (const CodeCase& c : cases) {
        const QTimeZone zone(QByteArray(c.zone));
        ASSERT_TRUE(zone.isValid()) << c.zone;
        EXPECT_EQ(ZoneCodeOf(zone, kNowUtc), c.code) << c.fact;
    }
    EXPECT_EQ(PlaceNameOf("America/Port_of_Spain"), QStringLiteral("Port of Spain"));
    EXPECT_EQ(PlaceNameOf("UTC"), QStringLiteral("UTC"));
}

class OwnPlaceTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        m_store.PutInt(QStringLiteral("WorldTime"), 1);
    }
    void StoreEntry(int i, const QString& text, int code, const QString& tz) {
        m_store.PutString(WorldTextKey(i), text);
        m_store.PutInt(WorldZoneKey(i), code);
        if (!tz.isNull()) {
            m_store.PutString(WorldTzKey(i), tz);
        }
    }
    void ExpectStoredEntry(int i, const QString& text, int code, const QString& tz) const {
        EXPECT_EQ(StoredString(WorldTextKey(i)), text) << i;
        EXPECT_EQ(ReadInt(m_store, keys::WTzone, WorldZoneKey(i), Reader::Saver), code) << i;
        EXPECT_TRUE(m_store.Contains(WorldTzKey(i))) << "written for every entry: " << i;
        EXPECT_EQ(StoredString(WorldTzKey(i)), tz) << i;
    }
    // Opens "Add a place..." and types `search` into its search field.
    void SearchZone(const QString& search) {
        // A dialog closed before is gone first, so the one found is the new one.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Click("addPlaceButton");
        auto* dialog = Find<QDialog>("addPlaceDialog");
        ASSERT_TRUE(dialog->isVisible() && dialog->isModal());
        // Active, so that focus and typing work as they do for the user.
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClicks(Find<QLineEdit>("zoneSearch"), search);
    }
    QPushButton* AddOk() const {
        return Find<QDialog>("addPlaceDialog")
            ->findChild<QDialogButtonBox*>("buttonBox")
            ->button(QDialogButtonBox::Ok);
    }
};

struct SearchCase {
    const char* search;
    int downs;        // Down pressed in the search field afterwards
    const char* zone; // the zone chosen, "" for none
    const char* name; // the name suggested
};

TEST_F(OwnPlaceTest, TheSearchChoosesTheFirstMatchingZoneAndSuggestsItsName) {
    const SearchCase cases[] = {
        {"kathm", 0, "Asia/Kathmandu", "Kathmandu"},
        {"new york", 0, "America/New_York", "New York"},
        {"PORT_OF", 0, "America/Port_of_Spain", "Port of Spain"},
        {"america new", 1, "America/North_Dakota/New_Salem", "New Salem"},
        {"no such place", 0, "", ""},
    };
    for (const SearchCase& c : cases) {
        Open();
        SearchZone(QString::fromLatin1(c.search));
        for (int i = 0; i < c.downs; ++i) {
            QTest::keyClick(Find<QLineEdit>("zoneSearch"), Qt::Key_Down);
        }
        auto& dialog = *Find<AddPlaceDialog>("addPlaceDialog");
        EXPECT_EQ(dialog.ZoneId(), QByteArray(c.zone)) << c.search;
        EXPECT_EQ(dialog.PlaceName(), QString::fromLatin1(c.name)) << c.search;
        EXPECT_EQ(AddOk()->isEnabled(), *c.zone != '\0') << c.search;
    }
}

TEST_F(OwnPlaceTest, AnAddedPlaceIsStoredWithItsZoneReadBackAndShown) {
    Open();
    // A city of the list under its own name and zone: that city is selected, not added twice.
    SearchZone(QStringLiteral("kathm"));
    QTest::mouseClick(AddOk(), Qt::LeftButton);
    EXPECT_EQ(SelectedCities(), QStringList({"Kathmandu"}));
    EXPECT_EQ(Find<QListWidget>("m_cityList")->count(), kWorldCityCount);
    ClickCity(QStringLiteral("Kathmandu"));
    // A name of the list with another zone: refused, and the dialog stays with the name
    // selected for typing over it.
    SearchZone(QStringLiteral("kathm"));
    auto* name = Find<QLineEdit>("placeName");
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(name, QStringLiteral("paris"));
    QTest::mouseClick(AddOk(), Qt::LeftButton);
    ASSERT_EQ(m_dialog->m_messages.size(), 1);
    EXPECT_TRUE(m_dialog->m_messages.front().contains(QStringLiteral("\"Paris\"")));
    EXPECT_TRUE(Find<QDialog>("addPlaceDialog")->isVisible());
    EXPECT_EQ(Find<QDialog>("addPlaceDialog")->focusWidget(), name);
    EXPECT_EQ(name->selectedText(), QStringLiteral("paris"));
    QTest::keyClicks(name, QStringLiteral(" Base camp "));
    QTest::mouseClick(AddOk(), Qt::LeftButton);
    EXPECT_EQ(SelectedCities(), QStringList({"Base camp"}));
    ClickOk();
    EXPECT_EQ(StoredInt(keys::WTcount), 1);
    ExpectStoredEntry(0, QStringLiteral("Base camp"), 41400, QStringLiteral("Asia/Kathmandu"));

    // Read back: shown selected in its alphabetical place (after Barcelona, before Beijing), and
    // stored again as it was.
    Open();
    EXPECT_EQ(SelectedCities(), QStringList({"Base camp"}));
    auto* list = Find<QListWidget>("m_cityList");
    EXPECT_EQ(list->item(list->row(list->selectedItems().front()) + 1)->text(), "Beijing");
    m_store.ClearLogs();
    ClickOk();
    ExpectStoredEntry(0, QStringLiteral("Base camp"), 41400, QStringLiteral("Asia/Kathmandu"));
}

TEST_F(OwnPlaceTest, CancelAddsNothing) {
    Open();
    SearchZone(QStringLiteral("kathm"));
    Press("addPlaceDialog", QDialogButtonBox::Cancel);
    EXPECT_TRUE(SelectedCities().isEmpty());
    EXPECT_EQ(Find<QListWidget>("m_cityList")->count(), kWorldCityCount);
}

TEST_F(OwnPlaceTest, StoredEntriesAreKeptWhateverTheirZone) {
    m_store.PutInt(QStringLiteral("WTcount"), 3);
    // A zone this system lacks keeps its stored code; a city of the table gets an empty zone.
    StoreEntry(0, QStringLiteral("Atlantis"), 12345, QStringLiteral("Nowhere/Atlantis"));
    StoreEntry(1, QStringLiteral("Lima"), -36000, QString());
    StoreEntry(2, QStringLiteral("Home"), 7201, QStringLiteral("America/New_York"));
    Open();
    EXPECT_EQ(SelectedCities(), QStringList({"Atlantis", "Home", "Lima"}));
    ClickOk();
    ExpectStoredEntry(0, QStringLiteral("Atlantis"), 12345, QStringLiteral("Nowhere/Atlantis"));
    ExpectStoredEntry(1, QStringLiteral("Home"), -35999, QStringLiteral("America/New_York"));
    ExpectStoredEntry(2, QStringLiteral("Lima"), -36000, QString());
}

TEST_F(OwnPlaceTest, ACityOfTheTableInAPlaceOfOneOfOwnClearsItsZone) {
    m_store.PutInt(QStringLiteral("WTcount"), 1);
    StoreEntry(0, QStringLiteral("Base camp"), 41400, QStringLiteral("Asia/Kathmandu"));
    Open();
    ClickCity(QStringLiteral("Base camp"));
    ClickCity(QStringLiteral("Oslo"));
    ClickOk();
    EXPECT_EQ(StoredInt(keys::WTcount), 1);
    ExpectStoredEntry(0, QStringLiteral("Oslo"), 7201, QString());
}

} // namespace
} // namespace chronivo

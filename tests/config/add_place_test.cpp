// Places of the user's own in the world-time list: the "Add a place..." dialog, and how they
// are stored and read back beside the table's cities.
#include "config/add_place.h"
#include "dialog_fixture.h"
#include "time/world_time.h"
#include "zones/zone_lookup.h"

#include <QCoreApplication>
#include <QLineEdit>

#include <string_view>

namespace chronivo {
namespace {

TEST(PlaceNameOfTest, NamesAZoneWithoutAnAreaByItsId) {
    EXPECT_EQ(PlaceNameOf("UTC"), QStringLiteral("UTC")) << "a zone without an area";
}

class OwnPlaceTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        m_store.PutInt(QStringLiteral("WorldTime"), 1);
    }
    void StoreEntry(int i, const char* text, int code, const char* tz = nullptr) {
        m_store.PutString(WorldTextKey(i), QString::fromLatin1(text));
        m_store.PutInt(WorldZoneKey(i), code);
        if (tz != nullptr) {
            m_store.PutString(WorldTzKey(i), QString::fromLatin1(tz));
        }
    }
    void ExpectStoredEntry(int i, const char* text, int code, const char* tz) const {
        EXPECT_EQ(StoredString(WorldTextKey(i)), QString::fromLatin1(text)) << i;
        EXPECT_EQ(ReadInt(m_store, keys::WTzone, WorldZoneKey(i), Reader::Saver), code) << i;
        EXPECT_EQ(StoredString(WorldTzKey(i)), QString::fromLatin1(tz)) << i;
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
};

TEST_F(OwnPlaceTest, TheSearchChoosesTheFirstMatchingZoneAndSuggestsItsName) {
    // Blank, "_" and "/" part words alike; a word matches a name's start in any case.
    const struct {
        const char* search;
        int downs;        // Down pressed in the search field afterwards
        const char* zone; // the zone chosen, "" for none
        const char* name; // the name suggested
    } cases[] = {
        {"new york", 0, "America/New_York", "New York"},
        {"PORT_OF", 0, "America/Port_of_Spain", "Port of Spain"},
        {"america new", 1, "America/North_Dakota/New_Salem", "New Salem"},
        // Found under today's name where the system lists only the earlier "Asia/Katmandu".
        {"kathmandu", 0, "Asia/Kathmandu", "Kathmandu"},
        {"no such place", 0, "", ""},
    };
    for (const auto& c : cases) {
        Open();
        SearchZone(QString::fromLatin1(c.search));
        for (int i = 0; i < c.downs; ++i) {
            QTest::keyClick(Find<QLineEdit>("zoneSearch"), Qt::Key_Down);
        }
        auto& dialog = *Find<AddPlaceDialog>("addPlaceDialog");
        const std::string_view listed = SystemZoneName(c.zone);
        EXPECT_EQ(dialog.ZoneId(), QByteArray(listed.data(), static_cast<qsizetype>(listed.size())))
            << c.search;
        EXPECT_EQ(dialog.PlaceName(), QString::fromLatin1(c.name)) << c.search;
        const auto* box = dialog.findChild<QDialogButtonBox*>("buttonBox");
        EXPECT_EQ(box->button(QDialogButtonBox::Ok)->isEnabled(), *c.zone != '\0') << c.search;
    }
}

TEST_F(OwnPlaceTest, AnAddedPlaceIsStoredWithItsZone) {
    Open();
    SearchZone(QStringLiteral("kathm"));
    Press("addPlaceDialog", QDialogButtonBox::Cancel);
    EXPECT_TRUE(SelectedCities().isEmpty()) << "Cancel adds nothing";
    // A city of the list under its own name and zone: that city is selected, not added twice.
    SearchZone(QStringLiteral("kathm"));
    Press("addPlaceDialog", QDialogButtonBox::Ok);
    EXPECT_EQ(SelectedCities(), QStringList({"Kathmandu"}));
    EXPECT_EQ(Find<QListWidget>("m_cityList")->count(), kWorldCityCount);
    ClickCity(QStringLiteral("Kathmandu"));
    // A name of the list with another zone: refused, and the dialog stays with the name
    // selected for typing over it.
    SearchZone(QStringLiteral("kathm"));
    auto* name = Find<QLineEdit>("placeName");
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(name, QStringLiteral("paris"));
    Press("addPlaceDialog", QDialogButtonBox::Ok);
    ASSERT_EQ(m_dialog->m_messages.size(), 1);
    EXPECT_TRUE(m_dialog->m_messages.front().contains(QStringLiteral("\"Paris\"")));
    EXPECT_TRUE(Find<QDialog>("addPlaceDialog")->isVisible());
    EXPECT_EQ(Find<QDialog>("addPlaceDialog")->focusWidget(), name);
    EXPECT_EQ(name->selectedText(), QStringLiteral("paris"));
    QTest::keyClicks(name, QStringLiteral(" Base camp "));
    Press("addPlaceDialog", QDialogButtonBox::Ok);
    EXPECT_EQ(SelectedCities(), QStringList({"Base camp"}));
    ClickOk();
    EXPECT_EQ(StoredInt(keys::WTcount), 1);
    ExpectStoredEntry(0, "Base camp", 41400, "Asia/Kathmandu");
}

TEST_F(OwnPlaceTest, StoredEntriesAreKeptWhateverTheirZone) {
    m_store.PutInt(QStringLiteral("WTcount"), 3);
    StoreEntry(0, "Lima", -36000);
    // A zone this system lacks keeps its stored code; a known one gets its code anew.
    StoreEntry(1, "Utopia", 12345, "Nowhere/Utopia");
    StoreEntry(2, "Home", 7201, "America/New_York");
    Open();
    // In row order: places of one's own sit among the table's cities by name, not at either end.
    EXPECT_EQ(SelectedCities(), QStringList({"Home", "Lima", "Utopia"}));
    ClickOk();
    ExpectStoredEntry(0, "Home", -35999, "America/New_York");
    // A city of the table where a place of one's own was clears that place's zone.
    ExpectStoredEntry(1, "Lima", -36000, "");
    ExpectStoredEntry(2, "Utopia", 12345, "Nowhere/Utopia");
}

} // namespace
} // namespace chronivo

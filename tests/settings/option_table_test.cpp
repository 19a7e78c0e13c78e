// The rows of "More options..." and how an on/off option is read.
#include "settings/option_table.h"

#include "settings/profile_store.h"
#include "settings_test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace chronivo {
namespace {

class OptionTableTest : public test::SettingsTest {};

TEST(OptionTable, RowsFollowTheKeyTableAndEachFlagHasOneBox) {
    // The order the saver reads and OK stores: the key table's. Each flag its own member and its
    // own box with a text; "Font" alone is a text with no box.
    const SettingKey* const expected[] = {&keys::AllScreens, &keys::Drift, &keys::LocalNames,
                                          &keys::Dark,       &keys::Font,  &keys::Outline};
    ASSERT_EQ(std::size(kMoreOptions), std::size(expected));
    std::set<std::string> boxes;
    std::vector<bool OptionFlags::*> flags; // member pointers have no order, only equality
    for (std::size_t i = 0; i < std::size(kMoreOptions); ++i) {
        const MoreOption& row = kMoreOptions[i];
        EXPECT_EQ(&row.key, expected[i]) << i;
        const bool text = &row.key == &keys::Font;
        EXPECT_EQ(row.key.type, text ? SettingType::String : SettingType::Int) << row.key.name;
        EXPECT_EQ(row.flag == nullptr, text) << row.key.name;
        EXPECT_EQ(row.boxName == nullptr, text) << row.key.name;
        EXPECT_EQ(row.label == nullptr, text) << row.key.name;
        if (!text) {
            EXPECT_TRUE(boxes.insert(row.boxName).second) << row.boxName;
            EXPECT_EQ(std::count(flags.begin(), flags.end(), row.flag), 0) << row.key.name;
            flags.push_back(row.flag);
            EXPECT_GT(std::string(row.label).size(), 0u) << row.key.name;
        }
    }
}

TEST_F(OptionTableTest, AFlagIsOnForAnyStoredNumberButZero) {
    // Both readers alike: the options' defaults are 0 for the dialog and the saver.
    // The first case reads the fresh profile, with nothing stored.
    const struct {
        const char* stored; // null: nothing stored
        bool on;
    } cases[] = {{nullptr, false}, {"1", true}, {"-3", true},  {"2147483647", true},
                 {"0", false},     {"", false}, {"yes", false}};
    for (const auto& c : cases) {
        const char* shown = c.stored != nullptr ? c.stored : "(nothing)";
        if (c.stored != nullptr) {
            ASSERT_TRUE(WriteString(*m_store, keys::Drift, QString::fromLatin1(c.stored)));
        }
        EXPECT_EQ(ReadFlag(*m_store, keys::Drift, Reader::Saver), c.on) << shown;
        EXPECT_EQ(ReadFlag(*m_store, keys::Drift, Reader::Dialog), c.on) << shown;
    }
}

} // namespace
} // namespace chronivo

// The rows of "More options..." and how an on/off option is read.
#include "settings/option_table.h"

#include "settings/profile_store.h"
#include "settings_test_env.h"

#include <gtest/gtest.h>

namespace chronivo {
namespace {

class OptionTableTest : public test::SettingsTest {};

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

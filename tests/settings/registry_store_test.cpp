// The current user's profile on Windows: values in the registry read back as written, and a
// value the user left as shown keeps what the registry holds.
#include "settings/profile_store.h"

#include <gtest/gtest.h>

#include <QSettings>

namespace chronivo {
namespace {

// A section of its own, so that nothing else the tests run reads or writes it.
const QString kSection = QStringLiteral("RegistryStoreTest");

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software\\Velstrand\\Utilities\\Chronivo"),
                  QSettings::NativeFormat)
            .remove(kSection);
    }
    std::unique_ptr<ProfileStore> m_store = CurrentUserStore();
};

TEST_F(RegistryStoreTest, ValuesReadBackAsWrittenAndAMissingOneGivesTheDefault) {
    const ProfileValue values[] = {
        {QStringLiteral("Speed"), QVariant(600)},
        {QStringLiteral("Negative"), QVariant(-35999)},
        {QStringLiteral("Title"), QVariant(QStringLiteral("Zürich, \"new\" year"))},
        {QStringLiteral("Empty"), QVariant(QString())},
    };
    ASSERT_TRUE(m_store->WriteProfileValues(kSection, values))
        << m_store->LastError().toStdString();
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Speed"), 1), 600);
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Negative"), 1), -35999);
    EXPECT_EQ(m_store->GetProfileString(kSection, QStringLiteral("Title"), QString()),
              QStringLiteral("Zürich, \"new\" year"));
    EXPECT_EQ(m_store->GetProfileString(kSection, QStringLiteral("Empty"), QStringLiteral("x")),
              QString());
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Missing"), 7), 7);
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Title"), 7), 7)
        << "a text is no number";
}

TEST_F(RegistryStoreTest, AValueLeftAsShownKeepsWhatAnotherWriterStored) {
    ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Speed"), 300));
    ProfileValue kept{QStringLiteral("Speed"), QVariant(600)};
    kept.keepStored = true;
    ProfileValue missing{QStringLiteral("Option"), QVariant(2)};
    missing.keepStored = true;
    const ProfileValue values[] = {kept, missing};
    ASSERT_TRUE(m_store->WriteProfileValues(kSection, values));
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Speed"), 1), 300);
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Option"), 1), 2)
        << "a value not stored yet is written";
}

} // namespace
} // namespace chronivo

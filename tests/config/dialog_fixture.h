#pragma once

#include "config/config_dialog.h"
#include "recording_store.h"
#include "settings/settings_keys.h"
#include "time/time_sample.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QStringList>
#include <QTest>
#include <QTime>
#include <QTimeEdit>

#include <cstdlib>
#include <ctime>
#include <memory>

namespace chronivo {

// The dialog with its messages recorded instead of shown, so no test waits for a person.
class MessageRecordingDialog final : public ConfigDialog {
public:
    using ConfigDialog::ConfigDialog;

    QStringList m_messages;

protected:
    void ShowMessage(const QString& text) override { m_messages << text; }
};

// 2026-05-17 10:20:30 UTC, a Sunday: 12:20:30 summer time in Paris.
inline constexpr std::int64_t kNowUtc = 1779013230;

// Opens the dialog on a store of the test's making, with the clock standing at kNowUtc, in
// Paris, with US English dates; drives it with mouse and key events.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Europe/Paris", 1);
        tzset();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override { m_dialog.reset(); }

    // Builds the dialog on `store` (which it reads) and shows it. The store must outlive the
    // dialog, which TearDown ends.
    MessageRecordingDialog& OpenOn(ProfileStore& store) {
        m_dialog = std::make_unique<MessageRecordingDialog>(nullptr, store, m_clock);
        m_buildReads = m_store.Reads();
        if (m_desktopBlank) {
            m_dialog->SetDesktopBlank(m_desktopBlank);
        }
        m_dialog->show();
        // Active, so that focus and typing work as they do for the user.
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
        return *m_dialog;
    }
    MessageRecordingDialog& Open() { return OpenOn(m_store); }

    template <class T>
    T* Find(const char* name) const {
        T* control = m_dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    void Click(const char* name) const { QTest::mouseClick(Find<QWidget>(name), Qt::LeftButton); }
    void ClickOk() const { Click("okButton"); }

    // A dialog the main one opened ("moreOptionsDialog", "addPlaceDialog"): OK or Cancel of its
    // button box.
    void Press(const char* dialog, QDialogButtonBox::StandardButton which) const {
        auto* box = Find<QDialog>(dialog)->findChild<QDialogButtonBox*>("buttonBox");
        ASSERT_NE(box, nullptr) << dialog;
        QTest::mouseClick(box->button(which), Qt::LeftButton);
    }

    // Picks a mode in the combo with the keyboard: to the first item, then down.
    void ChooseMode(int mode) const {
        auto* combo = Find<QComboBox>("m_modeCombo");
        QTest::keyClick(combo, Qt::Key_Home);
        for (int i = 0; i < mode; ++i) {
            QTest::keyClick(combo, Qt::Key_Down);
        }
    }

    // Clicks a city in the list, scrolling it into view first.
    void ClickCity(const QString& name) const {
        auto* list = Find<QListWidget>("m_cityList");
        const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        list->scrollToItem(items.front());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items.front()).center());
    }

    // Replaces the text of an edit box as the user would: a click into it, select all, type.
    void Type(const char* name, const QString& text) const {
        QWidget* edit = Find<QWidget>(name);
        QTest::mouseClick(edit, Qt::LeftButton);
        EXPECT_TRUE(edit->hasFocus()) << name;
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    QStringList SelectedCities() const {
        QStringList names;
        auto* list = Find<QListWidget>("m_cityList");
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->isSelected()) {
                names << list->item(row)->text();
            }
        }
        return names;
    }

    // The reads the dialog made as it was built, to show the stored values; its preview reads
    // as the saver does once it shows.
    const QStringList& DialogReads() const { return m_buildReads; }

    // The keys written so far, without their section, in order.
    QStringList WrittenKeys() const {
        QStringList keys;
        for (const QString& path : m_store.Writes()) {
            EXPECT_TRUE(path.startsWith(QStringLiteral("ScreenSaver/"))) << path.toStdString();
            keys << path.section(QLatin1Char('/'), 1);
        }
        return keys;
    }

    // A stored value, read through the key table as the saver reads it.
    int StoredInt(const SettingKey& key) const { return ReadInt(m_store, key, Reader::Saver); }
    QString StoredString(const QString& name) const {
        return m_store.GetProfileString(QStringLiteral("ScreenSaver"), name);
    }

    void StoreTarget(int mode, int year, int month, int day, int hour, int minute, int second) {
        m_store.PutInt(QStringLiteral("Option"), mode);
        m_store.PutInt(QStringLiteral("Year"), year);
        m_store.PutInt(QStringLiteral("Month"), month);
        m_store.PutInt(QStringLiteral("Day"), day);
        m_store.PutInt(QStringLiteral("Hour"), hour);
        m_store.PutInt(QStringLiteral("Minute"), minute);
        m_store.PutInt(QStringLiteral("Second"), second);
    }
    void ExpectStoredTarget(int year, int month, int day, int hour, int minute, int second) const {
        EXPECT_EQ(StoredInt(keys::Year), year);
        EXPECT_EQ(StoredInt(keys::Month), month);
        EXPECT_EQ(StoredInt(keys::Day), day);
        EXPECT_EQ(StoredInt(keys::Hour), hour);
        EXPECT_EQ(StoredInt(keys::Minute), minute);
        EXPECT_EQ(StoredInt(keys::Second), second);
    }
    // Types a date into the date picker as a user who has tabbed into it: month, day and year,
    // each with its leading zeros, in the US short format. Typed twice, because a day that the
    // year still on show lacks (29 February) is cut short until the new year is in.
    void TypeDate(const QDate& date) const {
        auto* picker = Find<QDateEdit>("m_datePicker");
        for (int i = 0; i < 2; ++i) {
            picker->clearFocus();
            picker->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(picker, date.toString(QStringLiteral("MMddyyyy")));
        }
    }
    void TypeTime(const QTime& time) const {
        auto* picker = Find<QTimeEdit>("m_timePicker");
        picker->clearFocus();
        picker->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(picker, time.toString(QStringLiteral("HHmmss")));
    }
    // Mode 4 with the far target 2150-02-29 13:05:00 typed in: the Year box's year with the
    // pickers' month, day and time.
    void EnterFarTarget() const {
        ChooseMode(4);
        Type("m_yearEdit", QStringLiteral("2150"));
        TypeDate(QDate(2000, 2, 29));
        TypeTime(QTime(13, 5, 0));
    }
    bool Accepted() const {
        return !m_dialog->isVisible() && m_dialog->result() == QDialog::Accepted;
    }

    RecordingStore m_store;
    // The desktop's own blank the dialog is told of before it shows; none: it is told nothing.
    std::optional<DesktopBlank> m_desktopBlank;
    FixedClock m_clock{TimeSample{kNowUtc, 0}};
    std::unique_ptr<MessageRecordingDialog> m_dialog;
    QStringList m_buildReads;
};

} // namespace chronivo

// The speed slider, the note about the desktop's own blank, cancelling, a Year box without a
// number and settings that cannot be stored.
#include "config/config_values.h"
#include "dialog_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>

namespace chronivo {
namespace {

// Where the slider's handle is drawn when the slider stands at `value`.
QRect HandleRect(const QSlider* slider, int value) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.state |= QStyle::State_Horizontal;
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    option.sliderPosition = value;
    option.sliderValue = value;
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle,
                                           slider);
}

TEST_F(DialogTest, SliderReleasedAt4000JumpsTo6000) {
    Open();
    auto* slider = Find<QSlider>("m_speedSlider");
    const QPoint from = HandleRect(slider, slider->value()).center();
    const QPoint to = HandleRect(slider, 4000).center();
    QTest::mousePress(slider, Qt::LeftButton, {}, from);
    QTest::mouseMove(slider, to);
    // While the handle is held the slider goes where it is dragged and the read-out stays.
    EXPECT_NEAR(slider->value(), 4000, 100);
    EXPECT_EQ(Find<QLabel>("speedText")->text(), QStringLiteral("cycle in 10.00 minutes"));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, to);
    EXPECT_EQ(slider->value(), 6000);
    EXPECT_EQ(Find<QLabel>("speedText")->text(), QStringLiteral("cycle in 60.00 minutes"));
    ClickOk();
    EXPECT_EQ(StoredInt(keys::Speed), 6000);
}

TEST_F(DialogTest, AClickOnTheGrooveSettlesTheSpeedToo) {
    Open();
    auto* slider = Find<QSlider>("m_speedSlider");
    auto* readOut = Find<QLabel>("speedText");
    // Right of the handle, on the groove.
    const QRect handle = HandleRect(slider, slider->value());
    QTest::mouseClick(slider, Qt::LeftButton, {},
                      QPoint((handle.right() + slider->width()) / 2, handle.center().y()));
    const int value = slider->value();
    EXPECT_GT(value, 1000);
    // The slider stands at a stored speed and the read-out shows it.
    EXPECT_EQ(value, QuantiseSpeed(value));
    EXPECT_EQ(readOut->text(), SpeedText(value));
    ClickOk();
    EXPECT_EQ(StoredInt(keys::Speed), value);
}

TEST_F(DialogTest, ArrowKeysLeaveTheReadOutButOkStoresTheQuantisedPosition) {
    Open();
    auto* slider = Find<QSlider>("m_speedSlider");
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(slider, Qt::Key_Right);
    }
    EXPECT_EQ(slider->value(), 1010);
    EXPECT_EQ(Find<QLabel>("speedText")->text(), QStringLiteral("cycle in 10.00 minutes"));
    ClickOk();
    // 1010 lies between 1000 and 1200: the next stored speed up.
    EXPECT_EQ(StoredInt(keys::Speed), 1200);
}

struct StoredSpeedCase {
    int stored;
    int written;
    const char* fact;
};

TEST_F(DialogTest, StoresAStoredSpeedQuantised) {
    const StoredSpeedCase cases[] = {
        {10000, 6000, "above the range comes back as 6000"},
        {0, 600, "zero comes back as the 600 the saver ran it as, not the fastest"},
        {-7, 600, "below zero likewise"},
        {1100, 1200, "between two steps comes back as the upper"},
    };
    for (const StoredSpeedCase& c : cases) {
        m_store.PutInt(QStringLiteral("Speed"), c.stored);
        Open();
        ClickOk();
        EXPECT_EQ(StoredInt(keys::Speed), c.written) << c.fact;
    }
}

struct NoteStep {
    const char* action; // "type N", "box" (a click on the check box) or "sooner"
    int minutes;        // the field afterwards
    bool shown;         // the note and its button show
};

TEST_F(DialogTest, TheNoteFollowsTheFieldAndTheBoxAndItsButtonTakesTheSoonerTime) {
    // GNOME's defaults, and a saver set to start after 10 minutes.
    m_store.PutInt(QStringLiteral("StartAfter"), 10);
    m_desktopBlank = DesktopBlank{300, QStringLiteral("GNOME's setting idle-delay")};
    Open();
    auto* note = Find<QLabel>("desktopBlankNote");
    auto* sooner = Find<QPushButton>("soonerStartAfter");
    EXPECT_EQ(note->text(), QStringLiteral("This desktop blanks the screen after 5 minutes: the "
                                           "saver starts only if that comes first."));
    EXPECT_EQ(note->toolTip(), QStringLiteral("From GNOME's setting idle-delay."));
    EXPECT_EQ(sooner->text(), QStringLiteral("Use 4 minutes"));
    const NoteStep steps[] = {
        {nullptr, 10, true},  // opened: 10 minutes come after the blank
        {"type 5", 5, true},  // at the same moment: the blank may still win
        {"type 4", 4, false}, // the saver comes first
        {"type 12", 12, true},
        {"box", 12, false}, // off: the saver does not start by itself, so nothing to say
        {"box", 12, true},
        {"sooner", 4, false}, // the button puts 4 into the field
    };
    for (const NoteStep& step : steps) {
        const QString action = QString::fromLatin1(step.action == nullptr ? "" : step.action);
        if (action.startsWith(QStringLiteral("type "))) {
            Type("m_startAfterEdit", action.mid(5));
        } else if (action == QStringLiteral("box")) {
            Click("startAfter");
        } else if (action == QStringLiteral("sooner")) {
            // Reached with Tab from the field, and pressed with the space bar.
            Find<QWidget>("m_startAfterEdit")->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            ASSERT_EQ(QApplication::focusWidget(), sooner);
            QTest::keyClick(sooner, Qt::Key_Space);
            EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("m_startAfterEdit"));
        }
        EXPECT_EQ(Find<QSpinBox>("m_startAfterEdit")->value(), step.minutes) << step.action;
        EXPECT_EQ(note->isVisible(), step.shown) << step.action;
        EXPECT_EQ(sooner->isVisible(), step.shown) << step.action;
    }
    ClickOk();
    EXPECT_EQ(StoredInt(keys::StartAfter), 4);
}

TEST_F(DialogTest, EscapeWritesNothingEvenAfterChanges) {
    StoreTarget(4, 2150, 2, 29, 13, 5, 0);
    Open();
    Click("use24Hour");
    Type("m_titleEdit", QStringLiteral("changed"));
    ChooseMode(2);
    QTest::keyClick(Find<QWidget>("m_titleEdit"), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(m_store.Writes().isEmpty());
}

TEST_F(DialogTest, TheCloseBoxWritesNothing) {
    Open();
    Click("useRainbow");
    EXPECT_TRUE(m_dialog->close());
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(m_store.Writes().isEmpty());
}

class BadYearTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        StoreTarget(4, 2150, 2, 29, 13, 5, 0);
        Open();
        Type("m_yearEdit", QStringLiteral("20x0"));
    }
    // The user was told, and the Year box has the focus with its text selected.
    void ExpectSentBackToTheYearBox() const {
        EXPECT_EQ(m_dialog->m_messages, QStringList({"Please enter an integer."}));
        auto* year = Find<QLineEdit>("m_yearEdit");
        EXPECT_TRUE(year->hasFocus());
        EXPECT_EQ(year->selectedText(), QStringLiteral("20x0"));
        EXPECT_TRUE(m_dialog->isVisible());
    }
};

TEST_F(BadYearTest, OkWritesNothingAndKeepsTheDialogOpen) {
    ClickOk();
    ExpectSentBackToTheYearBox();
    EXPECT_TRUE(m_store.Writes().isEmpty());
    // Mended, OK stores the new year.
    Type("m_yearEdit", QStringLiteral("2151"));
    ClickOk();
    EXPECT_TRUE(Accepted());
    ExpectStoredTarget(2151, 2, 29, 13, 5, 0);
}

TEST_F(BadYearTest, AnotherModeIsRefusedUntilTheYearIsMended) {
    QTest::keyClick(Find<QComboBox>("m_modeCombo"), Qt::Key_Down);
    ExpectSentBackToTheYearBox();
    EXPECT_EQ(Find<QComboBox>("m_modeCombo")->currentIndex(), 4);
    EXPECT_TRUE(Find<QWidget>("m_yearEdit")->isEnabled());
}

TEST_F(BadYearTest, WorldTimeIsRefusedUntilTheYearIsMended) {
    Click("useWorldTime");
    ExpectSentBackToTheYearBox();
    EXPECT_FALSE(Find<QCheckBox>("useWorldTime")->isChecked());
    EXPECT_FALSE(Find<QWidget>("m_cityList")->isVisible());
    EXPECT_TRUE(Find<QWidget>("m_yearEdit")->isVisible());
}

TEST_F(DialogTest, TheYearMessageIsARealMessageBoxOverTheDialog) {
    m_store.PutInt(QStringLiteral("Option"), 4);
    ConfigDialog dialog(nullptr, m_store, m_clock);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* year = dialog.findChild<QLineEdit*>(QStringLiteral("m_yearEdit"));
    QTest::keyClick(year, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(year, QStringLiteral("soon"));
    QString shown;
    QString caption;
    // Answers the box once it is up, as the user would.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text();
        caption = box->windowTitle();
        EXPECT_EQ(box->parentWidget(), &dialog);
        QTest::keyClick(box, Qt::Key_Enter);
    });
    QTest::mouseClick(dialog.findChild<QWidget*>(QStringLiteral("okButton")), Qt::LeftButton);
    EXPECT_EQ(shown, QStringLiteral("Please enter an integer."));
    EXPECT_EQ(caption, QStringLiteral("Chronivo"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(m_store.Writes().isEmpty());
}

TEST_F(DialogTest, AFailedWriteIsReportedOnceAndNothingMoreIsWritten) {
    // Whichever write fails, the ones after it are not tried.
    const QStringList order = {"Option",  "24Hour",  "ShowSec", "WorldTime", "Speed", "Rainbow",
                               "WTcount", "WTtext0", "WTzone0", "WTtz0",     "Year",  "Month",
                               "Day",     "Hour",    "Minute",  "Second",    "Title", "StartAfter"};
    for (int failing = 1; failing <= order.size(); ++failing) {
        StoreTarget(3, 2027, 12, 24, 18, 0, 0);
        m_store.PutInt(QStringLiteral("WorldTime"), 1);
        m_store.PutInt(QStringLiteral("WTcount"), 1);
        m_store.PutString(QStringLiteral("WTtext0"), QStringLiteral("Oslo"));
        m_store.PutString(QStringLiteral("Title"), QStringLiteral("Party"));
        Open();
        m_store.ClearLogs();
        m_store.FailFromWrite(failing);
        ClickOk();
        EXPECT_EQ(WrittenKeys(), order.mid(0, failing)) << "failing write " << failing;
        ASSERT_EQ(m_dialog->m_messages.size(), 1) << "failing write " << failing;
        // The store's own sentence, which names the place and the problem.
        EXPECT_EQ(m_dialog->m_messages.front(), RecordingStore::kFailure);
        // The dialog stays open with everything as entered.
        EXPECT_TRUE(m_dialog->isVisible());
        EXPECT_NE(m_dialog->result(), QDialog::Accepted);
        EXPECT_EQ(Find<QLineEdit>("m_titleEdit")->text(), QStringLiteral("Party"));
        EXPECT_EQ(SelectedCities(), QStringList({QStringLiteral("Oslo")}));
        EXPECT_EQ(Find<QDateEdit>("m_datePicker")->date(), QDate(2027, 12, 24));
        // Once the store works again, OK stores and closes.
        m_store.FailFromWrite(0);
        ClickOk();
        EXPECT_TRUE(Accepted()) << "failing write " << failing;
        EXPECT_EQ(StoredString(QStringLiteral("Title")), QStringLiteral("Party"));
    }
}

TEST_F(DialogTest, AFailedWriteWithoutAReasonIsStillReported) {
    Open();
    m_store.SetFailureText(QString());
    m_store.FailFromWrite(1);
    ClickOk();
    EXPECT_EQ(m_dialog->m_messages, QStringList({"Your settings could not be saved."}));
    EXPECT_TRUE(m_dialog->isVisible());
}

} // namespace
} // namespace chronivo

// Every control of every dialog has room for its text, overlaps no other, lies inside its group
// box and its dialog, and every dialog is wide enough for its title: with the fonts of the common
// desktops, in the locales whose dates differ most, at the scale the test runs at (CMake runs it
// at 1, 1.5 and 2).
#include "config/config_dialog.h"
#include "recording_store.h"
#include "time/time_sample.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QSysInfo>
#include <QTest>

#include <cstdint>
#include <ostream>
#include <utility>

namespace chronivo {
namespace {

// 2026-05-17 10:20:30 UTC.
constexpr std::int64_t kNowUtc = 1779013230;

// The width of a text as it is drawn, its mnemonic marks left out.
int TextWidth(const QWidget& control, QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&').replace(u'\x01', u'&');
    return control.fontMetrics().horizontalAdvance(text);
}

// What the control's text needs and the room its style gives the text, in pixels; {0, 0} for a
// control whose text is not judged here (a label that wraps, a control without text).
std::pair<int, int> TextAndRoom(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control);
        label != nullptr && !label->wordWrap()) {
        return {TextWidth(control, label->text()), label->contentsRect().width()};
    }
    if (const auto* box = qobject_cast<const QAbstractButton*>(&control);
        box != nullptr && qobject_cast<const QPushButton*>(box) == nullptr) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const auto element = qobject_cast<const QRadioButton*>(box) != nullptr
                                 ? QStyle::SE_RadioButtonContents
                                 : QStyle::SE_CheckBoxContents;
        return {TextWidth(control, box->text()),
                box->style()->subElementRect(element, &option, box).width()};
    }
    if (qobject_cast<const QAbstractSpinBox*>(&control) != nullptr ||
        qobject_cast<const QPushButton*>(&control) != nullptr) {
        // The style's size for the text (a spin box's longest value), frame and arrows included.
        return {control.sizeHint().width(), control.width()};
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(&control)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const int room =
            combo->style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                .width();
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i) {
            widest = std::max(widest, TextWidth(control, combo->itemText(i)));
        }
        return {widest, room};
    }
    return {0, 0};
}

// The area of a group box that its title leaves to the controls, in its parent's coordinates.
QRect GroupContents(const QGroupBox& group) {
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = group.title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return group.style()
        ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, &group)
        .translated(group.pos());
}

QString Name(const QWidget& control) {
    return control.objectName().isEmpty() ? QString::fromLatin1(control.metaObject()->className())
                                          : control.objectName();
}

// The widgets whose children are the dialog's controls: the dialog, its group boxes and button
// boxes. Other widgets' children (a spin box's edit field, a list's scroll bars) are their own.
bool HoldsControls(const QWidget& widget) {
    return qobject_cast<const QDialog*>(&widget) != nullptr ||
           qobject_cast<const QGroupBox*>(&widget) != nullptr ||
           qobject_cast<const QDialogButtonBox*>(&widget) != nullptr;
}

// Every fault of `holder`'s visible controls and those they hold, one line each.
void CollectFaults(const QWidget& holder, QStringList& faults) {
    QList<const QWidget*> controls;
    for (const QObject* child : holder.children()) {
        const auto* control = qobject_cast<const QWidget*>(child);
        if (control != nullptr && !control->isWindow() && control->isVisibleTo(&holder)) {
            controls << control;
        }
    }
    const auto* holderGroup = qobject_cast<const QGroupBox*>(&holder);
    const QRect inside = holderGroup != nullptr
                             ? GroupContents(*holderGroup).translated(-holder.pos())
                             : holder.rect();
    for (const QWidget* control : controls) {
        const auto [text, room] = TextAndRoom(*control);
        if (text > room) {
            faults
                << QStringLiteral("%1 needs %2 px, has %3").arg(Name(*control)).arg(text).arg(room);
        }
        if (!inside.contains(control->geometry())) {
            faults << QStringLiteral("%1 is not inside %2").arg(Name(*control), Name(holder));
        }
        for (const QWidget* other : controls) {
            if (other == control || !control->geometry().intersects(other->geometry())) {
                continue;
            }
            // A group box drawn behind controls that are not its children holds them: they must
            // be inside the part its title leaves free.
            if (const auto* group = qobject_cast<const QGroupBox*>(other)) {
                if (!GroupContents(*group).contains(control->geometry())) {
                    faults << QStringLiteral("%1 crosses the edge of %2")
                                  .arg(Name(*control), Name(*group));
                }
            } else if (qobject_cast<const QGroupBox*>(control) == nullptr && control < other) {
                faults << QStringLiteral("%1 overlaps %2").arg(Name(*control), Name(*other));
            }
        }
        if (HoldsControls(*control)) {
            CollectFaults(*control, faults);
        }
    }
}

// A dialog's faults, with those of its title: the title bar holds the title in the bold face of
// the dialog's font and, besides it, the window's buttons, about two lines wide, on either side
// where the title is centred.
QString Faults(const QDialog& dialog) {
    QStringList faults;
    CollectFaults(dialog, faults);
    QFont titleFont = dialog.font();
    titleFont.setBold(true);
    const QFontMetrics title(titleFont);
    const int needed = title.horizontalAdvance(dialog.windowTitle()) + 2 * 2 * title.height();
    if (needed > dialog.width()) {
        faults << QStringLiteral("the title needs %1 px, the dialog is %2 wide")
                      .arg(needed)
                      .arg(dialog.width());
    }
    return faults.join(u'\n');
}

struct LookCase {
    const char* desktop;
    const char* family; // null: the font Qt chooses itself
    int points;
};

// Named by its desktop in the tests' names.
void PrintTo(const LookCase& look, std::ostream* out) {
    *out << look.desktop;
}

// The default interface fonts of Debian's desktops, and Qt's own choice (Fusion's look).
const LookCase kLooks[] = {
    {"Qt", nullptr, 0},
    {"GNOME", "Cantarell", 11},
    {"KDE", "Noto Sans", 10},
};

// English, and the locales whose short dates are the longest or ordered otherwise.
const char* const kLocales[] = {"en_US", "de_DE", "fr_FR", "ja_JP"};

using GeometryCase = std::pair<LookCase, const char*>;

class DialogGeometryTest : public ::testing::TestWithParam<GeometryCase> {
protected:
    void SetUp() override {
        const LookCase& look = GetParam().first;
        m_font = QApplication::font();
        if (look.family != nullptr) {
            if (!QFontDatabase::families().contains(QString::fromLatin1(look.family))) {
                GTEST_SKIP() << look.family << " is not installed";
            }
            QApplication::setFont(QFont(QString::fromLatin1(look.family), look.points));
        }
        QLocale::setDefault(QLocale(QString::fromLatin1(GetParam().second)));
    }
    void TearDown() override {
        QApplication::setFont(m_font);
        QLocale::setDefault(QLocale::c());
    }

    // The faults of the settings dialog on `store`, then of each dialog it opens.
    static void Check(RecordingStore& store, const std::optional<DesktopBlank>& blank,
                      const char* state) {
        const FixedClock clock{TimeSample{kNowUtc, 0}};
        ConfigDialog dialog(nullptr, store, clock);
        dialog.SetDesktopBlank(blank);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(Faults(dialog).toStdString(), "") << state;

        for (const char* button : {"moreOptionsButton", "addPlaceButton"}) {
            auto* opener = dialog.findChild<QWidget*>(QString::fromLatin1(button));
            if (!opener->isVisible()) {
                continue;
            }
            QTest::mouseClick(opener, Qt::LeftButton);
            auto* opened = dialog.findChild<QDialog*>(QString::fromLatin1(button).replace(
                QStringLiteral("Button"), QStringLiteral("Dialog")));
            ASSERT_NE(opened, nullptr) << button;
            ASSERT_TRUE(QTest::qWaitForWindowExposed(opened)) << button;
            EXPECT_EQ(Faults(*opened).toStdString(), "") << button;
            opened->reject();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

private:
    QFont m_font;
};

TEST_P(DialogGeometryTest, NoControlIsCutCrowdedOrOutside) {
    // A countdown to a date of its own, with its title.
    RecordingStore countdown;
    countdown.PutInt(QStringLiteral("Option"), 4);
    countdown.PutString(QStringLiteral("Title"), QStringLiteral("Launch"));
    Check(countdown, std::nullopt, "countdown");

    // World time, with its list and its button.
    RecordingStore world;
    world.PutInt(QStringLiteral("WorldTime"), 1);
    Check(world, std::nullopt, "world time");

    // The note under "Start the saver after", with its button, which the desktop's own blank
    // after five minutes brings up for a saver after ten.
    RecordingStore late;
    late.PutInt(QStringLiteral("StartAfter"), 10);
    Check(late, DesktopBlank{300, QStringLiteral("the desktop's setting")}, "note");
}

std::vector<GeometryCase> AllCases() {
    std::vector<GeometryCase> cases;
    for (const LookCase& look : kLooks) {
        // Linux desktops' fonts; on Windows the system's own face is the one that counts.
        if (look.family != nullptr && QSysInfo::kernelType() == QLatin1String("winnt")) {
            continue;
        }
        for (const char* locale : kLocales) {
            cases.emplace_back(look, locale);
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(LooksAndLocales, DialogGeometryTest, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<GeometryCase>& info) {
                             return std::string(info.param.first.desktop) + "_" + info.param.second;
                         });

} // namespace
} // namespace chronivo

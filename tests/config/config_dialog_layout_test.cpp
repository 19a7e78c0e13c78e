// The configuration dialog's controls: texts, places in dialog units, stacking, tab order, items.
#include "dialog_fixture.h"
#include "time/world_time.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <string_view>

namespace chronivo {
namespace {

struct ControlCase {
    const char* name;
    const char* text; // nullptr: the control shows no text of its own
    int x, y, width, height;
};

// The dialog's controls in tab order of the template, then the rows below it, with their texts
// and rectangles in dialog units.
const ControlCase kControls[] = {
    {"okButton", "OK", 129, 7, 50, 14},
    {"m_datePicker", nullptr, 13, 106, 60, 15},
    {"m_timePicker", nullptr, 113, 106, 60, 15},
    {"m_yearEdit", nullptr, 75, 106, 36, 15},
    {"m_titleEdit", nullptr, 133, 88, 40, 14},
    {"titleLabel", "Title", 115, 90, 14, 8},
    {"m_modeCombo", nullptr, 13, 87, 82, 41},
    {"countdownGroup", "Countdown Clock", 7, 78, 172, 50},
    {"use24Hour", "24 Hour time", 19, 24, 56, 10},
    {"useSeconds", "Show seconds", 19, 41, 63, 10},
    {"useWorldTime", "World time", 19, 58, 49, 10},
    {"m_cityList", nullptr, 7, 75, 172, 53},
    {"m_speedSlider", nullptr, 90, 57, 86, 15},
    {"slowLabel", "Slow", 160, 43, 16, 8},
    {"fastLabel", "Fast", 90, 43, 14, 8},
    {"colorChangeLabel", "Color change", 112, 43, 43, 8},
    {"speedText", nullptr, 90, 31, 86, 8},
    {"useRainbow", "Rainbow color", 19, 7, 61, 10},
    {"startAfter", "Start the saver after", 7, 136, 86, 10},
    {"m_startAfterEdit", nullptr, 95, 134, 32, 14},
    {"startAfterLabel", "minutes without input", 129, 137, 76, 8},
    {"desktopBlankNote", nullptr, 7, 152, 126, 24},
    {"soonerStartAfter", nullptr, 137, 152, 68, 14},
    {"addPlaceButton", "Add a place...", 7, 154, 64, 14},
    {"moreOptionsButton", "More options...", 141, 154, 64, 14},
};

QString TextOf(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return label->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        return group->title();
    }
    return {};
}

// The expected pixel rectangle, worked out here from the font on its own.
QRect ExpectedRect(const QFont& font, const ControlCase& c) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseX = (letters / 26 + 1) / 2;
    const int baseY = metrics.height();
    const auto scale = [](int units, int base, int divisor) {
        return (units * base + divisor / 2) / divisor;
    };
    return QRect(scale(c.x, baseX, 4), scale(c.y, baseY, 8), scale(c.width, baseX, 4),
                 scale(c.height, baseY, 8));
}

// The row of the note about the desktop's blank: while it shows, the rows below it move down by
// its height and the dialog grows by as much.
constexpr int kNoteRowTop = 152;
constexpr int kNoteRow = 26;

void ExpectTemplateArrangement(const ConfigDialog& dialog, bool noteRow = false) {
    const QFont font = dialog.font();
    const int shift = noteRow ? kNoteRow : 0;
    for (ControlCase c : kControls) {
        auto* control = dialog.findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(control, nullptr) << c.name;
        c.y += c.y > kNoteRowTop ? shift : 0;
        QRect expected = ExpectedRect(font, c);
        if (c.name == std::string_view("desktopBlankNote") &&
            !dialog.findChild<QWidget*>("soonerStartAfter")->isVisible()) {
            // Without a button beside it the note runs on to the button's right edge.
            expected.setRight(ExpectedRect(font, {"", nullptr, 137, 152, 68, 14}).right());
        }
        if (qobject_cast<QGroupBox*>(control) != nullptr) {
            // Its top edge moves up where its title needs more room than the template leaves.
            EXPECT_LE(control->y(), expected.y()) << c.name;
            EXPECT_EQ(control->x(), expected.x()) << c.name;
            EXPECT_EQ(control->width(), expected.width()) << c.name;
            EXPECT_EQ(control->geometry().bottom(), expected.bottom()) << c.name;
        } else if (qobject_cast<QComboBox*>(control) != nullptr) {
            // A closed drop-down is one line high; its template height is the open list's.
            EXPECT_EQ(control->geometry().topLeft(), expected.topLeft()) << c.name;
            EXPECT_EQ(control->width(), expected.width()) << c.name;
        } else if (const auto* label = qobject_cast<const QLabel*>(control);
                   (label != nullptr && !label->wordWrap() &&
                    !(label->alignment() & Qt::AlignHCenter)) ||
                   qobject_cast<QCheckBox*>(control) != nullptr) {
            // A left-aligned label or a check box starts where the template puts it and is never
            // cut short: where the face is wider than the template's, it runs on to the right.
            EXPECT_EQ(control->geometry().topLeft(), expected.topLeft()) << c.name;
            EXPECT_EQ(control->height(), expected.height()) << c.name;
            EXPECT_EQ(control->width(), std::max(expected.width(), control->sizeHint().width()))
                << c.name;
        } else if (const auto* centred = qobject_cast<const QLabel*>(control);
                   centred != nullptr && !centred->wordWrap()) {
            // A centred label keeps its centre and grows to either side as the face needs.
            const int grow = std::max(0, centred->sizeHint().width() - expected.width());
            EXPECT_EQ(control->geometry(), expected.adjusted(-(grow / 2), 0, grow - grow / 2, 0))
                << c.name;
        } else {
            EXPECT_EQ(control->geometry(), expected) << c.name;
        }
    }
    // The template's 186 x 135, grown for the rows below it and the preview's column.
    const QRect client = ExpectedRect(font, {"dialog", nullptr, 0, 0, 369, 175 + shift});
    EXPECT_EQ(dialog.size(), client.size());
}

TEST_F(DialogTest, HasTheCaptionAndEveryControlWithItsText) {
    Open();
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Velstrand ScreenSaver Configuration"));
    for (const ControlCase& c : kControls) {
        QWidget* control = Find<QWidget>(c.name);
        ASSERT_NE(control, nullptr);
        if (c.text != nullptr) {
            EXPECT_EQ(TextOf(control), QString::fromLatin1(c.text)) << c.name;
        }
    }
    // No Cancel button: OK is the default one, and every other push button opens a dialog but
    // the one that puts the time before the desktop's blank into the minutes field.
    const QList<QPushButton*> buttons = m_dialog->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 5);
    for (const QPushButton* button : buttons) {
        EXPECT_EQ(button->isDefault(), button == Find<QPushButton>("okButton"));
        if (button != Find<QPushButton>("soonerStartAfter")) {
            EXPECT_TRUE(button == Find<QPushButton>("okButton") || button->text().endsWith("..."))
                << button->text().toStdString();
            EXPECT_LE(button->sizeHint().width(), button->width()) << "the text fits";
        }
    }
}

TEST_F(DialogTest, PlacesEveryControlInDialogUnitsOfItsFont) {
    Open();
    ExpectTemplateArrangement(*m_dialog);
}

// Whether a click at the middle of the control reaches the control (or a part of it) rather
// than something drawn over it.
bool ReachableAtItsCentre(const QWidget& dialog, QWidget* control) {
    QWidget* hit = dialog.childAt(control->geometry().center());
    while (hit != nullptr && hit != control) {
        hit = hit->parentWidget();
    }
    return hit == control;
}

TEST_F(DialogTest, TheGroupFrameLiesBehindTheControlsInsideIt) {
    // Mode 4: every countdown control is on and shown.
    m_store.PutInt(QStringLiteral("Option"), 4);
    Open();
    for (const char* name : {"m_datePicker", "m_timePicker", "m_yearEdit", "m_titleEdit",
                             "titleLabel", "m_modeCombo"}) {
        EXPECT_TRUE(ReachableAtItsCentre(*m_dialog, Find<QWidget>(name))) << name;
    }
}

TEST_F(DialogTest, TheCityListLiesOverTheGroupFrame) {
    m_store.PutInt(QStringLiteral("WorldTime"), 1);
    Open();
    EXPECT_TRUE(ReachableAtItsCentre(*m_dialog, Find<QWidget>("m_cityList")));
}

TEST_F(DialogTest, KeepsTheArrangementWhenTheFontChanges) {
    Open();
    const QSize before = m_dialog->size();
    QFont large = m_dialog->font();
    large.setPixelSize(QFontInfo(large).pixelSize() * 2);
    m_dialog->setFont(large);
    // Everything grows with the font and stays where the template puts it.
    EXPECT_GT(m_dialog->width(), before.width());
    EXPECT_GT(m_dialog->height(), before.height());
    ExpectTemplateArrangement(*m_dialog);
}

struct NoteRowCase {
    int blank;        // the desktop's blank, seconds
    int minutes;      // the stored StartAfter
    const char* note; // the note's text in full; nullptr: not checked here
    const char* fact;
};

TEST_F(DialogTest, TheNoteTakesARowOfItsOwnAndItsTextsFit) {
    const NoteRowCase cases[] = {
        {300, 10, nullptr, "GNOME's blank: the note in two or three lines, \"Use 4 minutes\""},
        {45, 10,
         "This desktop blanks the screen after 45 seconds, sooner than the saver can start: to see "
         "the saver, make that time longer in the desktop's settings.",
         "no time the field offers comes sooner: said plainly, without a button"},
        {86399, 1440, nullptr, "a blank a second short of a day: \"Use 1439 minutes\""},
    };
    for (const NoteRowCase& c : cases) {
        m_store = RecordingStore();
        m_store.PutInt(QStringLiteral("StartAfter"), c.minutes);
        m_desktopBlank = DesktopBlank{c.blank, {}};
        Open();
        auto* note = Find<QLabel>("desktopBlankNote");
        ASSERT_TRUE(note->isVisible()) << c.fact;
        if (c.note != nullptr) {
            EXPECT_EQ(note->text(), QString::fromLatin1(c.note));
        }
        ExpectTemplateArrangement(*m_dialog, true);
        EXPECT_LE(note->heightForWidth(note->width()), note->height()) << c.fact;
        auto* sooner = Find<QPushButton>("soonerStartAfter");
        if (sooner->isVisible()) {
            EXPECT_LE(sooner->sizeHint().width(), sooner->width()) << c.fact;
        }
        EXPECT_EQ(sooner->isVisible(), c.blank > 60) << c.fact;
        // Unchecked, the note goes and the dialog is as it was.
        Click("startAfter");
        EXPECT_FALSE(note->isVisible()) << c.fact;
        ExpectTemplateArrangement(*m_dialog, false);
    }
}

struct TabCase {
    const char* store; // the key stored as 1 before opening
    int option;        // the stored mode
    QStringList order; // the controls Tab reaches from OK, back to OK
    const char* fact;
};

TEST_F(DialogTest, TabsThroughTheShownAndEnabledControlsInTemplateOrder) {
    const TabCase cases[] = {
        {"WorldTime",
         0,
         {"use24Hour", "useSeconds", "useWorldTime", "m_cityList", "m_speedSlider", "useRainbow",
          "startAfter", "addPlaceButton", "moreOptionsButton", "okButton"},
         "world time: the list and its button take part, the hidden countdown controls and the "
         "minutes field "
         "of an unchecked box do not"},
        {"Rainbow",
         4,
         {"m_datePicker", "m_timePicker", "m_yearEdit", "m_titleEdit", "m_modeCombo", "use24Hour",
          "useSeconds", "useWorldTime", "m_speedSlider", "useRainbow", "startAfter",
          "moreOptionsButton", "okButton"},
         "mode 4 enables both pickers, the Year box and the title"},
        {"StartAfter",
         0,
         {"m_modeCombo", "use24Hour", "useSeconds", "useWorldTime", "m_speedSlider", "useRainbow",
          "startAfter", "m_startAfterEdit", "moreOptionsButton", "okButton"},
         "the minutes field follows its box while the box is checked"},
    };
    for (const TabCase& c : cases) {
        m_store = RecordingStore();
        m_store.PutInt(QString::fromLatin1(c.store), 1);
        m_store.PutInt(QStringLiteral("Option"), c.option);
        Open();
        QWidget* previous = Find<QWidget>("okButton");
        previous->setFocus();
        for (const QString& name : c.order) {
            // Tab walks through a picker's month, day and year before it leaves the picker.
            QWidget* focus = previous;
            for (int presses = 0; presses < 4 && focus == previous; ++presses) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                focus = QApplication::focusWidget();
                while (focus != nullptr && focus->objectName().isEmpty()) {
                    focus = focus->parentWidget(); // from a picker's inner line edit to the picker
                }
            }
            EXPECT_EQ(focus, Find<QWidget>(name.toLatin1().constData()))
                << c.fact << ": " << name.toStdString();
            previous = focus;
        }
    }
}

TEST_F(DialogTest, ListsTheSixModesInOrder) {
    Open();
    auto* combo = Find<QComboBox>("m_modeCombo");
    const QStringList expected = {
        "None",     "Begining of Year", "End of Year", "Target Date (Near)", "Target Date (Far)",
        "Christmas"};
    ASSERT_EQ(combo->count(), expected.size());
    for (int i = 0; i < combo->count(); ++i) {
        EXPECT_EQ(combo->itemText(i), expected.at(i)) << "item " << i;
    }
}

TEST_F(DialogTest, FillsTheCityListInCaseInsensitiveOrderWithEachZoneCode) {
    Open();
    auto* list = Find<QListWidget>("m_cityList");
    ASSERT_EQ(list->count(), kWorldCityCount);
    for (int row = 1; row < list->count(); ++row) {
        EXPECT_LT(QString::compare(list->item(row - 1)->text(), list->item(row)->text(),
                                   Qt::CaseInsensitive),
                  0)
            << "row " << row;
    }
    // Every city of the table is there once, with its own code.
    for (const WorldCity& city : WorldCityTable) {
        const QList<QListWidgetItem*> items =
            list->findItems(QString::fromLatin1(city.name), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << city.name;
        EXPECT_EQ(items.front()->data(Qt::UserRole).toInt(), city.zone) << city.name;
    }
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Addis Ababa"));
    EXPECT_EQ(list->item(list->count() - 1)->text(), QStringLiteral("Zurich"));
    EXPECT_TRUE(SelectedCities().isEmpty());
}

TEST_F(DialogTest, SetsUpTheSliderFromZeroTo6000WithATickEvery300) {
    Open();
    auto* slider = Find<QSlider>("m_speedSlider");
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 6000);
    EXPECT_EQ(slider->tickInterval(), 300);
    EXPECT_EQ(slider->tickPosition(), QSlider::TicksAbove);
    EXPECT_EQ(slider->orientation(), Qt::Horizontal);
}

} // namespace
} // namespace chronivo

// Every text of every dialog fits the room its control gives it, with the fonts the system gives
// Qt: Linux's fontconfig, or Windows' own under Wine.
#include "config/config_dialog.h"
#include "recording_store.h"
#include "time/time_sample.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTest>

#include <cstdint>
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
// control whose text is not judged here (hidden, a label that wraps, a control without text).
std::pair<int, int> TextAndRoom(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control);
        label != nullptr && !label->wordWrap()) {
        return {TextWidth(control, label->text()), label->contentsRect().width()};
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        return {TextWidth(control, box->text()),
                box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width()};
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
        return {button->sizeHint().width(), button->width()};
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(&control)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        return {
            TextWidth(control, combo->currentText()),
            combo->style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                .width()};
    }
    return {0, 0};
}

// The controls of `dialog` whose text is cut, with what they need and have.
QStringList CutTexts(const QWidget& dialog) {
    QStringList cut;
    for (const QWidget* control : dialog.findChildren<QWidget*>()) {
        const auto [text, room] = TextAndRoom(*control);
        if (control->isVisibleTo(&dialog) && text > room) {
            cut << QStringLiteral("%1 needs %2 px, has %3")
                       .arg(control->objectName())
                       .arg(text)
                       .arg(room);
        }
    }
    return cut;
}

TEST(DialogTextFitTest, NoTextIsCutInAnyDialog) {
    RecordingStore store;
    // World time on, so that its controls show too, and a countdown with its title.
    store.PutInt(QStringLiteral("WorldTime"), 1);
    store.PutInt(QStringLiteral("Option"), 1);
    const FixedClock clock{TimeSample{kNowUtc, 0}};
    ConfigDialog dialog(nullptr, store, clock);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(CutTexts(dialog).join(u'\n').toStdString(), "") << "the settings dialog";

    for (const char* button : {"moreOptionsButton", "addPlaceButton"}) {
        QTest::mouseClick(dialog.findChild<QWidget*>(QString::fromLatin1(button)), Qt::LeftButton);
        auto* opened = dialog.findChild<QDialog*>(QString::fromLatin1(button).replace(
            QStringLiteral("Button"), QStringLiteral("Dialog")));
        ASSERT_NE(opened, nullptr) << button;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(opened)) << button;
        EXPECT_EQ(CutTexts(*opened).join(u'\n').toStdString(), "") << button;
        opened->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
} // namespace chronivo

// The dialog's preview: every choice shows in it at once, as the saver would draw the settings OK
// would store, and nothing is stored for it; the small dialogs open as dialogs over the main one.
#include "config/config_values.h"
#include "dialog_fixture.h"
#include "saver/frame_composer.h"
#include "saver/saver_preview.h"
#include "saver/saver_settings.h"
#include "zones/zone_code.h"
#include "zones/zone_lookup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

namespace chronivo {
namespace {

// The settings of every case before its change: a clock with the default speed.
void PutBase(RecordingStore& store) {
    store.PutInt(QStringLiteral("Speed"), 600);
}

// What a frame showed, for comparing two frames: its record, and its pixels for what the record
// does not name (a face, an outline).
std::string Shown(const FrameRecord& frame, const QImage& pixels) {
    const QByteArray bytes(reinterpret_cast<const char*>(pixels.constBits()),
                           static_cast<qsizetype>(pixels.sizeInBytes()));
    std::string text = "pixels " + std::to_string(qHash(bytes)) + " " + frame.kind +
                       " background " + std::to_string(frame.background) +
                       (frame.rainbow ? " striped" : "") +
                       (frame.countdownDays ? " countdown" : "") + "\n";
    for (const DrawnText& drawn : frame.texts) {
        text += drawn.role + " '" + drawn.text.toStdString() + "' at " +
                std::to_string(drawn.rect.left) + "," + std::to_string(drawn.rect.top) + " " +
                std::to_string(drawn.pixelSize) + "px colour " + std::to_string(drawn.color) + "\n";
    }
    return text;
}

class DialogPreviewTest : public DialogTest {
public:
    // For the cases' choices.
    using DialogTest::ChooseMode;
    using DialogTest::Click;
    using DialogTest::ClickCity;
    using DialogTest::Find;
    using DialogTest::Type;

protected:
    // The preview's frame of now: drawn afresh, as its next tick would draw it.
    std::string PreviewFrame() const {
        auto* preview = Find<SaverPreview>("preview");
        preview->grab();
        const FrameRecord* frame = preview->LastFrame();
        return frame != nullptr ? Shown(*frame, preview->LastImage()) : "no frame";
    }
    // The frame the saver draws for `store` at the preview's size and dpi.
    std::string SaverFrame(const ProfileStore& store) const {
        auto* preview = Find<SaverPreview>("preview");
        StripePace pace;
        FrameComposer composer(ReadSaverSettings(store, kNowUtc), pace, preview->Options());
        const FrameRecord& frame = composer.DrawFrame(m_clock.Now(), preview->size());
        return Shown(frame, composer.FrameImage());
    }
};

struct ChoiceCase {
    const char* what;
    std::function<void(DialogPreviewTest&)> choose;
    // The values OK would store for the choice: the int or QString under each key.
    std::vector<std::pair<const char*, QVariant>> stored;
};

// A zone the Add-a-place dialog offers, by its search.
constexpr char kOwnZone[] = "Asia/Kathmandu";

TEST_F(DialogPreviewTest, EveryChoiceShowsAsTheSaverWouldDrawIt) {
    const int speed = QuantiseSpeed(4000);
    const ChoiceCase cases[] = {
        {"rainbow", [](auto& t) { t.Click("useRainbow"); }, {{"Rainbow", 1}}},
        {"24-hour time", [](auto& t) { t.Click("use24Hour"); }, {{"24Hour", 1}}},
        {"speed",
         [](auto& t) { t.template Find<QSlider>("m_speedSlider")->setValue(4000); },
         {{"Speed", speed}}},
        {"countdown mode", [](auto& t) { t.ChooseMode(5); }, {{"Option", 5}}},
        {"title",
         [](auto& t) {
             t.ChooseMode(1);
             t.Type("m_titleEdit", QStringLiteral("Party"));
         },
         {{"Option", 1}, {"Title", QStringLiteral("Party")}}},
        {"target",
         [](auto& t) {
             t.ChooseMode(3);
             t.template Find<QDateEdit>("m_datePicker")->setDate(QDate(2026, 5, 18));
             t.template Find<QTimeEdit>("m_timePicker")->setTime(QTime(9, 30, 0));
         },
         {{"Option", 3},
          {"Year", 2026},
          {"Month", 5},
          {"Day", 18},
          {"Hour", 9},
          {"Minute", 30},
          {"Second", 0}}},
        {"world time",
         [](auto& t) {
             t.Click("useWorldTime");
             t.ClickCity(QStringLiteral("Tokyo"));
         },
         {{"WorldTime", 1},
          {"WTcount", 1},
          {"WTtext0", QStringLiteral("Tokyo")},
          {"WTzone0", static_cast<int>(FindWorldCity("Tokyo")->zone)},
          {"WTtz0", QString()}}},
        {"a place being added",
         [](auto& t) {
             t.Click("useWorldTime");
             t.Click("addPlaceButton");
             QTest::keyClicks(t.template Find<QLineEdit>("zoneSearch"), QStringLiteral("Kathm"));
         },
         {{"WorldTime", 1},
          {"WTcount", 1},
          {"WTtext0", QStringLiteral("Kathmandu")},
          {"WTzone0", ZoneCodeOf(KnownTimeZone(kOwnZone), kNowUtc)},
          {"WTtz0", QString::fromLatin1(kOwnZone)}}},
        {"dark, in More options before its OK",
         [](auto& t) {
             t.Click("moreOptionsButton");
             t.Click("dark");
         },
         {{"Dark", 1}}},
        {"a bold font, in More options",
         [](auto& t) {
             t.Click("moreOptionsButton");
             t.Click("otherFont");
             t.Click("bold");
         },
         {{"Font", QFontInfo(QFont()).family() + QStringLiteral(":bold")}}},
    };
    for (const ChoiceCase& c : cases) {
        m_store = RecordingStore();
        PutBase(m_store);
        RecordingStore expected;
        PutBase(expected);
        for (const auto& [key, value] : c.stored) {
            if (value.typeId() == QMetaType::Int) {
                expected.PutInt(QString::fromLatin1(key), value.toInt());
            } else {
                expected.PutString(QString::fromLatin1(key), value.toString());
            }
        }
        Open();
        const std::string before = PreviewFrame();
        ASSERT_EQ(before, SaverFrame(m_store)) << c.what << ": as opened";
        c.choose(*this);
        EXPECT_EQ(PreviewFrame(), SaverFrame(expected)) << c.what;
        EXPECT_NE(PreviewFrame(), before) << c.what << " shows";
        EXPECT_TRUE(m_store.Writes().isEmpty()) << c.what << ": nothing stored";
        m_dialog.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(DialogPreviewTest, TheSmallDialogsOpenCentredAsDialogsAndEscCancels) {
    m_store.PutInt(QStringLiteral("WorldTime"), 1);
    for (const char* button : {"addPlaceButton", "moreOptionsButton"}) {
        Open();
        Click(button);
        auto* opened =
            Find<QDialog>(QString::fromLatin1(button)
                              .replace(QStringLiteral("Button"), QStringLiteral("Dialog"))
                              .toLatin1()
                              .constData());
        ASSERT_TRUE(QTest::qWaitForWindowActive(opened)) << button;
        const QPoint offset = opened->frameGeometry().center() - m_dialog->frameGeometry().center();
        // Within the pixel that halving an odd size rounds away, on either axis.
        EXPECT_TRUE(std::abs(offset.x()) <= 2 && std::abs(offset.y()) <= 2)
            << button << " is centred over the settings: " << opened->frameGeometry().x() << ","
            << opened->frameGeometry().y() << " " << opened->width() << "x" << opened->height()
            << " over " << m_dialog->width() << "x" << m_dialog->height();
        EXPECT_TRUE(opened->windowFlags() & Qt::CustomizeWindowHint) << button;
        EXPECT_FALSE(opened->windowFlags() &
                     (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint))
            << button;
        QTest::keyClick(opened, Qt::Key_Escape);
        EXPECT_FALSE(opened->isVisible()) << button << " closes on Esc";
        EXPECT_EQ(opened->result(), QDialog::Rejected) << button;
        EXPECT_TRUE(m_dialog->isVisible()) << button << ": the settings stay";
        EXPECT_TRUE(m_store.Writes().isEmpty()) << button;
        m_dialog.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
} // namespace chronivo

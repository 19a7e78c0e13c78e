#include "config/config_dialog.h"

#include "config/config_values.h"
#include "config/dialog_controls.h"
#include "config/dialog_units.h"
#include "config/speed_slider.h"
#include "saver/saver_preview.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTimeEdit>
#include <QWindow>

#include <algorithm>

namespace chronivo {

namespace {

// The dialog's client area in dialog units: the template's 186 x 135, grown to the right and
// downwards for the "Start the saver after" row below the countdown group, whose texts need more
// than the template's width, and for the row of buttons below that; then to the right by the
// preview's column.
constexpr int kControlsWidthUnits = 212;
constexpr int kDialogHeightUnits = 175;

// The preview's column, right of the controls: the preview at the screen's aspect ratio from the
// top, the full-screen button under it at the right.
constexpr int kPreviewLeftUnits = kControlsWidthUnits;
constexpr int kPreviewWidthUnits = 150;
constexpr int kDialogWidthUnits = kPreviewLeftUnits + kPreviewWidthUnits + 7;
constexpr int kFullScreenWidthUnits = 80;
constexpr int kButtonHeightUnits = 14;
constexpr int kRowGapUnits = 4;

// A text may run on to the right up to this many units before the next control on its row, and
// inside the countdown group up to this many units before its right edge.
constexpr int kNeighbourGapUnits = 2;
constexpr int kGroupMarginUnits = 6;

// The note about the desktop's own blank and its button take a row of their own under "Start
// the saver after" while they show: the rows below it move down by its height, and the dialog
// grows by as much.
constexpr int kNoteRowTopUnits = 152;
constexpr int kNoteRowUnits = 26;
// The button with the sooner time, at the right end of the note's row.
constexpr int kSoonerLeftUnits = 137;
constexpr int kSoonerWidthUnits = 68;

// The countdown modes in combo order: an item's index is the mode it stands for.
const char* const kModeItems[] = {
    "None",     "Begining of Year", "End of Year", "Target Date (Near)", "Target Date (Far)",
    "Christmas"};

// The user's short date format with the year in full, so that any year from 1601 to 9999 can be
// read and typed ("M/d/yy" becomes "M/d/yyyy").
QString ShortDateFormatWithFullYear() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy"))) {
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    return format;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(alignment);
    return label;
}

} // namespace

ConfigDialog::ConfigDialog(QWidget* parent, ProfileStore& store, const Clock& clock)
    : QDialog(parent)
    , m_app(store)
    , m_clock(clock) {
    setWindowTitle(QStringLiteral("Velstrand ScreenSaver Configuration"));
    // A fixed-size dialog with a caption and a close box, and nothing else in its frame.
    SetDialogFrame(*this);
    setModal(true);

    // The target starts at the present moment, the Year box at the present local year.
    m_targetDate = QDateTime::fromSecsSinceEpoch(m_clock.Now().seconds);
    m_targetTime = m_targetDate;
    m_year = m_targetDate.date().year();

    CreateControls();
    PlaceControls();
    OnInitDialog();
}

ConfigDialog::~ConfigDialog() = default;

QString ConfigDialog::MessageCaption() {
    return QStringLiteral("Chronivo");
}

void ConfigDialog::ShowMessage(const QString& text) {
    // Over the dialog the message is about: "Add a place" or "More options" while one is open.
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* over = modal != nullptr && isAncestorOf(modal) ? modal : this;
    QMessageBox box(QMessageBox::Warning, MessageCaption(), text, QMessageBox::Ok, over);
    box.exec();
}

void ConfigDialog::CreateControls() {
    // Created in the order of the dialog's template, which is also the tab order.
    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setDefault(true);

    m_datePicker = new QDateEdit(this);
    m_datePicker->setObjectName(QStringLiteral("m_datePicker"));
    m_datePicker->setDisplayFormat(ShortDateFormatWithFullYear());
    m_datePicker->setDateRange(EarliestPickerDate(), LatestPickerDate());
    m_datePicker->setCalendarPopup(true);
    m_datePicker->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_timePicker = new QTimeEdit(this);
    m_timePicker->setObjectName(QStringLiteral("m_timePicker"));
    m_timePicker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    m_timePicker->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_yearEdit = new QLineEdit(this);
    m_yearEdit->setObjectName(QStringLiteral("m_yearEdit"));
    m_yearEdit->setEnabled(false);

    m_titleEdit = new QLineEdit(this);
    m_titleEdit->setObjectName(QStringLiteral("m_titleEdit"));

    m_titleLabel = MakeLabel(this, "titleLabel", QStringLiteral("Title"));

    m_modeCombo = new QComboBox(this);
    m_modeCombo->setObjectName(QStringLiteral("m_modeCombo"));
    for (const char* item : kModeItems) {
        m_modeCombo->addItem(QString::fromLatin1(item));
    }

    m_countdownGroup = new QGroupBox(QStringLiteral("Countdown Clock"), this);
    m_countdownGroup->setObjectName(QStringLiteral("countdownGroup"));
    // The group box is only a frame drawn behind the countdown controls, not their parent.
    m_countdownGroup->lower();

    m_use24HourBox = MakeCheckBox(this, "use24Hour", QStringLiteral("24 Hour time"));
    m_useSecondsBox = MakeCheckBox(this, "useSeconds", QStringLiteral("Show seconds"));
    m_useWorldTimeBox = MakeCheckBox(this, "useWorldTime", QStringLiteral("World time"));

    m_cityList = new QListWidget(this);
    m_cityList->setObjectName(QStringLiteral("m_cityList"));
    // Each click toggles one city; the list keeps itself in alphabetical order (FillCityList).
    m_cityList->setSelectionMode(QAbstractItemView::MultiSelection);
    m_cityList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_cityList->setVisible(false);

    m_speedSlider = new SpeedSlider(this);
    m_speedSlider->setObjectName(QStringLiteral("m_speedSlider"));
    m_speedSlider->setTickPosition(QSlider::TicksAbove);

    auto* slowLabel = MakeLabel(this, "slowLabel", QStringLiteral("Slow"));
    auto* fastLabel = MakeLabel(this, "fastLabel", QStringLiteral("Fast"));
    auto* colorLabel = MakeLabel(this, "colorChangeLabel", QStringLiteral("Color change"));
    // The read-out shows the template's text until the dialog has opened.
    m_speedLabel = MakeLabel(this, "speedText", QStringLiteral("60000"), Qt::AlignHCenter);

    m_useRainbowBox = MakeCheckBox(this, "useRainbow", QStringLiteral("Rainbow color"));

    // Below the template's controls: the idle time after which the session's watcher starts
    // the saver.
    m_startAfterBox = MakeCheckBox(this, "startAfter", QStringLiteral("Start the saver after"));
    m_startAfterEdit = new QSpinBox(this);
    m_startAfterEdit->setObjectName(QStringLiteral("m_startAfterEdit"));
    m_startAfterEdit->setRange(kStartAfterMinMinutes, kStartAfterMaxMinutes);
    // A time typed below the range becomes the shortest, not the one shown before.
    m_startAfterEdit->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    m_startAfterEdit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_startAfterEdit->setEnabled(false);
    auto* startAfterLabel =
        MakeLabel(this, "startAfterLabel", QStringLiteral("minutes without input"));
    // Under the row, while the desktop's own blank would come first: why, and a sooner time.
    m_desktopBlankNote = MakeLabel(this, "desktopBlankNote", QString());
    m_desktopBlankNote->setWordWrap(true);
    m_desktopBlankNote->setVisible(false);
    m_soonerButton = new QPushButton(this);
    m_soonerButton->setObjectName(QStringLiteral("soonerStartAfter"));
    m_soonerButton->setAutoDefault(false);
    m_soonerButton->setVisible(false);

    // The last row: a place of the user's own for the city list (shown with the list), and the
    // options beyond this window's.
    m_addPlaceButton = new QPushButton(QStringLiteral("Add a place..."), this);
    m_addPlaceButton->setObjectName(QStringLiteral("addPlaceButton"));
    m_addPlaceButton->setVisible(false);
    m_moreOptionsButton = new QPushButton(QStringLiteral("More options..."), this);
    m_moreOptionsButton->setObjectName(QStringLiteral("moreOptionsButton"));

    // The preview's column.
    m_preview = new SaverPreview(m_clock, this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setToolTip(QStringLiteral("Click to see it full screen"));
    m_fullScreenButton = new QPushButton(QStringLiteral("Full screen..."), this);
    m_fullScreenButton->setObjectName(QStringLiteral("fullScreenButton"));
    m_fullScreenButton->setAutoDefault(false);
    m_fullScreenButton->setEnabled(false);

    m_placements = {
        {m_okButton, 129, 7, 50, 14},
        {m_datePicker, 13, 106, 60, 15},
        {m_timePicker, 113, 106, 60, 15},
        // The Year box between the pickers with a gap on either side, where the template has
        // it overlap both by a unit.
        {m_yearEdit, 75, 106, 36, 15},
        {m_titleEdit, 133, 88, 40, 14},
        {m_titleLabel, 115, 90, 14, 8},
        {m_modeCombo, 13, 87, 82, 41},
        {m_countdownGroup, 7, 78, 172, 50},
        {m_use24HourBox, 19, 24, 56, 10},
        {m_useSecondsBox, 19, 41, 63, 10},
        {m_useWorldTimeBox, 19, 58, 49, 10},
        {m_cityList, 7, 75, 172, 53},
        {m_speedSlider, 90, 57, 86, 15},
        {slowLabel, 160, 43, 16, 8},
        {fastLabel, 90, 43, 14, 8},
        {colorLabel, 112, 43, 43, 8},
        {m_speedLabel, 90, 31, 86, 8},
        {m_useRainbowBox, 19, 7, 61, 10},
        {m_startAfterBox, 7, 136, 86, 10},
        {m_startAfterEdit, 95, 134, 32, 14},
        {startAfterLabel, 129, 137, 76, 8},
        {m_desktopBlankNote, 7, kNoteRowTopUnits, kSoonerLeftUnits - 11, 24},
        {m_soonerButton, kSoonerLeftUnits, kNoteRowTopUnits, kSoonerWidthUnits, 14},
        {m_addPlaceButton, 7, 154, 64, 14},
        {m_moreOptionsButton, 141, 154, 64, 14},
    };

    // The tab order of the template, then the rows below it; labels and the group box take no
    // focus.
    QWidget* const tabOrder[] = {
        m_okButton,       m_datePicker,        m_timePicker,      m_yearEdit,        m_titleEdit,
        m_modeCombo,      m_use24HourBox,      m_useSecondsBox,   m_useWorldTimeBox, m_cityList,
        m_speedSlider,    m_useRainbowBox,     m_startAfterBox,   m_startAfterEdit,  m_soonerButton,
        m_addPlaceButton, m_moreOptionsButton, m_fullScreenButton};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    connect(m_okButton, &QPushButton::clicked, this, &ConfigDialog::OnOK);
    connect(m_modeCombo, &QComboBox::currentIndexChanged, this, &ConfigDialog::OnModeChange);
    connect(m_useWorldTimeBox, &QCheckBox::clicked, this, &ConfigDialog::OnWorldTime);
    connect(m_speedSlider, &SpeedSlider::MouseReleased, this, &ConfigDialog::OnSpeedReleased);
    connect(m_startAfterBox, &QCheckBox::toggled, this, &ConfigDialog::OnStartAfter);
    connect(m_startAfterEdit, &QSpinBox::valueChanged, this, &ConfigDialog::UpdateDesktopBlankNote);
    connect(m_soonerButton, &QPushButton::clicked, this, &ConfigDialog::OnSoonerStartAfter);
    connect(m_addPlaceButton, &QPushButton::clicked, this, &ConfigDialog::OnAddPlace);
    connect(m_moreOptionsButton, &QPushButton::clicked, this, &ConfigDialog::OnMoreOptions);
    connect(m_preview, &SaverPreview::Clicked, this, &ConfigDialog::OnFullScreen);
    connect(m_fullScreenButton, &QPushButton::clicked, this, &ConfigDialog::OnFullScreen);

    // Every change of a choice shows in the preview at once.
    const auto preview = [this] { UpdatePreview(); };
    connect(m_modeCombo, &QComboBox::currentIndexChanged, this, preview);
    connect(m_datePicker, &QDateEdit::dateChanged, this, preview);
    connect(m_timePicker, &QTimeEdit::timeChanged, this, preview);
    connect(m_yearEdit, &QLineEdit::textChanged, this, preview);
    connect(m_titleEdit, &QLineEdit::textChanged, this, preview);
    for (QCheckBox* box : {m_use24HourBox, m_useSecondsBox, m_useWorldTimeBox, m_useRainbowBox}) {
        connect(box, &QCheckBox::toggled, this, preview);
    }
    connect(m_cityList, &QListWidget::itemSelectionChanged, this, preview);
    connect(m_speedSlider, &QSlider::valueChanged, this, preview);
}

void ConfigDialog::PlaceControls() {
    const int rowShift = m_noteRowShown ? kNoteRowUnits : 0;
    const DialogBaseUnits base = GrownBaseUnits(rowShift);
    for (const Placement& place : m_placements) {
        const int y = place.y > kNoteRowTopUnits ? place.y + rowShift : place.y;
        QRect rect = DialogRectToPixels(place.x, y, place.width, place.height, base);
        if (place.control == m_modeCombo) {
            // The template's height of a drop-down combo is that of its open list; closed, the
            // box is one line high.
            rect.setHeight(m_modeCombo->sizeHint().height());
        }
        const auto* label = qobject_cast<const QLabel*>(place.control);
        if ((label != nullptr && !label->wordWrap() && !(label->alignment() & Qt::AlignHCenter)) ||
            qobject_cast<const QAbstractButton*>(place.control) != nullptr) {
            // A face wider than the one the template was laid out for would cut a left-aligned
            // label's, a check box's or a button's text short ("Color change", "24 Hour time");
            // let it run on to the right instead, into the room GrownBaseUnits made. A label that
            // wraps its lines keeps its width.
            rect.setWidth(std::max(rect.width(), place.control->sizeHint().width()));
        } else if (label != nullptr && !label->wordWrap()) {
            // A centred label ("cycle in 10.00 minutes") grows as much to either side.
            const int grow = std::max(0, label->sizeHint().width() - rect.width());
            rect.adjust(-(grow / 2), 0, grow - grow / 2, 0);
        }
        if (place.control == m_desktopBlankNote && !m_soonerButton->isVisibleTo(this)) {
            // Without a sooner time to offer, the note takes the button's place as well.
            rect.setRight(
                DialogRectToPixels(kSoonerLeftUnits, y, kSoonerWidthUnits, 14, base).right());
        }
        place.control->setGeometry(rect);
    }
    FitCountdownGroup();

    // The preview as wide as its column and as high as the screen's shape makes it, within the
    // height of the controls; the button under it.
    const int dialogHeight = DialogYToPixels(kDialogHeightUnits + rowShift, base);
    const QRect column =
        DialogRectToPixels(kPreviewLeftUnits, 7, kPreviewWidthUnits, kDialogHeightUnits - 14, base);
    const int buttonHeight = std::max(DialogYToPixels(kButtonHeightUnits, base),
                                      m_fullScreenButton->sizeHint().height());
    const int gap = DialogYToPixels(kRowGapUnits, base);
    const QSize previewSize = PreviewSizeFor(m_preview->ScreenSize(), column.width(),
                                             column.height() - gap - buttonHeight);
    // A screen narrower than the column's shape gets a narrower preview, in the column's middle.
    m_preview->setGeometry(
        QRect(QPoint(column.left() + (column.width() - previewSize.width()) / 2, column.top()),
              previewSize));
    const int buttonWidth = std::max(DialogXToPixels(kFullScreenWidthUnits, base),
                                     m_fullScreenButton->sizeHint().width());
    m_fullScreenButton->setGeometry(column.right() + 1 - buttonWidth,
                                    column.top() + previewSize.height() + gap, buttonWidth,
                                    buttonHeight);
    setFixedSize(DialogXToPixels(kDialogWidthUnits, base), dialogHeight);
}

int ConfigDialog::RoomUnits(const Placement& place, int rowShift) const {
    // A control's rows in dialog units; a drop-down's template height is its open list's, closed
    // it takes one row.
    const auto rows = [rowShift, this](const Placement& p) {
        const int top = p.y > kNoteRowTopUnits ? p.y + rowShift : p.y;
        return std::pair(top, top + (p.control == m_modeCombo ? kButtonHeightUnits : p.height));
    };
    const auto [top, bottom] = rows(place);
    // Up to the controls' right margin, or inside the countdown group up to its own.
    const QRect group(7, 78, 172, 50);
    int right = group.contains(QRect(place.x, top, place.width, bottom - top))
                    ? group.right() + 1 - kGroupMarginUnits
                    : kControlsWidthUnits - 7;
    for (const Placement& other : m_placements) {
        const auto [otherTop, otherBottom] = rows(other);
        if (other.control != place.control && other.control != m_countdownGroup &&
            other.control->isVisibleTo(this) && other.x > place.x && otherTop < bottom &&
            top < otherBottom) {
            right = std::min(right, other.x - kNeighbourGapUnits);
        }
    }
    return right - place.x;
}

DialogBaseUnits ConfigDialog::GrownBaseUnits(int rowShift) const {
    // A face whose texts are wide for its letters (Windows' Tahoma) would have a text run into
    // the control beside it. The whole arrangement then grows to the right, every position and
    // width by the same factor: the horizontal unit becomes the smallest whole number of pixels
    // that gives each text the room it may run on into.
    DialogBaseUnits base = BaseUnitsOf(font());
    for (const Placement& place : m_placements) {
        const auto* label = qobject_cast<const QLabel*>(place.control);
        const bool runsOn =
            (label != nullptr && !label->wordWrap() && !(label->alignment() & Qt::AlignHCenter)) ||
            qobject_cast<const QAbstractButton*>(place.control) != nullptr;
        const int room = RoomUnits(place, rowShift);
        if (runsOn && place.control->isVisibleTo(this) && room > 0) {
            const int needed = place.control->sizeHint().width();
            base.x = std::max(base.x, (4 * needed + room - 1) / room);
        }
    }
    return base;
}

void ConfigDialog::FitCountdownGroup() {
    // The group's title takes more room in some styles and fonts than the template leaves above
    // the first row inside it: the group's top edge then moves up, into the gap above it, until
    // that row lies below the title.
    QStyleOptionGroupBox option;
    option.initFrom(m_countdownGroup);
    option.text = m_countdownGroup->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const int titleRoom = style()
                              ->subControlRect(QStyle::CC_GroupBox, &option,
                                               QStyle::SC_GroupBoxContents, m_countdownGroup)
                              .top();
    const int firstRow = std::min({m_modeCombo->y(), m_titleEdit->y(), m_titleLabel->y()});
    QRect group = m_countdownGroup->geometry();
    if (group.top() + titleRoom > firstRow) {
        group.setTop(firstRow - titleRoom);
        m_countdownGroup->setGeometry(group);
    }
}

void ConfigDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // On its screen now: the preview takes that screen's shape.
    PlaceControls();
    UpdatePreview();
}

void ConfigDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange && !m_placements.empty()) {
        PlaceControls();
    }
}

void RunConfigDialog(QWidget* parent, ProfileStore& store,
                     const std::optional<DesktopBlank>& desktopBlank, const Clock& clock,
                     QWindow* owner, const QString& saverProgram) {
    ConfigDialog dialog(parent, store, clock);
    dialog.SetSaverProgram(saverProgram);
    if (owner != nullptr) {
        // The native window exists from here on, so it can be given its owner.
        dialog.winId();
        dialog.windowHandle()->setTransientParent(owner);
    }
    dialog.SetStartAfterPlaces(SessionStartAfterPlaces());
    dialog.SetDesktopBlank(desktopBlank);
    dialog.exec();
}

} // namespace chronivo

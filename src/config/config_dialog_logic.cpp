// What the configuration dialog does with its values: the exchange between members and
// controls, opening, the handlers and storing on OK. The controls are built in
// config_dialog.cpp.
#include "config/config_dialog.h"

#include "config/add_place.h"
#include "config/config_values.h"
#include "config/dialog_controls.h"
#include "config/more_options.h"
#include "config/saver_trial.h"
#include "config/speed_slider.h"
#include "saver/saver_preview.h"
#include "saver/saver_settings.h"
#include "settings/overlay_store.h"
#include "settings/profile_store.h"
#include "settings/settings_keys.h"
#include "time/world_time.h"
#include "zones/zone_code.h"
#include "zones/zone_lookup.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>

#include <algorithm>

namespace chronivo {

namespace {

// The modes whose target the user sets: 3 takes the year from the date picker, 4 from the
// Year box.
constexpr int kModeNear = 3;
constexpr int kModeFar = 4;
constexpr int kModeCount = 6;

// The year in which mode 4 shows its month and day: a leap year, so 29 February can be shown.
constexpr int kFarPickerYear = 2000;

// Where each list item keeps its city's ZoneCode, and a place the user added its tz zone
// ("Asia/Kathmandu"); the table's cities keep no zone there.
constexpr int kZoneRole = Qt::UserRole;
constexpr int kTzRole = Qt::UserRole + 1;

bool IsOwnPlace(const QListWidgetItem* item) {
    return !item->data(kTzRole).toString().isEmpty();
}

// Keeps the change notifications of the controls out while values move.
class ExchangeGuard {
public:
    explicit ExchangeGuard(int& depth)
        : m_depth(depth) {
        ++m_depth;
    }
    ~ExchangeGuard() { --m_depth; }
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;

private:
    int& m_depth;
};

void LoadCheck(QCheckBox* box, int flag) {
    box->setChecked(flag != 0);
}
int TakeCheck(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

} // namespace

bool ConfigDialog::UpdateData(bool saveAndValidate) {
    const ExchangeGuard guard(m_exchanging);
    if (!saveAndValidate) {
        m_datePicker->setDate(m_targetDate.date());
        m_timePicker->setTime(m_targetTime.time());
        m_yearEdit->setText(QString::number(m_year));
        m_titleEdit->setText(m_titleText);
        LoadCheck(m_use24HourBox, m_use24Hour);
        LoadCheck(m_useSecondsBox, m_useSeconds);
        LoadCheck(m_useWorldTimeBox, m_useWorldTime);
        m_speedLabel->setText(m_speedText);
        LoadCheck(m_useRainbowBox, m_useRainbow);
        return true;
    }
    // Each picker shows one half of its time value; the other half is kept as it was.
    m_targetDate = QDateTime(m_datePicker->date(), m_targetDate.time());
    m_targetTime = QDateTime(m_targetTime.date(), m_timePicker->time());
    const std::optional<int> year = ParseWholeNumber(m_yearEdit->text());
    if (!year) {
        ShowMessage(QStringLiteral("Please enter an integer."));
        m_yearEdit->setFocus(Qt::OtherFocusReason);
        m_yearEdit->selectAll();
        return false;
    }
    m_year = *year;
    // A title the user has not edited keeps the stored text whole: the edit box may have cut a
    // very long one short.
    if (m_titleEdit->isModified()) {
        m_titleText = m_titleEdit->text();
    }
    m_use24Hour = TakeCheck(m_use24HourBox);
    m_useSeconds = TakeCheck(m_useSecondsBox);
    m_useWorldTime = TakeCheck(m_useWorldTimeBox);
    m_speedText = m_speedLabel->text();
    m_useRainbow = TakeCheck(m_useRainbowBox);
    return true;
}

void ConfigDialog::OnInitDialog() {
    // The combo items are in place; show the constructor's values first.
    UpdateData(false);

    m_mode = ReadInt(m_app, keys::Option, Reader::Dialog);
    m_use24Hour = ReadInt(m_app, keys::Hour24, Reader::Dialog);
    m_useSeconds = ReadInt(m_app, keys::ShowSec, Reader::Dialog);
    m_titleText = ReadString(m_app, keys::Title);
    m_useWorldTime = ReadInt(m_app, keys::WorldTime, Reader::Dialog);
    // The speed the saver runs at: a stored value below 1 runs as 600, not as the fastest.
    m_speedValue = UsableSpeed(ReadInt(m_app, keys::Speed, Reader::Dialog));
    m_useRainbow = ReadInt(m_app, keys::Rainbow, Reader::Dialog);
    const int year = ReadInt(m_app, keys::Year, Reader::Dialog);
    const int month = ReadInt(m_app, keys::Month, Reader::Dialog);
    const int day = ReadInt(m_app, keys::Day, Reader::Dialog);
    const int hour = ReadInt(m_app, keys::Hour, Reader::Dialog);
    const int minute = ReadInt(m_app, keys::Minute, Reader::Dialog);
    const int second = ReadInt(m_app, keys::Second, Reader::Dialog);
    LoadStartAfter(ReadInt(m_app, keys::StartAfter, Reader::Dialog));

    if (m_mode == kModeNear || m_mode == kModeFar) {
        // Mode 4 may hold any year; its pickers show the month and day in a leap year.
        const int pickerYear = m_mode == kModeNear ? year : kFarPickerYear;
        m_targetDate = LocalTimeFromFields(pickerYear, month, day, hour, minute, second);
        m_targetTime = m_targetDate;
        m_year = year;
    }

    ApplyMode();
    FillCityList();
    if (m_useWorldTime != 0) {
        RestoreCitySelection();
    }

    {
        const ExchangeGuard guard(m_exchanging);
        m_speedSlider->setRange(0, kSpeedSliderMax);
        // A trackbar's defaults: arrow keys move by one, a click on the groove by a fifth.
        m_speedSlider->setSingleStep(1);
        m_speedSlider->setPageStep(kSpeedSliderMax / 5);
        m_speedSlider->setValue(m_speedValue); // held within 0..6000
        m_speedSlider->setTickInterval(kSpeedTickInterval);
    }
    UpdateSpeed();
    OnWorldTime();
    OnStartAfter();
    m_shownValues = ValuesToStore();
}

void ConfigDialog::LoadStartAfter(int minutes) {
    // 0, a negative or a missing value: off, with the field at its default; the watcher runs
    // for at most a day, and so does the field.
    m_startAfter = minutes > 0 ? 1 : 0;
    m_startAfterStored = minutes > 0;
    m_startAfterMinutes =
        minutes > 0 ? std::min(minutes, kStartAfterMaxMinutes) : kStartAfterDefaultMinutes;
    // Shown here and taken on OK only: the row is no part of the template's exchange, so a
    // release of the slider or a change of mode never puts it back as it was.
    const ExchangeGuard guard(m_exchanging);
    LoadCheck(m_startAfterBox, m_startAfter);
    m_startAfterEdit->setValue(m_startAfterMinutes);
}

void ConfigDialog::SetStartAfterPlaces(const StartAfterPlaces& places) {
    m_startAfterPlaces = places;
    // Where the system keeps the saver's time, the row shows the system's.
    if (const std::optional<int> minutes = SystemStartAfter(places)) {
        LoadStartAfter(*minutes);
        OnStartAfter();
    }
}

void ConfigDialog::FillCityList() {
    const ExchangeGuard guard(m_exchanging);
    // Each city goes in at its place in alphabetical order, compared without regard to case,
    // so the list is sorted whatever the table's order and whatever the user's locale.
    for (const WorldCity& city : WorldCityTable) {
        const QString name = QString::fromLatin1(city.name);
        int row = 0;
        while (row < m_cityList->count() &&
               QString::compare(m_cityList->item(row)->text(), name, Qt::CaseInsensitive) <= 0) {
            ++row;
        }
        auto* item = new QListWidgetItem(name);
        item->setData(kZoneRole, static_cast<int>(city.zone));
        m_cityList->insertItem(row, item);
    }
}

void ConfigDialog::RestoreCitySelection() {
    // The dialog never stores more than ten entries; a larger count reads no further.
    const int count = std::min(ReadInt(m_app, keys::WTcount, Reader::Dialog), kMaxWorldTimeEntries);
    const ExchangeGuard guard(m_exchanging);
    for (int i = 0; i < count; ++i) {
        const QString text = ReadString(m_app, keys::WTtext, WorldTextKey(i));
        if (text.isEmpty()) {
            continue; // a missing entry names no city
        }
        const QString zoneId = ReadString(m_app, keys::WTtz, WorldTzKey(i));
        if (!zoneId.isEmpty()) {
            // A place of the user's own is kept as stored, even with a zone this system lacks:
            // its code then still places it for the saver. A known zone's code is made anew, in
            // case its offsets have changed since.
            // Known as the saver knows it: a name of the system's list, not any id Qt accepts.
            const QTimeZone zone = KnownTimeZone(zoneId.toStdString());
            const int code = zone.isValid()
                                 ? ZoneCodeOf(zone, m_clock.Now().seconds)
                                 : ReadInt(m_app, keys::WTzone, WorldZoneKey(i), Reader::Dialog);
            AddOwnPlace(text, zoneId, code);
            continue;
        }
        // The first city from the top whose name begins with the stored text, ignoring case;
        // no city's name begins with another's, so this is the city of that name.
        for (int row = 0; row < m_cityList->count(); ++row) {
            QListWidgetItem* item = m_cityList->item(row);
            if (!IsOwnPlace(item) && item->text().startsWith(text, Qt::CaseInsensitive)) {
                item->setSelected(true);
                break;
            }
        }
    }
    // The first selected place in sight, so the list opens showing what it holds.
    for (int row = 0; row < m_cityList->count(); ++row) {
        if (m_cityList->item(row)->isSelected()) {
            m_cityList->scrollToItem(m_cityList->item(row), QAbstractItemView::PositionAtTop);
            break;
        }
    }
}

QListWidgetItem* ConfigDialog::AddOwnPlace(const QString& name, const QString& zoneId,
                                           int zoneCode) {
    const ExchangeGuard guard(m_exchanging);
    int row = 0;
    while (row < m_cityList->count() &&
           QString::compare(m_cityList->item(row)->text(), name, Qt::CaseInsensitive) <= 0) {
        QListWidgetItem* item = m_cityList->item(row);
        if (item->text() == name && item->data(kTzRole).toString() == zoneId) {
            item->setSelected(true); // stored twice: one item is enough
            return item;
        }
        ++row;
    }
    auto* item = new QListWidgetItem(name);
    item->setData(kZoneRole, zoneCode);
    item->setData(kTzRole, zoneId);
    item->setToolTip(QString(zoneId).replace(QLatin1Char('_'), QLatin1Char(' ')));
    m_cityList->insertItem(row, item);
    item->setSelected(true);
    return item;
}

void ConfigDialog::ApplyMode() {
    const ExchangeGuard guard(m_exchanging);
    if (m_mode < 0 || m_mode >= kModeCount) {
        // An unknown stored mode selects nothing and leaves the controls as they are.
        m_modeCombo->setCurrentIndex(-1);
        return;
    }
    m_modeCombo->setCurrentIndex(m_mode);
    const bool target = m_mode == kModeNear || m_mode == kModeFar;
    m_datePicker->setEnabled(target);
    m_timePicker->setEnabled(target);
    m_yearEdit->setEnabled(m_mode == kModeFar);
    m_titleEdit->setEnabled(m_mode != 0);
}

void ConfigDialog::UpdateSpeed() {
    m_speedValue = QuantiseSpeed(m_speedSlider->value());
    {
        const ExchangeGuard guard(m_exchanging);
        m_speedSlider->setValue(m_speedValue);
    }
    m_speedText = SpeedText(m_speedValue);
    UpdateData(false);
}

void ConfigDialog::OnModeChange() {
    if (m_exchanging != 0) {
        return;
    }
    if (!UpdateData(true)) {
        // The Year box needs mending first: stay in the mode it belongs to.
        ApplyMode();
        return;
    }
    m_mode = m_modeCombo->currentIndex();
    ApplyMode();
    UpdateData(false);
}

void ConfigDialog::OnWorldTime() {
    if (m_exchanging != 0) {
        return;
    }
    if (!UpdateData(true)) {
        // Keep showing what the values say until the Year box is mended.
        const ExchangeGuard guard(m_exchanging);
        LoadCheck(m_useWorldTimeBox, m_useWorldTime);
        UpdatePreview();
        return;
    }
    const bool world = m_useWorldTime != 0;
    m_cityList->setVisible(world);
    m_addPlaceButton->setVisible(world);
    // The list takes the countdown group's place; the group and its title go with the controls
    // in it rather than lie hidden under the list.
    for (QWidget* control :
         {static_cast<QWidget*>(m_modeCombo), static_cast<QWidget*>(m_titleEdit),
          static_cast<QWidget*>(m_yearEdit), static_cast<QWidget*>(m_timePicker),
          static_cast<QWidget*>(m_datePicker), static_cast<QWidget*>(m_countdownGroup),
          static_cast<QWidget*>(m_titleLabel)}) {
        control->setVisible(!world);
    }
    UpdatePreview();
}

void ConfigDialog::OnSpeedReleased() {
    if (m_exchanging != 0) {
        return;
    }
    UpdateSpeed();
}

void ConfigDialog::OnStartAfter() {
    m_startAfterEdit->setEnabled(m_startAfterBox->isChecked());
    UpdateDesktopBlankNote();
}

void ConfigDialog::SetDesktopBlank(const std::optional<DesktopBlank>& blank) {
    m_desktopBlank = blank;
    if (!m_startAfterStored) {
        // The first time offered is one the user will see the saver at; a stored time is
        // shown as stored.
        m_startAfterMinutes = FirstStartAfterMinutes(blank);
        const ExchangeGuard guard(m_exchanging);
        m_startAfterEdit->setValue(m_startAfterMinutes);
    }
    if (blank) {
        m_desktopBlankNote->setToolTip(QStringLiteral("From %1.").arg(blank->what));
    }
    UpdateDesktopBlankNote();
}

void ConfigDialog::UpdateDesktopBlankNote() {
    const QString note = m_startAfterBox->isChecked()
                             ? StartAfterNote(m_startAfterEdit->value(), m_desktopBlank)
                             : QString();
    const std::optional<int> sooner =
        note.isEmpty() ? std::nullopt : SoonerStartAfterMinutes(m_desktopBlank->seconds);
    m_desktopBlankNote->setText(note);
    m_desktopBlankNote->setVisible(!note.isEmpty());
    if (sooner) {
        m_soonerButton->setText(SoonerStartAfterText(*sooner));
    }
    m_soonerButton->setVisible(sooner.has_value());
    m_noteRowShown = !note.isEmpty();
    PlaceControls();
}

void ConfigDialog::OnSoonerStartAfter() {
    if (m_desktopBlank) {
        if (const std::optional<int> sooner = SoonerStartAfterMinutes(m_desktopBlank->seconds)) {
            m_startAfterEdit->setValue(*sooner);
        }
    }
    // The button has gone with the note; the field it changed takes the focus.
    m_startAfterEdit->setFocus(Qt::OtherFocusReason);
}

void ConfigDialog::OnAddPlace() {
    QList<AddPlaceDialog::Place> places;
    for (int row = 0; row < m_cityList->count(); ++row) {
        const QListWidgetItem* item = m_cityList->item(row);
        const WorldCity* city = FindWorldCity(item->text().toStdString());
        // A city's zone as the system lists it, which the dialog's list of zones holds.
        const std::string_view listed = city != nullptr ? SystemZoneName(city->tzName) : "";
        places.append(
            {item->text(), IsOwnPlace(item) || city == nullptr
                               ? item->data(kTzRole).toString().toUtf8()
                               : QByteArray(listed.data(), static_cast<qsizetype>(listed.size()))});
    }
    auto* dialog =
        new AddPlaceDialog(this, places, [this](const QString& text) { ShowMessage(text); });
    m_addPlace = dialog;
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    connect(dialog, &AddPlaceDialog::Changed, this, &ConfigDialog::UpdatePreview);
    connect(dialog, &QDialog::finished, this, &ConfigDialog::UpdatePreview);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const QByteArray zoneId = dialog->ZoneId();
        // A place the list has under that name already (with that zone, as the dialog made
        // sure) is selected rather than added twice.
        QListWidgetItem* item = nullptr;
        for (int row = 0; row < m_cityList->count() && item == nullptr; ++row) {
            if (m_cityList->item(row)->text().compare(dialog->PlaceName(), Qt::CaseInsensitive) ==
                0) {
                item = m_cityList->item(row);
                item->setSelected(true);
            }
        }
        if (item == nullptr) {
            item =
                AddOwnPlace(dialog->PlaceName(), QString::fromUtf8(zoneId),
                            ZoneCodeOf(KnownTimeZone(zoneId.toStdString()), m_clock.Now().seconds));
        }
        m_cityList->scrollToItem(item);
        UpdatePreview();
    });
    OpenOver(*dialog, *this);
}

void ConfigDialog::OnMoreOptions() {
    auto* dialog =
        new MoreOptionsDialog(this, m_app, [this](const QString& text) { ShowMessage(text); });
    m_moreOptions = dialog;
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    connect(dialog, &MoreOptionsDialog::Changed, this, &ConfigDialog::UpdatePreview);
    connect(dialog, &QDialog::finished, this, &ConfigDialog::UpdatePreview);
    OpenOver(*dialog, *this);
}

void ConfigDialog::SetSaverProgram(const QString& program) {
    m_saverProgram = program;
    m_fullScreenButton->setEnabled(!program.isEmpty());
}

std::vector<ProfileValue> ConfigDialog::ShownValues() const {
    std::vector<ProfileValue> values = ValuesOf(ControlChoices(), true);
    if (m_moreOptions != nullptr && m_moreOptions->isVisible()) {
        for (ProfileValue& value : m_moreOptions->Values()) {
            values.push_back(std::move(value));
        }
    }
    return values;
}

void ConfigDialog::UpdatePreview() {
    // Values moving between members and controls are not choices yet; whoever moves them shows
    // the result once they are all in place. Before the dialog shows, nobody sees the preview:
    // it first reads the settings as it appears.
    if (m_exchanging != 0 || m_preview == nullptr || !isVisible()) {
        return;
    }
    const OverlayStore shown(m_app, ShownValues());
    m_preview->ShowSettings(ReadSaverSettings(shown, m_clock.Now().seconds));
}

void ConfigDialog::OnFullScreen() {
    // One run at a time: a second click before the first run has ended starts nothing.
    if (m_saverProgram.isEmpty() ||
        findChild<QProcess*>(QString(), Qt::FindDirectChildrenOnly) != nullptr) {
        return;
    }
    // The saver's own reading of the choices, kept as it read them: the run reads exactly that.
    const OverlayStore shown(m_app, ShownValues());
    ReadSaverSettings(shown, m_clock.Now().seconds);
    const QString problem = StartSaverTrial(m_saverProgram, shown.Answers(), this);
    if (!problem.isEmpty()) {
        ShowMessage(problem);
    }
}

void ConfigDialog::OnOK() {
    // A Year box without a whole number stores nothing; the user mends it or cancels.
    if (!UpdateData(true)) {
        return;
    }
    UpdateSpeed();
    // Digits typed but not yet confirmed count too (the box holds them within 1..1440).
    m_startAfterEdit->interpretText();
    m_startAfter = TakeCheck(m_startAfterBox);
    m_startAfterMinutes = m_startAfterEdit->value();
    if (!WriteSettings()) {
        return;
    }
    // Only a stored setting is carried into the session, so the session never runs a watcher
    // the settings do not ask for.
    const QStringList problems =
        ApplyStartAfter(m_startAfter != 0 ? m_startAfterMinutes : 0, m_startAfterPlaces);
    if (!problems.isEmpty()) {
        ShowMessage(problems.join(QLatin1Char('\n')) +
                    QStringLiteral("\n\nYour settings were saved all the same."));
    }
    accept();
}

ConfigDialog::Choices ConfigDialog::MemberChoices() const {
    return {m_mode,
            m_use24Hour,
            m_useSeconds,
            m_useWorldTime,
            m_speedValue,
            m_useRainbow,
            m_targetDate.date(),
            m_targetTime.time(),
            m_year,
            m_titleText,
            m_startAfter != 0 ? m_startAfterMinutes : 0};
}

ConfigDialog::Choices ConfigDialog::ControlChoices() const {
    const int index = m_modeCombo->currentIndex();
    return {index >= 0 ? index : m_mode,
            TakeCheck(m_use24HourBox),
            TakeCheck(m_useSecondsBox),
            TakeCheck(m_useWorldTimeBox),
            QuantiseSpeed(m_speedSlider->value()),
            TakeCheck(m_useRainbowBox),
            m_datePicker->date(),
            m_timePicker->time(),
            ParseWholeNumber(m_yearEdit->text()).value_or(m_year),
            m_titleEdit->isModified() ? m_titleEdit->text() : m_titleText,
            m_startAfterBox->isChecked() ? m_startAfterEdit->value() : 0};
}

std::vector<ProfileValue> ConfigDialog::ValuesToStore() const {
    return ValuesOf(MemberChoices(), false);
}

std::vector<ProfileValue> ConfigDialog::ValuesOf(const Choices& choices,
                                                 bool withPendingPlace) const {
    std::vector<ProfileValue> values;
    const auto put = [&values](const QString& key, const QVariant& value) {
        values.push_back({key, value});
    };
    const auto name = [](const SettingKey& key) { return QString::fromLatin1(key.name); };
    put(name(keys::Option), choices.mode);
    put(name(keys::Hour24), choices.use24Hour);
    put(name(keys::ShowSec), choices.useSeconds);
    put(name(keys::WorldTime), choices.useWorldTime);
    put(name(keys::Speed), choices.speed);
    put(name(keys::Rainbow), choices.rainbow);

    if (choices.useWorldTime != 0) {
        struct City {
            QString text;
            int zone;
            QString tz;
        };
        // The place an open "Add a place" would add, or select where the list has its name.
        const bool pending = withPendingPlace && m_addPlace != nullptr && m_addPlace->isVisible() &&
                             !m_addPlace->ZoneId().isEmpty() && !m_addPlace->PlaceName().isEmpty();
        const QString pendingName = pending ? m_addPlace->PlaceName() : QString();
        bool pendingListed = false;
        std::vector<City> selected;
        for (int row = 0; row < m_cityList->count(); ++row) {
            const QListWidgetItem* item = m_cityList->item(row);
            const bool named =
                pending && item->text().compare(pendingName, Qt::CaseInsensitive) == 0;
            pendingListed = pendingListed || named;
            if (item->isSelected() || named) {
                selected.push_back(
                    {item->text(), item->data(kZoneRole).toInt(), item->data(kTzRole).toString()});
            }
        }
        if (pending && !pendingListed) {
            // At its alphabetical place, as AddOwnPlace puts it.
            const auto at = std::find_if(selected.begin(), selected.end(), [&](const City& city) {
                return QString::compare(city.text, pendingName, Qt::CaseInsensitive) > 0;
            });
            const QByteArray zoneId = m_addPlace->ZoneId();
            selected.insert(at,
                            {pendingName,
                             ZoneCodeOf(KnownTimeZone(zoneId.toStdString()), m_clock.Now().seconds),
                             QString::fromUtf8(zoneId)});
        }
        // The first ten selected cities from the top of the list.
        const int count = std::min(static_cast<int>(selected.size()), kMaxWorldTimeEntries);
        put(name(keys::WTcount), count);
        for (int i = 0; i < count; ++i) {
            const City& city = selected[static_cast<std::size_t>(i)];
            put(WorldTextKey(i), city.text);
            put(WorldZoneKey(i), city.zone);
            // Written for every entry, empty for a city of the table, so no zone a place of the
            // user's once stored here stays behind for the city that replaces it.
            put(WorldTzKey(i), city.tz);
        }
    }

    if (choices.mode == kModeNear || choices.mode == kModeFar) {
        // Mode 3 takes its year from the date picker, mode 4 from the Year box.
        put(name(keys::Year), choices.mode == kModeNear ? choices.date.year() : choices.year);
        put(name(keys::Month), choices.date.month());
        put(name(keys::Day), choices.date.day());
        put(name(keys::Hour), choices.time.hour());
        put(name(keys::Minute), choices.time.minute());
        put(name(keys::Second), choices.time.second());
    }
    put(name(keys::Title), choices.title);
    put(name(keys::StartAfter), choices.startAfter);
    return values;
}

bool ConfigDialog::WriteSettings() {
    // Every value of this OK in the stores's order, then stored in one change: all or nothing.
    std::vector<ProfileValue> values = ValuesToStore();
    KeepUnchanged(values, m_shownValues);
    if (!WriteValues(m_app, values)) {
        // The store says what went wrong in a sentence for the user, naming the place; the
        // dialog keeps everything entered for another try.
        ShowMessage(SaveFailureText(m_app.LastError()));
        return false;
    }
    return true;
}

} // namespace chronivo

#pragma once

#include "config/dialog_units.h"
#include "config/start_after.h"
#include "settings/ini_editor.h"
#include "time/time_sample.h"

#include <QDateTime>
#include <QDialog>
#include <QPointer>
#include <QString>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;
class QTimeEdit;

class QWindow;

namespace chronivo {

class AddPlaceDialog;
class MoreOptionsDialog;
class ProfileStore;
class SaverPreview;
class SpeedSlider;

// The settings window: reads the stored choices when it is built, lets the user change them and
// stores them all when the user presses OK. Esc and the close box cancel and store nothing.
//
// Controls carry object names so that tests and tools find them: "okButton", "m_datePicker",
// "m_timePicker", "m_yearEdit", "m_titleEdit", "titleLabel", "m_modeCombo", "countdownGroup",
// "use24Hour", "useSeconds", "useWorldTime", "m_cityList", "m_speedSlider", "slowLabel",
// "fastLabel", "colorChangeLabel", "speedText", "useRainbow", "startAfter",
// "m_startAfterEdit", "startAfterLabel", "desktopBlankNote", "soonerStartAfter",
// "addPlaceButton", "moreOptionsButton", "preview", "fullScreenButton". The dialogs two of the
// buttons open are its children: "addPlaceDialog" and "moreOptionsDialog".
//
// Beside the controls a preview shows the saver as it would look on this screen with the choices
// shown now, those of an open "Add a place" or "More options" dialog included; it follows every
// change at once. A click on it or on "fullScreenButton" runs the saver full screen with those
// choices, ended as the saver is. Nothing is stored before OK.
class ConfigDialog : public QDialog {
    Q_OBJECT
public:
    // Builds the controls and opens the dialog: reads the settings from `store` and shows them.
    // The target date, time and year start at `clock`'s present moment in local time. Both
    // references must outlive the dialog.
    ConfigDialog(QWidget* parent, ProfileStore& store, const Clock& clock = SystemClock());
    ~ConfigDialog() override;

    // The caption of every message the dialog shows.
    static QString MessageCaption();

    // Where a successful OK carries "Start the saver after" beyond the settings (the autostart
    // entry, this session's idle watcher). Until this is called the dialog touches neither.
    // Where the system keeps the saver's time (Windows), the row then shows the system's time.
    void SetStartAfterPlaces(const StartAfterPlaces& places);

    // The desktop's own blank, which the saver must come before to show at all. Until this is
    // called the dialog knows of none. Call it before the dialog is shown: while no time is
    // stored the minutes field then offers a time that comes before the blank, and the note
    // under the row says when the chosen time does not.
    void SetDesktopBlank(const std::optional<DesktopBlank>& blank);

    // The program that runs the saver full screen ("PROGRAM /s"); until this is called the dialog
    // offers no full-screen preview.
    void SetSaverProgram(const QString& program);

protected:
    // Shows one message and returns once the user has acknowledged it. Tests override it to
    // record the text instead of waiting for a person.
    virtual void ShowMessage(const QString& text);

    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    // Puts every control at its place in dialog units of the current font and sizes the dialog.
    void PlaceControls();
    // The dialog units of the current font, the horizontal one grown where a text needs more
    // room than it has up to its neighbour. `rowShift`: how far the rows below the note's move.
    DialogBaseUnits GrownBaseUnits(int rowShift) const;
    // Moves the countdown group's top edge up where its title would cover the row below it.
    void FitCountdownGroup();

    // Moves values between the members and the controls: false puts the members into the
    // controls; true takes the controls into the members and returns false when the Year box
    // holds no whole number (after telling the user and putting the focus there; the values
    // after the Year box then keep their old contents).
    bool UpdateData(bool saveAndValidate);

    void OnInitDialog();
    // Shows a StartAfter of `minutes` in its row (0 or less: off, the field at its default).
    void LoadStartAfter(int minutes);
    void FillCityList();
    // Selects the stored entries: a city of the table by its text, an entry with a zone of its
    // own (a place the user added) as an item of its own.
    void RestoreCitySelection();
    // Puts a place the user named into the list at its alphabetical place, selected: shown as
    // `name`, stored with `zoneCode` and the tz zone `zoneId`.
    QListWidgetItem* AddOwnPlace(const QString& name, const QString& zoneId, int zoneCode);
    // Selects the combo item of m_mode and enables the target controls that the mode uses.
    void ApplyMode();
    // Quantises the slider's position into m_speedValue and shows it in the read-out.
    void UpdateSpeed();
    // What the dialog's own values are made of: the members, or the controls as they are now.
    struct Choices {
        int mode = 0;
        int use24Hour = 0;
        int useSeconds = 0;
        int useWorldTime = 0;
        int speed = 0;
        int rainbow = 0;
        QDate date; // the target's date and time (modes 3 and 4)
        QTime time;
        int year = 0; // the Year box (mode 4)
        QString title;
        int startAfter = 0; // minutes, 0: off
    };
    Choices MemberChoices() const;
    // The controls' choices without checking or telling anything: a Year box without a whole
    // number counts as the year last taken.
    Choices ControlChoices() const;
    // Every setting OK stores, in the store's order, from `choices` and the city list, with the
    // place an open "Add a place" dialog would add among the cities when `withPendingPlace`.
    std::vector<ProfileValue> ValuesOf(const Choices& choices, bool withPendingPlace) const;
    // Every setting OK stores, in the store's order, from the members.
    std::vector<ProfileValue> ValuesToStore() const;
    // Every value OK would store with the choices shown now, those of an open "Add a place" or
    // "More options" included.
    std::vector<ProfileValue> ShownValues() const;
    // Shows the choices of now in the preview.
    void UpdatePreview();
    // Runs the saver full screen with the choices of now, unless such a run is on already.
    void OnFullScreen();
    // Writes every setting in the store's order, those the user left as shown kept as the file
    // holds them then; false, after telling the user, when they could not be stored.
    bool WriteSettings();

    void OnModeChange();
    void OnWorldTime();
    void OnSpeedReleased();
    // Enables the minutes field while "Start the saver after" is checked.
    void OnStartAfter();
    // Shows the note about the desktop's blank, and its button, while the box is checked and the
    // blank comes no later than the minutes in the field; the dialog grows by their row.
    void UpdateDesktopBlankNote();
    // Puts the time before the desktop's blank into the minutes field.
    void OnSoonerStartAfter();
    // Open their dialogs over this one; neither waits, each is gone once it closes.
    void OnAddPlace();
    void OnMoreOptions();
    void OnOK();

    ProfileStore& m_app;
    int m_mode = 0; // CountdownMode, the index of the selected combo item (0..5)
    SpeedSlider* m_speedSlider = nullptr;
    QListWidget* m_cityList = nullptr;
    QComboBox* m_modeCombo = nullptr;
    QLineEdit* m_titleEdit = nullptr;
    QLineEdit* m_yearEdit = nullptr;
    QTimeEdit* m_timePicker = nullptr;
    QDateEdit* m_datePicker = nullptr;
    QDateTime m_targetDate; // local; its year (mode 3), month and day are the target's
    QDateTime m_targetTime; // local; its hour, minute and second are the target's
    int m_year = 0;         // the target year in mode 4, in full (2031)
    QString m_titleText;
    int m_use24Hour = 0; // flags: 0 or 1
    int m_useSeconds = 0;
    int m_useWorldTime = 0;
    QString m_speedText; // the read-out, "cycle in 10.00 minutes"
    int m_useRainbow = 0;
    int m_speedValue = 0;                                // quantised speed, 6..6000 (6000 div n)
    int m_startAfter = 0;                                // flag: 0 or 1
    int m_startAfterMinutes = kStartAfterDefaultMinutes; // 1..1440, kept while the flag is off
    bool m_startAfterStored = false; // a time of the user's is stored (StartAfter above 0)
    StartAfterPlaces m_startAfterPlaces;
    std::vector<ProfileValue> m_shownValues; // ValuesToStore() as the dialog opened
    std::optional<DesktopBlank> m_desktopBlank;
    bool m_noteRowShown = false; // the dialog has grown by the note's row

    const Clock& m_clock;
    // Nonzero while values move between members and controls: the controls' change
    // notifications are then not the user's doing and are ignored.
    int m_exchanging = 0;

    QPushButton* m_okButton = nullptr;
    QCheckBox* m_use24HourBox = nullptr;
    QCheckBox* m_useSecondsBox = nullptr;
    QCheckBox* m_useWorldTimeBox = nullptr;
    QCheckBox* m_useRainbowBox = nullptr;
    QLabel* m_speedLabel = nullptr;
    QCheckBox* m_startAfterBox = nullptr;
    QSpinBox* m_startAfterEdit = nullptr;
    QLabel* m_desktopBlankNote = nullptr;
    QPushButton* m_soonerButton = nullptr;
    QPushButton* m_addPlaceButton = nullptr;
    QPushButton* m_moreOptionsButton = nullptr;
    QGroupBox* m_countdownGroup = nullptr;
    QLabel* m_titleLabel = nullptr;
    SaverPreview* m_preview = nullptr;
    QPushButton* m_fullScreenButton = nullptr;
    QString m_saverProgram;
    // The small dialogs while they are open.
    QPointer<AddPlaceDialog> m_addPlace;
    QPointer<MoreOptionsDialog> m_moreOptions;

    // A control and its rectangle in dialog units.
    struct Placement {
        QWidget* control;
        int x, y, width, height;
    };
    std::vector<Placement> m_placements;
    // Dialog units from the control's left edge to where its text may run on to.
    int RoomUnits(const Placement& place, int rowShift) const;
};

// Runs the dialog modally over `parent` (over the screen when null) and returns once it has
// closed, after OK and after cancelling alike. `desktopBlank` is the session's own blank, read by
// the caller, which can reach the display server. `owner`, when not null, is another program's
// window that the dialog stays above, as a dialog of that program would.
//
// `saverProgram` runs the saver for the full-screen preview.
void RunConfigDialog(QWidget* parent, ProfileStore& store,
                     const std::optional<DesktopBlank>& desktopBlank,
                     const Clock& clock = SystemClock(), QWindow* owner = nullptr,
                     const QString& saverProgram = QString());

} // namespace chronivo

#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>

#include <functional>
#include <utility>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace chronivo {

// The name a zone suggests for its place: the last part of its id with blanks for the
// underscores ("America/Port_of_Spain" -> "Port of Spain").
QString PlaceNameOf(const QByteArray& zoneId);

// "Add a place...": a search field over every zone the system knows, the zones that match, and
// the name the place is shown under. OK is enabled once a zone is chosen and a name typed. A name
// that `listed` holds already (compared without regard to case) with the same zone is accepted:
// that place is the one meant. With another zone it is refused through `showMessage`, and the
// dialog stays open.
//
// Object names: "zoneSearch", "zoneList", "placeName", "buttonBox".
class AddPlaceDialog : public QDialog {
    Q_OBJECT
public:
    using MessageSink = std::function<void(const QString&)>;

    // A place of the list: its name and its zone.
    using Place = std::pair<QString, QByteArray>;

    AddPlaceDialog(QWidget* parent, QList<Place> listed, MessageSink showMessage);

    // The zone chosen ("Asia/Kathmandu"), empty while none is.
    QByteArray ZoneId() const;
    // The name typed, without blanks around it.
    QString PlaceName() const;

Q_SIGNALS:
    // The zone chosen or the name typed has changed.
    void Changed();

protected:
    // Up and Down typed in the search field move through the zones that match.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows only the zones whose id contains every word of the search, ignoring case and taking
    // a blank for an underscore; keeps a zone chosen when it still shows, else chooses the first.
    void OnSearch();
    void OnZoneChosen();
    void UpdateOk();
    void OnOK();

    QList<Place> m_listed;
    MessageSink m_showMessage;
    QLineEdit* m_search = nullptr;
    QListWidget* m_zones = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_ok = nullptr;
    // The name field holds the chosen zone's suggestion, not the user's typing, so choosing
    // another zone may replace it.
    bool m_nameSuggested = true;
};

} // namespace chronivo

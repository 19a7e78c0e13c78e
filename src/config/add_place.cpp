#include "config/add_place.h"

#include "config/dialog_controls.h"

#include "zones/zone_lookup.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimeZone>
#include <QVBoxLayout>

#include <utility>

namespace chronivo {

namespace {

// Where each row of the zone list keeps its zone id; the row shows it with blanks.
constexpr int kZoneIdRole = Qt::UserRole;

// A zone id as the user sees it: under today's name when the system keeps an earlier one.
QString ZoneText(const QByteArray& zoneId) {
    const std::string_view current = CurrentZoneName(
        std::string_view(zoneId.constData(), static_cast<std::size_t>(zoneId.size())));
    return QString::fromUtf8(current.data(), static_cast<qsizetype>(current.size()));
}

} // namespace

QString PlaceNameOf(const QByteArray& zoneId) {
    const QString id = ZoneText(zoneId);
    return id.mid(id.lastIndexOf(QLatin1Char('/')) + 1).replace(QLatin1Char('_'), QLatin1Char(' '));
}

AddPlaceDialog::AddPlaceDialog(QWidget* parent, QList<Place> listed, MessageSink showMessage)
    : QDialog(parent)
    , m_listed(std::move(listed))
    , m_showMessage(std::move(showMessage)) {
    setObjectName(QStringLiteral("addPlaceDialog"));
    setWindowTitle(QStringLiteral("Add a place"));
    SetDialogFrame(*this);
    setModal(true);

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("zoneSearch"));
    m_search->setPlaceholderText(QStringLiteral("Search, for example Kathmandu"));
    m_search->setClearButtonEnabled(true);

    m_zones = new QListWidget(this);
    m_zones->setObjectName(QStringLiteral("zoneList"));
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
        // Listed under today's name, so that a search finds the place whichever name the
        // system keeps, and once; the id stored is the system's.
        const QString text = ZoneText(id);
        if (text.toUtf8() != id && QTimeZone::isTimeZoneIdAvailable(text.toUtf8())) {
            continue;
        }
        auto* item = new QListWidgetItem(QString(text).replace(u'_', u' '), m_zones);
        item->setData(kZoneIdRole, id);
    }

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("placeName"));
    m_name->setMaxLength(64);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    m_ok = buttons->button(QDialogButtonBox::Ok);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Time zone:"), m_search);
    form->addRow(QString(), m_zones);
    form->addRow(QStringLiteral("Name shown:"), m_name);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, &AddPlaceDialog::OnSearch);
    connect(m_zones, &QListWidget::currentItemChanged, this, &AddPlaceDialog::OnZoneChosen);
    connect(m_name, &QLineEdit::textEdited, this, [this] {
        // Once the user types, the name is theirs; emptied, it takes suggestions again.
        m_nameSuggested = m_name->text().isEmpty();
        UpdateOk();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &AddPlaceDialog::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_zones->setCurrentRow(-1);
    UpdateOk();
    m_search->setFocus(Qt::OtherFocusReason);
}

QByteArray AddPlaceDialog::ZoneId() const {
    const QListWidgetItem* item = m_zones->currentItem();
    return item != nullptr && !item->isHidden() ? item->data(kZoneIdRole).toByteArray()
                                                : QByteArray();
}

QString AddPlaceDialog::PlaceName() const {
    return m_name->text().trimmed();
}

bool AddPlaceDialog::eventFilter(QObject* watched, QEvent* event) {
    const int key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event)->key() : 0;
    if (watched != m_search || (key != Qt::Key_Up && key != Qt::Key_Down)) {
        return QDialog::eventFilter(watched, event);
    }
    // To the next zone shown above or below the chosen one; none chosen: the first or last.
    const int step = key == Qt::Key_Down ? 1 : -1;
    const int from = m_zones->currentItem() != nullptr ? m_zones->currentRow()
                                                       : (step > 0 ? -1 : m_zones->count());
    for (int row = from + step; row >= 0 && row < m_zones->count(); row += step) {
        if (!m_zones->item(row)->isHidden()) {
            m_zones->setCurrentRow(row);
            m_zones->scrollToItem(m_zones->currentItem());
            break;
        }
    }
    return true;
}

void AddPlaceDialog::OnSearch() {
    static const QRegularExpression kSeparators(QStringLiteral("[\\s_]+"));
    const QStringList words = m_search->text().split(kSeparators, Qt::SkipEmptyParts);
    QListWidgetItem* first = nullptr;
    for (int row = 0; row < m_zones->count(); ++row) {
        QListWidgetItem* item = m_zones->item(row);
        bool shown = true;
        for (const QString& word : words) {
            shown = shown && item->text().contains(word, Qt::CaseInsensitive);
        }
        item->setHidden(!shown);
        if (shown && first == nullptr) {
            first = item;
        }
    }
    QListWidgetItem* current = m_zones->currentItem();
    if (current == nullptr || current->isHidden()) {
        m_zones->setCurrentItem(first);
    }
    if (m_zones->currentItem() != nullptr) {
        m_zones->scrollToItem(m_zones->currentItem());
    }
    UpdateOk();
}

void AddPlaceDialog::OnZoneChosen() {
    if (m_nameSuggested) {
        m_name->setText(ZoneId().isEmpty() ? QString() : PlaceNameOf(ZoneId()));
    }
    UpdateOk();
}

void AddPlaceDialog::UpdateOk() {
    m_ok->setEnabled(!ZoneId().isEmpty() && !PlaceName().isEmpty());
    Q_EMIT Changed();
}

void AddPlaceDialog::OnOK() {
    if (ZoneId().isEmpty() || PlaceName().isEmpty()) {
        return;
    }
    for (const Place& place : m_listed) {
        if (place.first.compare(PlaceName(), Qt::CaseInsensitive) == 0 &&
            place.second != ZoneId()) {
            m_showMessage(QStringLiteral("There is a place called \"%1\" in the list already, "
                                         "with another time zone. Please choose another name.")
                              .arg(place.first));
            m_name->setFocus(Qt::OtherFocusReason);
            m_name->selectAll();
            return;
        }
    }
    accept();
}

} // namespace chronivo

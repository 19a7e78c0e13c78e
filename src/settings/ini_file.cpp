#include "settings/ini_file.h"

#include "settings/file_platform.h"
#include "settings/file_replacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <limits>

namespace chronivo {

namespace {

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// What QSettings reads from an INI file: every key of every group by its full name, and the keys
// of one group as the settings' reader reads them.
struct IniReading {
    QMap<QString, QVariant> all;
    QMap<QString, QVariant> group;
};

// QSettings' reading of the file at `path`, which holds no streamed values.
IniReading ReadingOfFile(const QString& path, const QString& group) {
    // The group first, as the saver and the dialog read it; then every key, which also reads the
    // top level's "ScreenSaver\\Option" lines.
    IniReading reading;
    reading.group = ReadIniGroup(path, group).values;
    QSettings settings(path, QSettings::IniFormat);
    for (const QString& key : settings.allKeys()) {
        // QSettings lists keys no name reads: "" from a line "=x", "/ScreenSaver/Option" from a
        // section named "" (a name with a leading, trailing or doubled '/' reads the key without).
        if (!key.isEmpty() && !key.startsWith(QLatin1Char('/')) &&
            !key.endsWith(QLatin1Char('/')) && !key.contains(QStringLiteral("//")))
            reading.all.insert(key, settings.value(key));
    }
    return reading;
}

// QSettings' reading of `bytes`, without streamed values, from a copy beside `path` of a name of
// its own: QSettings trusts a parse it keeps for as long as a file's name, size and time stay the
// same. None when the copy cannot be made.
std::optional<IniReading> ReadingOf(const QByteArray& bytes, const QString& path,
                                    const QString& group) {
    QTemporaryFile copy(ScratchCopyPattern(path));
    const QByteArray safe = WithoutStreamedValues(bytes);
    if (!copy.open() || copy.write(safe) != safe.size() || !copy.flush())
        return std::nullopt;
    return ReadingOfFile(copy.fileName(), group);
}

// Whether `stored` reads, for the settings' readers, as the value that was written.
bool ReadsAsWritten(const QVariant& stored, const QVariant& written) {
    if (written.typeId() == QMetaType::Int)
        return StoredWholeNumber(stored) == written.toInt();
    return StoredText(stored).value_or(QString()) == written.toString();
}

// The line of `bytes` (numbered from 1, its text cut short) just before the first line that
// holds `text`, or the first line when none does.
QString LineBefore(const QByteArray& bytes, const QByteArray& text) {
    const QList<QByteArray> lines = bytes.split('\n');
    qsizetype index = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].contains(text)) {
            index = i - 1;
            break;
        }
    }
    QString line = QString::fromUtf8(lines.value(index).trimmed());
    if (line.size() > 60)
        line = line.left(57) + QStringLiteral("...");
    return QStringLiteral("line %1 (\"%2\")").arg(index + 1).arg(line);
}

// The check made before a save takes effect: with the new contents (`newBytes`, read as
// `after`), each key of `group` that was written reads back as written, and every other key reads
// as it did in the old contents (read as `before`). Returns the problem for the user, naming the
// line that stands in the way, or an empty string.
QString HiddenByTheFile(IniReading before, IniReading after, const QByteArray& newBytes,
                        const QString& group, std::span<const ProfileValue> values) {
    for (const ProfileValue& value : values) {
        const QString fullKey = group + QLatin1Char('/') + value.key;
        if (value.keepStored && (before.group.contains(value.key) || before.all.contains(fullKey)))
            continue; // left as the file holds it: it must read as before, like any other key
        const QByteArray line = value.key.toUtf8() + '=' + IniValueText(value.value);
        if (!ReadsAsWritten(after.group.value(value.key), value.value))
            return QStringLiteral("%1 of the file keeps the setting %2 from reading back as it "
                                  "would be written; mend or remove that line")
                .arg(LineBefore(newBytes, line), value.key);
        before.all.remove(fullKey);
        after.all.remove(fullKey);
    }
    if (before.all == after.all)
        return QString();
    for (auto it = after.all.cbegin(); it != after.all.cend(); ++it) {
        if (before.all.value(it.key()) != it.value() || !before.all.contains(it.key()))
            return QStringLiteral("saving would change how the setting %1 reads; the file's lines "
                                  "around it need mending by hand")
                .arg(it.key());
    }
    for (auto it = before.all.cbegin(); it != before.all.cend(); ++it) {
        if (!after.all.contains(it.key()))
            return QStringLiteral("saving would remove the setting %1; the file's lines around "
                                  "it need mending by hand")
                .arg(it.key());
    }
    return QString();
}

} // namespace

std::optional<int> StoredWholeNumber(const QVariant& stored) {
    constexpr qlonglong kMin = std::numeric_limits<int>::min();
    constexpr qlonglong kMax = std::numeric_limits<int>::max();
    switch (stored.typeId()) {
    case QMetaType::Int:
        return stored.toInt();
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong: {
        const qlonglong number = stored.toLongLong();
        if (number < kMin || number > kMax)
            return std::nullopt;
        return static_cast<int>(number);
    }
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong number = stored.toULongLong();
        if (number > static_cast<qulonglong>(kMax))
            return std::nullopt;
        return static_cast<int>(number);
    }
    case QMetaType::QString: {
        bool ok = false;
        const int number = stored.toString().toInt(&ok, 10);
        if (!ok)
            return std::nullopt;
        return number;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> StoredText(const QVariant& stored) {
    switch (stored.typeId()) {
    case QMetaType::QString:
        return stored.toString();
    case QMetaType::QStringList:
        return stored.toStringList().join(QStringLiteral(", "));
    default:
        return std::nullopt;
    }
}

IniGroupRead ReadIniGroup(const QString& path, const QString& group) {
    IniGroupRead read;
    const QString kind = NotAFile(path);
    if (!kind.isEmpty()) {
        read.problem = QStringLiteral("the settings file %1 is %2, not a regular file, so it was "
                                      "not read and the defaults are used")
                           .arg(Shown(path), kind);
        return read;
    }
    if (!QFileInfo::exists(path))
        return read;
    // A value QSettings would decode as a streamed Qt object is never decoded: the file is then
    // read from a copy that has none.
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const QByteArray safe = WithoutStreamedValues(bytes);
    QTemporaryFile copy;
    if (safe != bytes) {
        if (!copy.open() || copy.write(safe) != safe.size() || !copy.flush())
            return read;
    }
    QSettings settings(safe != bytes ? copy.fileName() : path, QSettings::IniFormat);
    settings.beginGroup(group);
    const QStringList keys = settings.childKeys();
    for (const QString& key : keys) {
        if (!key.isEmpty()) // a line "=x": no name reads it
            read.values.insert(key, settings.value(key));
    }
    return read;
}

QString WriteIniValues(const QString& shownPath, const QString& group,
                       std::span<const ProfileValue> values) {
    for (const ProfileValue& value : values) {
        if (value.key.isEmpty())
            return SaveFailure(shownPath, QStringLiteral("no setting name was given"));
    }
    return ReplaceFile(shownPath, [&](const QString& path,
                                      const std::optional<QByteArray>& oldBytes) {
        FileEdit edit;
        const QString noNewFile = NoNewFileIn(QFileInfo(path).absolutePath());
        // How QSettings reads the old contents.
        IniReading before;
        if (oldBytes) {
            const std::optional<IniReading> reading = ReadingOf(*oldBytes, path, group);
            if (!reading) {
                edit.problem = noNewFile;
                return edit;
            }
            before = *reading;
        }
        const QByteArray newBytes = EditIniGroup(oldBytes.value_or(QByteArray()), group, values);
        const bool unchanged = oldBytes && newBytes == *oldBytes;
        edit.newBytes = newBytes;
        edit.check = [=]() -> QString {
            if (unchanged) // every value is stored already
                return HiddenByTheFile(before, before, newBytes, group, values);
            const std::optional<IniReading> after = ReadingOf(newBytes, path, group);
            if (!after)
                return noNewFile;
            return HiddenByTheFile(before, *after, newBytes, group, values);
        };
        return edit;
    });
}

} // namespace chronivo

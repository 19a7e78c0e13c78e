#pragma once

// The promise of the INI editor checked with QSettings as the reader, for the editor's tests and
// its fuzzer: after an edit, each key written reads back (for the settings' readers) as the value
// written, a key kept as stored reads as before, and every other key of every group reads as
// before.

#include "settings/ini_editor.h"
#include "settings/ini_file.h"

#include <QFile>
#include <QMap>
#include <QSettings>
#include <QString>

#include <span>
#include <string>

namespace chronivo {

// Every key of every group QSettings reads from `bytes`, by its full name, and the keys of
// `group` as the settings reader reads them. `path` is a scratch file name used once: QSettings
// keeps parsed files by name, size and time.
struct IniReading {
    QMap<QString, QVariant> all;
    QMap<QString, QVariant> group;
};

inline IniReading ReadIniBytes(const QByteArray& bytes, const QString& group, const QString& path) {
    {
        // As the settings are read: a streamed Qt object is never decoded.
        const QByteArray safe = WithoutStreamedValues(bytes);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(safe) != safe.size())
            return {};
    }
    // The group first, as the saver and the dialog read it from a file no parse is kept of;
    // then every key, which also reads the top level's "ScreenSaver\\Option" lines.
    IniReading reading;
    reading.group = ReadIniGroup(path, group).values;
    {
        QSettings settings(path, QSettings::IniFormat);
        for (const QString& key : settings.allKeys()) {
            // Only the keys a name reads: not "" (from "=x"), nor "/A", "A/" or "A//B", which
            // QSettings lists but reads as another key.
            if (key.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/')) == key)
                reading.all.insert(key, settings.value(key));
        }
    }
    QFile::remove(path);
    return reading;
}

// What the edit of `before` broke, in words, or an empty string when it kept its promise.
// `scratchStem` names scratch files, a new one per call.
inline std::string EditBreaks(const QByteArray& before, const QString& group,
                              std::span<const ProfileValue> values, const QString& scratchStem) {
    static int calls = 0;
    const QString stem = scratchStem + QString::number(++calls);
    const QByteArray after = EditIniGroup(before, group, values);
    IniReading old = ReadIniBytes(before, group, stem + QStringLiteral("-before.ini"));
    IniReading now = ReadIniBytes(after, group, stem + QStringLiteral("-after.ini"));
    for (const ProfileValue& value : values) {
        const QString full = group + QLatin1Char('/') + value.key;
        const QVariant read = now.group.value(value.key);
        const bool kept =
            value.keepStored && (old.group.contains(value.key) || old.all.contains(full));
        const auto readsAsWritten = [&value](const QVariant& stored) {
            return value.value.typeId() == QMetaType::Int
                       ? StoredWholeNumber(stored) == value.value.toInt()
                       : StoredText(stored).value_or(QString()) == value.value.toString();
        };
        const bool broken =
            kept ? read != old.group.value(value.key) || now.all.value(full) != old.all.value(full)
                 : !readsAsWritten(read) || !readsAsWritten(now.all.value(full));
        if (broken)
            return (value.key + QStringLiteral(" reads as \"") + read.toString() +
                    QStringLiteral("\"") + (kept ? QStringLiteral(", not as before") : QString()))
                .toStdString();
        old.all.remove(full);
        now.all.remove(full);
    }
    for (auto it = old.all.cbegin(); it != old.all.cend(); ++it) {
        if (!now.all.contains(it.key()) || now.all.value(it.key()) != it.value())
            return (it.key() + QStringLiteral(" no longer reads as before")).toStdString();
    }
    for (auto it = now.all.cbegin(); it != now.all.cend(); ++it) {
        if (!old.all.contains(it.key()))
            return (it.key() + QStringLiteral(" appeared")).toStdString();
    }
    return std::string();
}

} // namespace chronivo

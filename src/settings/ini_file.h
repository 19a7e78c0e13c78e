#pragma once

#include "settings/ini_editor.h"

#include <QMap>
#include <QString>
#include <QVariant>

#include <optional>
#include <span>

namespace chronivo {

// A stored value as a signed 32-bit int: an integer of any width that fits, or a text holding a
// whole decimal number that fits (sign and surrounding blanks allowed). Nothing else: no
// fractions, no "true", no hexadecimal.
std::optional<int> StoredWholeNumber(const QVariant& stored);

// A stored value as text. A text with unquoted commas (written by hand) is parsed as a list; its
// parts are joined again with ", ", the separator the INI format itself writes. Anything else (a
// "@ByteArray(...)" value, say) is no text.
std::optional<QString> StoredText(const QVariant& stored);

// What reading the settings file found.
struct IniGroupRead {
    // One sentence naming the file when something is at the path that is not a regular file (a
    // named pipe, a device, a socket, a folder): it is never opened, and no values are read.
    QString problem;
    // Every key of the group with its value as the INI format parses it: a QString, a
    // QStringList for unquoted commas, a QByteArray for "@ByteArray(...)".
    QMap<QString, QVariant> values;
};

// Reads the whole group `group` of the INI file at `path` in one pass. A missing file reads as an
// empty group; reading never creates anything.
IniGroupRead ReadIniGroup(const QString& path, const QString& group);

// Stores `values` in `group` of the INI file at `path` in one replacement of the file
// (ReplaceFile): all of them, or none when anything fails. Under the file's lock the new contents
// are made from the file's bytes as they are then (EditIniGroup), and before they take the file's
// place QSettings reads them back: each key written must read as written and every other key as
// before, or the save is refused with a sentence that names the line in the way.
//
// Returns an empty string on success, otherwise one sentence for the user that names the file,
// the problem and that nothing was changed.
QString WriteIniValues(const QString& path, const QString& group,
                       std::span<const ProfileValue> values);

} // namespace chronivo

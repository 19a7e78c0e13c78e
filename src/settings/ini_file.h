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

// Stores `values` in `group` of the INI file at `path` in one replacement of the file: all of
// them, or none when anything fails. The new contents (EditIniGroup) are written to a scratch
// copy beside the file, read back, given the file's owner, group and mode, and only then renamed
// over it, so the file holds either its old bytes or the complete new ones. A link stays a link:
// the file it names gets the new contents. A read-only file, or anything at the path that is not
// a regular file, is refused. Missing folders are made.
//
// While it saves, a file-size limit makes a write fail instead of killing the process, and
// SIGTERM, SIGINT, SIGHUP and SIGQUIT wait until the scratch copy and the lock are gone. Scratch
// copies a killed process left behind are removed by the next save.
//
// Returns an empty string on success, otherwise one sentence for the user that names the file,
// the problem and that nothing was changed.
QString WriteIniValues(const QString& path, const QString& group,
                       std::span<const ProfileValue> values);

} // namespace chronivo

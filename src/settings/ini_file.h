#pragma once

#include <QString>
#include <QVariant>

namespace chronivo {

// One value of the INI file at `path`, read through QSettings. Invalid when the file, the group
// or the key is missing or the file cannot be read; reading never creates anything. The value
// comes back as QSettings parses it: a QString, or a QStringList when the text holds unquoted
// commas (a file edited by hand).
QVariant ReadIniValue(const QString& path, const QString& group, const QString& key);

// Stores one value (an int or a QString) under `group`/`key` in the INI file at `path`, keeping
// every other key and group, and creates the missing folders.
//
// QSettings alone is not enough here: when it cannot finish writing its new copy of the file it
// may still put the cut-short copy in place and report success. So the new contents are built in
// a scratch copy beside the file, read back and compared key by key with what they must hold, and
// only then renamed over the file in one step. Whatever fails, the file holds either its old
// contents or the complete new ones.
//
// A settings file that is a link stays a link; the file it points to gets the new contents.
// A file QSettings cannot read in full (lines that are not key=value, text that is not UTF-8) is
// not rewritten, since the rewrite would silently drop what could not be read.
//
// Returns an empty string on success, otherwise one sentence for the user that names the file
// and the problem.
QString WriteIniValue(const QString& path, const QString& group, const QString& key,
                      const QVariant& value);

} // namespace chronivo

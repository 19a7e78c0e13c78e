#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace chronivo {

// A name for QTemporaryFile for a copy beside the file at `path`: "<path>.saving-XXXXXX". The
// next replacement of that file removes every such copy, so one that a killed process left
// behind does not stay.
QString ScratchCopyPattern(const QString& path);

// "no new file may be made in the folder <dir>"
QString NoNewFileIn(const QString& dir);

// The sentence for the user when a save of the file the user knows as `shownPath` fails for
// `problem`: it names the file and says that nothing was changed.
QString SaveFailure(const QString& shownPath, const QString& problem);

// What a replacement makes of a file's old contents, decided while it holds the file's lock.
struct FileEdit {
    // When not empty, the file is left alone, and this is why.
    QString problem;
    QByteArray newBytes;
    // Run once the new contents are complete on disk, before they take the file's place (also
    // when they equal the old contents, which are then left as they are). An answer that is not
    // empty leaves the file alone and is the problem.
    std::function<QString()> check;
};

// Gets the path of the file itself (links followed) and its contents, none when there is no file.
using FileEditor =
    std::function<FileEdit(const QString& path, const std::optional<QByteArray>& oldBytes)>;

// Replaces the contents of the file at `shownPath` with what `edit` makes of them, in one step:
// all of them, or nothing when anything fails. The new contents are written to a scratch copy
// beside the file, read back, given the file's owner, group and mode, checked, and only then
// renamed over it, so the file holds either its old bytes or the complete new ones. A link stays
// a link: the file it names gets the new contents. A read-only file, or anything at the path that
// is not a regular file, is refused. Missing folders are made.
//
// The edit runs under the lock file QSettings itself uses, so two writers never interleave. While
// it all runs, a file-size limit makes a write fail instead of killing the process, and SIGTERM,
// SIGINT, SIGHUP and SIGQUIT wait until the scratch copy and the lock are gone.
//
// Returns an empty string on success, otherwise SaveFailure's sentence.
QString ReplaceFile(const QString& shownPath, const FileEditor& edit);

} // namespace chronivo

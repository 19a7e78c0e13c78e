#include "settings/file_replacement.h"

#include "settings/file_platform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryFile>

#include <system_error>

namespace chronivo {

namespace {

// How long a save waits for another program that is saving the same file, in milliseconds.
constexpr int kLockWaitMs = 1000;

// Scratch copies are named "<file>.saving-XXXXXX"; while the lock is held, any such copy is a
// leftover of a save that was killed.
const QString kScratchInfix = QStringLiteral(".saving-");

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString Incomplete() {
    return QStringLiteral("the new contents could not be written in full (the disk may be full "
                          "or a file size limit reached)");
}

// The nearest existing part of `dir` when it is a file rather than a folder (it stops the folders
// below it from being made); empty when there is none.
QString BlockingFile(const QString& dir) {
    QString part = QDir::cleanPath(dir);
    for (;;) {
        const QFileInfo info(part);
        if (info.exists())
            return info.isDir() ? QString() : part;
        const QString parent = info.path();
        if (parent == part)
            return QString();
        part = parent;
    }
}

QString FolderProblem(const QString& dir) {
    const QString blocker = BlockingFile(dir);
    if (blocker.isEmpty())
        return QStringLiteral("the folder %1 could not be created").arg(Shown(dir));
    return QStringLiteral("%1 is a file, not a folder, so the folder %2 cannot be created")
        .arg(Shown(blocker), Shown(dir));
}

QString LockProblem(QLockFile::LockError error, const QString& lockPath) {
    switch (error) {
    case QLockFile::LockFailedError:
        return QStringLiteral("another program is saving the settings at this moment");
    case QLockFile::PermissionError:
        return NoNewFileIn(QFileInfo(lockPath).absolutePath());
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return QStringLiteral("the lock file %1 could not be made").arg(Shown(lockPath));
}

// The file a path names, following links (a relative target is taken from the link's folder). A
// link to nothing names the file it would point to, which the save then creates.
QString LinkTarget(const QString& path) {
    QString current = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = info.symLinkTarget();
    }
    return current;
}

// Removes the scratch copies of earlier saves that never finished. Only called with the lock
// held, when no other save can be writing one.
void RemoveLeftovers(const QString& path) {
    const QFileInfo info(path);
    QDir dir = info.absoluteDir();
    const QStringList names = dir.entryList({info.fileName() + kScratchInfix + QLatin1Char('*')},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        dir.remove(name);
}

// Gives the scratch copy a modification time later than both its own and the old file's, and
// forces it to disk. QSettings keeps parsed files in a process-wide cache that it trusts while a
// file's size and time stay the same; a new time makes every reader of the settings file, in
// this process or another, see the new contents rather than a cached old version of equal size.
bool StampAndFlush(QFile& file, const QDateTime& oldTime) {
    QDateTime stamp = file.fileTime(QFileDevice::FileModificationTime);
    if (oldTime.isValid() && oldTime > stamp)
        stamp = oldTime;
    return file.setFileTime(stamp.addMSecs(1), QFileDevice::FileModificationTime) &&
           FlushToDisk(file);
}

} // namespace

QString ScratchCopyPattern(const QString& path) {
    return path + kScratchInfix + QStringLiteral("XXXXXX");
}

QString NoNewFileIn(const QString& dir) {
    return QStringLiteral("no new file may be made in the folder %1").arg(Shown(dir));
}

QString SaveFailure(const QString& shownPath, const QString& problem) {
    return QStringLiteral("The settings could not be saved to %1: %2. Nothing was changed.")
        .arg(Shown(shownPath), problem);
}

QString ReplaceFile(const QString& shownPath, const FileEditor& edit) {
    // Messages name the path the user knows; a link's own file is what gets the new contents.
    const QString path = LinkTarget(shownPath);
    const QString kind = NotAFile(path);
    if (!kind.isEmpty())
        return SaveFailure(shownPath, QStringLiteral("it is %1, not a regular file").arg(kind));
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir))
        return SaveFailure(shownPath, FolderProblem(dir));

    const SaveSignals signalsHeld;
    // QLockFile takes over a lock whose process has died.
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!lock.tryLock(kLockWaitMs))
        return SaveFailure(shownPath, LockProblem(lock.error(), lockPath));
    RemoveLeftovers(path);

    std::optional<QByteArray> oldBytes;
    QDateTime oldTime;
    if (QFileInfo::exists(path)) {
        if (ReadOnly(path))
            return SaveFailure(shownPath, QStringLiteral("the file is read-only"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return SaveFailure(shownPath, QStringLiteral("the file cannot be read"));
        oldBytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return SaveFailure(shownPath, QStringLiteral("the file cannot be read"));
        oldTime = file.fileTime(QFileDevice::FileModificationTime);
    }

    const FileEdit edited = edit(path, oldBytes);
    if (!edited.problem.isEmpty())
        return SaveFailure(shownPath, edited.problem);
    const QByteArray& newBytes = edited.newBytes;
    if (oldBytes && newBytes == *oldBytes) {
        // Nothing to write.
        const QString problem = edited.check ? edited.check() : QString();
        return problem.isEmpty() ? QString() : SaveFailure(shownPath, problem);
    }

    // Removed on every failure, so the file is only ever replaced by a complete copy.
    QTemporaryFile scratch(ScratchCopyPattern(path));
    if (!scratch.open())
        return SaveFailure(shownPath, NoNewFileIn(dir));
    if (scratch.write(newBytes) != newBytes.size() || !scratch.flush())
        return SaveFailure(shownPath, Incomplete());
    if (oldBytes && !KeepOwnerAndMode(scratch, path))
        return SaveFailure(shownPath, QStringLiteral("the new copy could not be given the file's "
                                                     "owner and permissions"));
    if (!StampAndFlush(scratch, oldTime))
        return SaveFailure(shownPath, Incomplete());
    // Read back from disk: only the complete new contents may take the file's place.
    scratch.seek(0);
    if (scratch.readAll() != newBytes)
        return SaveFailure(shownPath, Incomplete());
    scratch.close();
    if (edited.check) {
        const QString problem = edited.check();
        if (!problem.isEmpty())
            return SaveFailure(shownPath, problem);
    }

    // One step: rename replaces the old file, so no reader ever sees a half-written one.
    std::error_code error;
    std::filesystem::rename(FsPath(scratch.fileName()), FsPath(path), error);
    if (error)
        return SaveFailure(shownPath,
                           QStringLiteral("the new copy could not take the old file's place (%1)")
                               .arg(QString::fromStdString(error.message())));
    scratch.setAutoRemove(false);
    return QString();
}

} // namespace chronivo

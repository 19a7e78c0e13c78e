#include "settings/ini_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace chronivo {

namespace {

// How long a write waits for another program that is saving the same file, in milliseconds.
constexpr int kLockWaitMs = 1000;

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString Failure(const QString& path, const QString& problem) {
    return QStringLiteral("The settings could not be saved to %1: %2. Nothing was changed.")
        .arg(Shown(path), problem);
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
        return QStringLiteral("no new file may be made in the folder %1")
            .arg(Shown(QFileInfo(lockPath).absolutePath()));
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return QStringLiteral("the lock file %1 could not be made").arg(Shown(lockPath));
}

bool IsUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

// The form in which QSettings hands a written value back when the file is read again: integers
// come back as their decimal text.
QVariant ReadBackForm(const QVariant& value) {
    if (value.typeId() == QMetaType::Int)
        return QString::number(value.toInt());
    return value;
}

std::filesystem::path FsPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

using KeyMap = QMap<QString, QVariant>;

// Every key of the file with its value. QSettings parses a group only when it is first used, so
// a bad line inside one shows in settings.status() only after this.
KeyMap AllKeys(const QSettings& settings) {
    KeyMap keys;
    const QStringList names = settings.allKeys();
    for (const QString& name : names)
        keys.insert(name, settings.value(name));
    return keys;
}

// Gives the scratch copy a modification time later than both the time QSettings recorded when it
// wrote the copy and the old file's time, and forces it to disk. QSettings keeps parsed files in a
// process-wide cache that it trusts while a file's size and time stay the same; a new time makes
// it read the copy from disk for the check below, and makes every reader of the settings file in
// this and other processes see the new contents rather than a cached old version of equal size.
bool StampAndFlush(const QString& path, const QDateTime& oldTime) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QDateTime stamp = file.fileTime(QFileDevice::FileModificationTime);
    if (oldTime.isValid() && oldTime > stamp)
        stamp = oldTime;
    if (!file.setFileTime(stamp.addMSecs(1), QFileDevice::FileModificationTime))
        return false;
#ifndef Q_OS_WIN
    if (::fsync(file.handle()) != 0)
        return false;
#endif
    return true;
}

} // namespace

QVariant ReadIniValue(const QString& path, const QString& group, const QString& key) {
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(group);
    return settings.value(key);
}

QString WriteIniValue(const QString& shownPath, const QString& group, const QString& key,
                      const QVariant& value) {
    if (key.isEmpty())
        return Failure(shownPath, QStringLiteral("no setting name was given"));
    // A settings file kept as a link to a file elsewhere stays a link: the new copy replaces the
    // file it points to. Messages name the path the user knows.
    const QFileInfo link(shownPath);
    const QString path = link.isSymLink() && !link.canonicalFilePath().isEmpty()
                             ? link.canonicalFilePath()
                             : shownPath;
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir))
        return Failure(shownPath, FolderProblem(dir));

    // The same lock file QSettings itself uses, so two writers never interleave.
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!lock.tryLock(kLockWaitMs))
        return Failure(shownPath, LockProblem(lock.error(), lockPath));

    QByteArray oldBytes;
    QDateTime oldTime;
    QFileDevice::Permissions oldPermissions;
    const QFileInfo target(path);
    const bool hadFile = target.exists();
    if (hadFile) {
        if (target.isDir())
            return Failure(shownPath, QStringLiteral("it is a folder, not a file"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return Failure(shownPath, QStringLiteral("the file cannot be read"));
        oldBytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Failure(shownPath, QStringLiteral("the file cannot be read"));
        oldTime = file.fileTime(QFileDevice::FileModificationTime);
        oldPermissions = file.permissions();
        if (!IsUtf8(oldBytes))
            return Failure(shownPath,
                           QStringLiteral("it holds text that is not UTF-8, which saving "
                                          "would damage; correct or remove the file"));
    }

    // The scratch copy starts as a byte-for-byte copy of the file, so QSettings keeps every other
    // key and group when it rewrites it. Removed on every failure.
    QTemporaryFile scratch(path + QStringLiteral(".XXXXXX"));
    if (!scratch.open())
        return Failure(shownPath,
                       QStringLiteral("no new file may be made in the folder %1").arg(Shown(dir)));
    const QString scratchPath = scratch.fileName();
    const bool copied = scratch.write(oldBytes) == oldBytes.size() && scratch.flush();
    scratch.close();
    if (!copied || scratch.error() != QFileDevice::NoError)
        return Failure(shownPath, Incomplete());

    KeyMap expected;
    {
        QSettings settings(scratchPath, QSettings::IniFormat);
        settings.setAtomicSyncRequired(true);
        expected = AllKeys(settings);
        if (settings.status() == QSettings::FormatError)
            return Failure(shownPath,
                           QStringLiteral("it holds lines that are not settings, which saving "
                                          "would drop; correct or remove the file"));
        if (settings.status() != QSettings::NoError)
            return Failure(shownPath, QStringLiteral("the file cannot be read"));
        settings.beginGroup(group);
        settings.setValue(key, value);
        settings.endGroup();
        expected.insert(group.isEmpty() ? key : group + QLatin1Char('/') + key,
                        ReadBackForm(value));
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return Failure(shownPath, Incomplete());
    }

    // QSettings may have put a cut-short copy in place and still reported success: read the copy
    // back from disk and accept it only when it holds exactly the keys and values it must.
    if (!StampAndFlush(scratchPath, oldTime))
        return Failure(shownPath, Incomplete());
    {
        const QSettings written(scratchPath, QSettings::IniFormat);
        if (AllKeys(written) != expected || written.status() != QSettings::NoError)
            return Failure(shownPath, Incomplete());
    }

    if (hadFile)
        QFile::setPermissions(scratchPath, oldPermissions);
    std::error_code error;
    std::filesystem::rename(FsPath(scratchPath), FsPath(path), error);
    if (error)
        return Failure(shownPath,
                       QStringLiteral("the new copy could not take the old file's place (%1)")
                           .arg(QString::fromStdString(error.message())));
    scratch.setAutoRemove(false);
    return QString();
}

} // namespace chronivo

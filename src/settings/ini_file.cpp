#include "settings/ini_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QTemporaryFile>

#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace chronivo {

namespace {

// How long a write waits for another program that is saving the same file, in milliseconds.
constexpr int kLockWaitMs = 1000;

// Scratch copies are named "<file>.saving-XXXXXX"; while the lock is held, any such copy is a
// leftover of a save that was killed.
const QString kScratchInfix = QStringLiteral(".saving-");

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

// What kind of thing other than a regular file is at `path`, in words ("a named pipe"); empty
// for a regular file or nothing at all.
QString NotAFile(const QString& path) {
#ifndef Q_OS_WIN
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return QString();
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(st.st_mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
#else
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return QString();
    return info.isDir() ? QStringLiteral("a folder") : QStringLiteral("not a regular file");
#endif
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

// The file a settings path names, following links (a relative target is taken from the link's
// folder). A link to nothing names the file it would point to, which the save then creates.
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

#ifndef Q_OS_WIN
// For the length of a save: a write past the file-size limit fails with EFBIG instead of killing
// the process, and the signals that end a program by default wait until the save is over, so
// neither leaves a scratch copy or a lock behind.
class SaveSignals {
public:
    SaveSignals() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
            sigaddset(&held, signal);
        sigprocmask(SIG_BLOCK, &held, &m_previousMask);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, &m_previousXfsz);
    }
    ~SaveSignals() {
        sigaction(SIGXFSZ, &m_previousXfsz, nullptr);
        sigprocmask(SIG_SETMASK, &m_previousMask, nullptr);
    }
    SaveSignals(const SaveSignals&) = delete;
    SaveSignals& operator=(const SaveSignals&) = delete;

private:
    sigset_t m_previousMask{};
    struct sigaction m_previousXfsz {};
};
#else
struct SaveSignals {};
#endif

std::filesystem::path FsPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
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
    if (!file.setFileTime(stamp.addMSecs(1), QFileDevice::FileModificationTime))
        return false;
#ifndef Q_OS_WIN
    if (::fsync(file.handle()) != 0)
        return false;
#endif
    return true;
}

// Gives the scratch copy the old file's owner, group and mode; false when they cannot be given.
bool KeepOwnerAndMode(QFile& scratch, const QString& oldPath) {
#ifndef Q_OS_WIN
    struct stat old {};
    struct stat now {};
    if (::stat(QFile::encodeName(oldPath).constData(), &old) != 0 ||
        ::fstat(scratch.handle(), &now) != 0)
        return false;
    if ((old.st_uid != now.st_uid || old.st_gid != now.st_gid) &&
        ::fchown(scratch.handle(), old.st_uid, old.st_gid) != 0)
        return false;
    return ::fchmod(scratch.handle(), old.st_mode & 07777) == 0;
#else
    return scratch.setPermissions(QFile::permissions(oldPath));
#endif
}

bool ReadOnly(const QString& path) {
#ifndef Q_OS_WIN
    // Root may write to any file, so its mode is what says the user wants it left alone.
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    return ::stat(name.constData(), &st) == 0 &&
           ((st.st_mode & 0222) == 0 || ::access(name.constData(), W_OK) != 0);
#else
    return !QFileInfo(path).isWritable();
#endif
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
    QTemporaryFile copy(path + kScratchInfix + QStringLiteral("XXXXXX"));
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
            return Failure(shownPath, QStringLiteral("no setting name was given"));
    }
    // Messages name the path the user knows; a link's own file is what gets the new contents.
    const QString path = LinkTarget(shownPath);
    const QString kind = NotAFile(path);
    if (!kind.isEmpty())
        return Failure(shownPath, QStringLiteral("it is %1, not a regular file").arg(kind));
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir))
        return Failure(shownPath, FolderProblem(dir));

    const SaveSignals signalsHeld;
    // The same lock file QSettings itself uses, so two writers never interleave. QLockFile takes
    // over a lock whose process has died.
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!lock.tryLock(kLockWaitMs))
        return Failure(shownPath, LockProblem(lock.error(), lockPath));
    RemoveLeftovers(path);

    QByteArray oldBytes;
    QDateTime oldTime;
    const bool hadFile = QFileInfo::exists(path);
    if (hadFile) {
        if (ReadOnly(path))
            return Failure(shownPath, QStringLiteral("the file is read-only"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return Failure(shownPath, QStringLiteral("the file cannot be read"));
        oldBytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Failure(shownPath, QStringLiteral("the file cannot be read"));
        oldTime = file.fileTime(QFileDevice::FileModificationTime);
    }

    const QString noNewFile =
        QStringLiteral("no new file may be made in the folder %1").arg(Shown(dir));
    // How QSettings reads the old contents.
    IniReading before;
    if (hadFile) {
        const std::optional<IniReading> reading = ReadingOf(oldBytes, path, group);
        if (!reading)
            return Failure(shownPath, noNewFile);
        before = *reading;
    }

    const QByteArray newBytes = EditIniGroup(oldBytes, group, values);
    if (hadFile && newBytes == oldBytes) {
        // Every value is stored already.
        const QString hidden = HiddenByTheFile(before, before, newBytes, group, values);
        return hidden.isEmpty() ? QString() : Failure(shownPath, hidden);
    }

    // Removed on every failure, so the file is only ever replaced by a complete copy.
    QTemporaryFile scratch(path + kScratchInfix + QStringLiteral("XXXXXX"));
    if (!scratch.open())
        return Failure(shownPath, noNewFile);
    if (scratch.write(newBytes) != newBytes.size() || !scratch.flush())
        return Failure(shownPath, Incomplete());
    if (hadFile && !KeepOwnerAndMode(scratch, path))
        return Failure(shownPath, QStringLiteral("the new copy could not be given the file's "
                                                 "owner and permissions"));
    if (!StampAndFlush(scratch, oldTime))
        return Failure(shownPath, Incomplete());
    // Read back from disk: only the complete new contents may take the file's place.
    scratch.seek(0);
    if (scratch.readAll() != newBytes)
        return Failure(shownPath, Incomplete());
    scratch.close();
    const std::optional<IniReading> after = ReadingOf(newBytes, path, group);
    if (!after)
        return Failure(shownPath, noNewFile);
    const QString hidden = HiddenByTheFile(before, *after, newBytes, group, values);
    if (!hidden.isEmpty())
        return Failure(shownPath, hidden);

    // One step: rename replaces the old file, so no reader ever sees a half-written one.
    std::error_code error;
    std::filesystem::rename(FsPath(scratch.fileName()), FsPath(path), error);
    if (error)
        return Failure(shownPath,
                       QStringLiteral("the new copy could not take the old file's place (%1)")
                           .arg(QString::fromStdString(error.message())));
    scratch.setAutoRemove(false);
    return QString();
}

} // namespace chronivo

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

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

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

// Whether the text after "key=" on a line surely reads back as `value`: spelt as we would write
// it, an int in another spelling (" 2", "+2"), or, for the empty text, a typed value such as
// "@ByteArray(...)", which reads as no text and so as the empty one. Anything else is written
// anew, which changes the spelling at most, never the meaning.
bool ReadsBackAs(const QByteArray& stored, const QVariant& value) {
    const QByteArray raw = stored.trimmed();
    if (raw == IniValueText(value))
        return true;
    if (value.typeId() == QMetaType::Int) {
        bool ok = false;
        const int number = raw.toInt(&ok, 10);
        return ok && number == value.toInt();
    }
    const bool typed =
        raw.startsWith("@ByteArray(") || raw.startsWith("@Variant(") || raw.startsWith("@Invalid(");
    return value.toString().isEmpty() && typed && raw.endsWith(')') && !raw.contains(',');
}

// One logical line of an INI file: [begin, end) is its text, [end, next) its line ending. A
// backslash escapes the byte after it, so one before a line break carries the line on.
struct IniLine {
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
};

std::vector<IniLine> SplitLines(const QByteArray& bytes, qsizetype start) {
    std::vector<IniLine> lines;
    const qsizetype n = bytes.size();
    qsizetype i = start;
    while (i < n) {
        IniLine line;
        line.begin = i;
        while (i < n && bytes[i] != '\n' && bytes[i] != '\r') {
            if (bytes[i] == '\\' && i + 1 < n) {
                ++i;
                if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n')
                    ++i;
            }
            ++i;
        }
        line.end = i;
        if (i < n && bytes[i] == '\r')
            ++i;
        if (i < n && bytes[i] == '\n' && (i == line.end || bytes[i - 1] == '\r'))
            ++i;
        line.next = i;
        lines.push_back(line);
    }
    return lines;
}

void AppendEscapedText(const QString& text, QByteArray& out) {
    // Strings that begin with '@' would read as a typed value; a NUL needs the @String() form.
    QString s = text;
    if (s.contains(QChar::Null))
        s = QStringLiteral("@String(") + s + QLatin1Char(')');
    else if (s.startsWith(QLatin1Char('@')))
        s.prepend(QLatin1Char('@'));
    const bool typed =
        s.startsWith(QLatin1String("@ByteArray(")) || s.startsWith(QLatin1String("@Variant("));
    const qsizetype start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t ch = s.at(i).unicode();
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        const bool hex =
            (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
        if (escapeNextIfHex && hex) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfHex = false;
        switch (ch) {
        case u'\0':
            out += "\\0";
            escapeNextIfHex = true;
            break;
        case u'\a':
            out += "\\a";
            break;
        case u'\b':
            out += "\\b";
            break;
        case u'\f':
            out += "\\f";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        case u'\v':
            out += "\\v";
            break;
        case u'"':
        case u'\\':
            out += '\\';
            out += static_cast<char>(ch);
            break;
        default:
            if (ch <= 0x1F || (ch >= 0x7F && typed)) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeNextIfHex = true;
            } else if (QChar::isHighSurrogate(ch) && i + 1 < s.size() &&
                       s.at(i + 1).isLowSurrogate()) {
                out += s.mid(i, 2).toUtf8();
                ++i;
            } else {
                out += QString(QChar(ch)).toUtf8();
            }
        }
    }
    if (needsQuotes ||
        (start < out.size() && (out.at(start) == ' ' || out.at(out.size() - 1) == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
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
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(group);
    const QStringList keys = settings.childKeys();
    for (const QString& key : keys)
        read.values.insert(key, settings.value(key));
    return read;
}

QByteArray IniValueText(const QVariant& value) {
    if (value.typeId() == QMetaType::Int)
        return QByteArray::number(value.toInt());
    QByteArray text;
    AppendEscapedText(value.toString(), text);
    return text;
}

QByteArray EditIniGroup(const QByteArray& bytes, const QString& group,
                        std::span<const ProfileValue> values) {
    const bool bom = bytes.startsWith(kByteOrderMark);
    const std::vector<IniLine> lines = SplitLines(bytes, bom ? 3 : 0);
    const QByteArray eol =
        !lines.empty() && bytes.mid(lines.front().end, 2) == "\r\n" ? "\r\n" : "\n";
    const QByteArray groupName = group.toUtf8();

    // The key and the value's text of every key=value line in the group (empty for all other
    // lines), and the last line of the group's last section that is neither blank nor a comment.
    std::vector<QByteArray> keyOf(lines.size());
    std::vector<QByteArray> valueOf(lines.size());
    std::ptrdiff_t insertAfter = -1;
    bool inGroup = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QByteArray text = bytes.mid(lines[i].begin, lines[i].end - lines[i].begin).trimmed();
        if (text.startsWith('[')) {
            const qsizetype close = text.indexOf(']');
            inGroup = close > 0 && text.mid(1, close - 1).trimmed() == groupName;
            if (inGroup)
                insertAfter = static_cast<std::ptrdiff_t>(i);
            continue;
        }
        if (!inGroup || text.isEmpty() || text.startsWith(';') || text.startsWith('#'))
            continue;
        insertAfter = static_cast<std::ptrdiff_t>(i);
        const qsizetype equals = text.indexOf('=');
        if (equals > 0) {
            keyOf[i] = text.left(equals).trimmed();
            valueOf[i] = text.mid(equals + 1);
        }
    }

    std::vector<QByteArray> replaced(lines.size());
    QByteArray added;
    for (const ProfileValue& value : values) {
        const QByteArray key = value.key.toUtf8();
        const QByteArray line = key + '=' + IniValueText(value.value);
        bool found = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (keyOf[i] == key) {
                found = true;
                if (!ReadsBackAs(valueOf[i], value.value))
                    replaced[i] = line;
            }
        }
        if (!found)
            added += line + eol;
    }

    QByteArray out;
    out.reserve(bytes.size() + added.size() + groupName.size() + 8);
    if (bom)
        out += kByteOrderMark;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const IniLine& line = lines[i];
        if (replaced[i].isNull())
            out += bytes.mid(line.begin, line.next - line.begin);
        else
            out += replaced[i] + bytes.mid(line.end, line.next - line.end);
        if (static_cast<std::ptrdiff_t>(i) == insertAfter && !added.isEmpty()) {
            if (line.next == line.end)
                out += eol; // the file's last line had no line break
            out += added;
        }
    }
    if (insertAfter < 0 && !added.isEmpty()) {
        // A new section at the end, after a blank line as QSettings separates its groups.
        if (!lines.empty()) {
            if (lines.back().next == lines.back().end)
                out += eol;
            if (lines.back().end > lines.back().begin)
                out += eol;
        }
        out += '[' + groupName + ']' + eol + added;
    }
    return out;
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

    const QByteArray newBytes = EditIniGroup(oldBytes, group, values);
    if (hadFile && newBytes == oldBytes)
        return QString(); // every value is stored already

    // Removed on every failure, so the file is only ever replaced by a complete copy.
    QTemporaryFile scratch(path + kScratchInfix + QStringLiteral("XXXXXX"));
    if (!scratch.open())
        return Failure(shownPath,
                       QStringLiteral("no new file may be made in the folder %1").arg(Shown(dir)));
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

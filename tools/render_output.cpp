#include "render_output.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageWriter>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace chronivo {

namespace {

// The reason the last write failed: errno, unless the stream failed at an earlier write whose
// errno is gone.
std::string WriteProblem() {
    return errno != 0 ? std::strerror(errno) : "a write failed";
}

// The PNG picture of `image` in `bytes`. Encoded in memory first, so the encoder never meets a
// failing disk (it would only say "Unknown error", after a warning of its own) and the file sees
// only plain writes. Returns the reason it failed, or an empty string.
std::string EncodePng(const QImage& image, QByteArray& bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("png"));
    if (!writer.write(image)) {
        return "the picture cannot be encoded: " + writer.errorString().toStdString();
    }
    return {};
}

// Writes all of `bytes` to the open file `fd`, a write that stops short continued. Returns the
// reason a write failed, or an empty string.
std::string WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    auto left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        const ssize_t step = ::write(fd, data, left);
        if (step < 0 && errno == EINTR) {
            continue;
        }
        if (step <= 0) {
            return step < 0 ? std::strerror(errno) : "a write failed";
        }
        data += step;
        left -= static_cast<std::size_t>(step);
    }
    return {};
}

// Streams `bytes` into the named pipe or device at `path`, opened as it is: never created,
// truncated, replaced or removed. A named pipe waits here until a reader opens it.
std::string WriteIntoExisting(const QString& path, const QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    do {
        fd = ::open(name.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return std::strerror(errno);
    }
    // Looked at again through the open file: something else put at the path since the first
    // look gets nothing written into it.
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        ::close(fd);
        return "it changed while it was being opened, and nothing was written";
    }
    std::string problem = WriteAll(fd, bytes);
    if (::close(fd) != 0 && problem.empty() && errno != EINTR) {
        problem = std::strerror(errno);
    }
    return problem;
}

// Puts `bytes` in the regular file at `path` (a link keeps pointing at it), whole or not at all.
std::string ReplaceFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString().toStdString();
    }
    // A write may stop short without an error (the file-size limit reached in the middle), so
    // write the rest until every byte is in or a write fails and says why. Qt 6.4's commit()
    // renames the file into place even when its own last flush fails, so flush here first.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 step = file.write(bytes.constData() + written, bytes.size() - written);
        if (step <= 0) {
            break;
        }
        written += step;
    }
    if (written < bytes.size() || !file.flush()) {
        const std::string problem = file.errorString().toStdString();
        file.cancelWriting(); // the destructor then removes the scratch file
        return problem;
    }
    if (!file.commit()) {
        return file.errorString().toStdString();
    }
    return {};
}

} // namespace

PathKind KindOfPath(const QString& path, std::string* problem) {
    // stat, not lstat: a link counts as what it leads to, as it does when it is opened.
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT) {
            return PathKind::Nothing;
        }
        if (error == ELOOP) {
            return PathKind::LinkLoop;
        }
        if (problem != nullptr) {
            *problem = std::strerror(error);
        }
        return PathKind::Unknown;
    }
    if (S_ISREG(st.st_mode)) {
        return PathKind::RegularFile;
    }
    if (S_ISDIR(st.st_mode)) {
        return PathKind::Folder;
    }
    if (S_ISFIFO(st.st_mode)) {
        return PathKind::NamedPipe;
    }
    if (S_ISCHR(st.st_mode)) {
        return PathKind::CharacterDevice;
    }
    if (S_ISBLK(st.st_mode)) {
        return PathKind::BlockDevice;
    }
    if (S_ISSOCK(st.st_mode)) {
        return PathKind::Socket;
    }
    if (problem != nullptr) {
        *problem = "it is of a kind this program does not know";
    }
    return PathKind::Unknown;
}

std::string PathKindWords(PathKind kind) {
    switch (kind) {
    case PathKind::Nothing:
        return "nothing";
    case PathKind::RegularFile:
        return "a regular file";
    case PathKind::Folder:
        return "a folder";
    case PathKind::NamedPipe:
        return "a named pipe";
    case PathKind::CharacterDevice:
        return "a character device";
    case PathKind::BlockDevice:
        return "a block device";
    case PathKind::Socket:
        return "a socket";
    case PathKind::LinkLoop:
        return "a loop of symbolic links";
    case PathKind::Unknown:
        break;
    }
    return "something that cannot be looked at";
}

std::variant<PngWay, std::string> PngWayFor(const QString& path) {
    if (path == QStringLiteral("-")) {
        return PngWay::StandardOutput;
    }
    std::string problem;
    const PathKind kind = KindOfPath(path, &problem);
    switch (kind) {
    case PathKind::Nothing: // a new file; QSaveFile says why when its folder is missing
    case PathKind::RegularFile:
        return PngWay::ReplaceFile;
    case PathKind::NamedPipe:
    case PathKind::CharacterDevice:
        return PngWay::WriteInto;
    case PathKind::Folder:
    case PathKind::Socket:
        return "it is " + PathKindWords(kind) + ", not a file a picture can be written to";
    case PathKind::BlockDevice:
        // A picture written over the start of a disk would wreck what is on it.
        return "it is a block device, which a picture is never written to";
    case PathKind::LinkLoop:
        return "it is a loop of symbolic links, or a chain of them too long to follow";
    case PathKind::Unknown:
        break;
    }
    return problem;
}

std::string WritePngFile(const QImage& image, const QString& path) {
    const auto way = PngWayFor(path);
    if (const auto* problem = std::get_if<std::string>(&way)) {
        return *problem;
    }
    QByteArray bytes;
    if (std::string problem = EncodePng(image, bytes); !problem.empty()) {
        return problem;
    }
    switch (std::get<PngWay>(way)) {
    case PngWay::StandardOutput:
        return WriteAll(STDOUT_FILENO, bytes);
    case PngWay::WriteInto:
        return WriteIntoExisting(path, bytes);
    case PngWay::ReplaceFile:
        break;
    }
    return ReplaceFile(path, bytes);
}

void HoldClosedStandardStreams() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number is taken, which is this one while those below it are open.
        const int held = ::open("/dev/null", O_RDONLY | O_NOCTTY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

std::string WriteText(std::FILE* out, const std::string& text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), out) == text.size() && !std::ferror(out)) {
        return {};
    }
    return WriteProblem();
}

std::string FinishStream(std::FILE* out) {
    errno = 0;
    if (std::fflush(out) == 0 && !std::ferror(out)) {
        return {};
    }
    return WriteProblem();
}

} // namespace chronivo

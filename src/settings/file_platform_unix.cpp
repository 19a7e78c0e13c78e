#include "settings/file_platform.h"

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace chronivo {

QString NotAFile(const QString& path) {
    struct stat st = {};
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
}

bool ReadOnly(const QString& path) {
    // Root may write to any file, so its mode is what says the user wants it left alone.
    struct stat st = {};
    const QByteArray name = QFile::encodeName(path);
    return ::stat(name.constData(), &st) == 0 &&
           ((st.st_mode & 0222) == 0 || ::access(name.constData(), W_OK) != 0);
}

bool KeepOwnerAndMode(QFile& copy, const QString& oldPath) {
    struct stat old = {};
    struct stat now = {};
    if (::stat(QFile::encodeName(oldPath).constData(), &old) != 0 ||
        ::fstat(copy.handle(), &now) != 0)
        return false;
    if ((old.st_uid != now.st_uid || old.st_gid != now.st_gid) &&
        ::fchown(copy.handle(), old.st_uid, old.st_gid) != 0)
        return false;
    return ::fchmod(copy.handle(), old.st_mode & 07777) == 0;
}

bool FlushToDisk(QFile& file) {
    return ::fsync(file.handle()) == 0;
}

std::filesystem::path FsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

struct SaveSignals::Held {
    sigset_t previousMask{};
    struct sigaction previousXfsz = {};
};

SaveSignals::SaveSignals()
    : m_held(std::make_unique<Held>()) {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        sigaddset(&held, signal);
    sigprocmask(SIG_BLOCK, &held, &m_held->previousMask);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &m_held->previousXfsz);
}

SaveSignals::~SaveSignals() {
    sigaction(SIGXFSZ, &m_held->previousXfsz, nullptr);
    sigprocmask(SIG_SETMASK, &m_held->previousMask, nullptr);
}

} // namespace chronivo

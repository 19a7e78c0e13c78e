#include "settings/file_platform.h"

#include <QFileInfo>

namespace chronivo {

QString NotAFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return QString();
    return info.isDir() ? QStringLiteral("a folder") : QStringLiteral("not a regular file");
}

bool ReadOnly(const QString& path) {
    return !QFileInfo(path).isWritable();
}

bool KeepOwnerAndMode(QFile& copy, const QString& oldPath) {
    return copy.setPermissions(QFile::permissions(oldPath));
}

// Replacing the file by renaming a closed copy over it is what makes the save durable here.
bool FlushToDisk(QFile& /*file*/) {
    return true;
}

std::filesystem::path FsPath(const QString& path) {
    return std::filesystem::path(path.toStdWString());
}

// Windows has neither file-size signals nor the POSIX ones a save must hold off.
struct SaveSignals::Held {};

SaveSignals::SaveSignals() = default;
SaveSignals::~SaveSignals() = default;

} // namespace chronivo

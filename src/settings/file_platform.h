#pragma once

#include <QFile>
#include <QString>

#include <filesystem>
#include <memory>

namespace chronivo {

// What the operating system answers about files, for saving the settings file. One
// implementation per platform, chosen by the build.

// What kind of thing other than a regular file is at `path`, in words ("a named pipe"); empty
// for a regular file or nothing at all.
QString NotAFile(const QString& path);

// Whether the user has made the file at `path` read-only (or we may not write it).
bool ReadOnly(const QString& path);

// Gives `copy` the owner, group and mode of the file at `oldPath`; false when they cannot be
// given.
bool KeepOwnerAndMode(QFile& copy, const QString& oldPath);

// Forces what was written to `file` onto the disk.
bool FlushToDisk(QFile& file);

// `path` as the standard library names files.
std::filesystem::path FsPath(const QString& path);

// For as long as it lives: a write past the file-size limit fails instead of killing the process,
// and the signals that end a program by default wait until it is gone, so that a save leaves no
// scratch copy or lock behind.
class SaveSignals {
public:
    SaveSignals();
    ~SaveSignals();
    SaveSignals(const SaveSignals&) = delete;
    SaveSignals& operator=(const SaveSignals&) = delete;

private:
    struct Held;
    std::unique_ptr<Held> m_held;
};

} // namespace chronivo

#pragma once

#include <QImage>
#include <QString>

#include <cstdio>
#include <string>
#include <variant>

namespace chronivo {

// What a path names, symbolic links followed.
enum class PathKind {
    Nothing,     // no such file (also a link to one that does not exist)
    RegularFile, // also through a link
    Folder,
    NamedPipe,
    CharacterDevice, // a terminal, /dev/null, /dev/full
    BlockDevice,     // a disk
    Socket,
    LinkLoop, // links that lead round in a circle, or more than the system follows
    Unknown,  // it cannot be looked at (a folder on the way may not be searched)
};

// The one look at a path that every file this program reads or writes gets before it is opened.
// `problem` gets the system's reason when the kind is Unknown ("Permission denied").
PathKind KindOfPath(const QString& path, std::string* problem = nullptr);

// The kind in words for a message: "a named pipe", "a folder", "a loop of symbolic links".
std::string PathKindWords(PathKind kind);

// How a PNG picture reaches what a --png path names.
enum class PngWay {
    ReplaceFile,    // a regular file or none: written beside it and renamed into place
    WriteInto,      // a named pipe or a character device: opened as it is, the bytes streamed in
    StandardOutput, // "-": the bytes streamed to standard output
};

// The rule for --png, in one place: a regular file (or a link to one, or a name not yet taken)
// is replaced whole or not at all; a named pipe or a character device is written into and never
// replaced or removed; "-" is standard output. A folder, a socket, a block device and a loop of
// links are refused with one sentence that says why.
std::variant<PngWay, std::string> PngWayFor(const QString& path);

// Writes `image` to `path` as a PNG picture, the way PngWayFor decides. Into a regular file it
// goes whole or not at all: the picture goes to a file beside `path` that is renamed into place
// only once every byte is on disk, so a full disk or a file-size limit leaves neither a
// cut-short picture nor the scratch file, and an older file at `path` stays as it was. Into a
// named pipe (which waits for a reader, as a shell's redirection does), a device or standard
// output the bytes are streamed and a failed write is reported. Returns the reason it failed
// ("No space left on device", "is a folder, not a file a picture can be written to"), or an
// empty string on success.
std::string WritePngFile(const QImage& image, const QString& path);

// Holds each of standard input, output and error that the caller left closed with /dev/null
// opened for reading only, so that no file this program opens later takes its number and gets
// the JSON or the picture, and a write there fails as on a closed stream ("Bad file
// descriptor"). Called first thing in main.
void HoldClosedStandardStreams();

// Writes `text` to `out` in full. Returns the reason `out` has failed, now or at an earlier
// write, or an empty string while all is well. Buffered text may still fail: see FinishStream.
std::string WriteText(std::FILE* out, const std::string& text);

// Flushes `out` and checks that everything written to it arrived. Returns the reason it failed
// ("No space left on device"), or an empty string on success.
std::string FinishStream(std::FILE* out);

} // namespace chronivo

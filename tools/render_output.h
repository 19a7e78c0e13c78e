#pragma once

#include <QImage>
#include <QString>

#include <cstdio>
#include <string>

namespace chronivo {

// Writes `image` to `path` as a PNG picture, whole or not at all: the picture goes to a file
// beside `path` that is renamed into place only once every byte is on disk, so a full disk or a
// file-size limit leaves neither a cut-short picture nor the scratch file, and an older file at
// `path` stays as it was. Returns the reason it failed ("No space left on device"), or an empty
// string on success.
std::string WritePngFile(const QImage& image, const QString& path);

// Writes `text` to `out` in full. Returns the reason `out` has failed, now or at an earlier
// write, or an empty string while all is well. Buffered text may still fail: see FinishStream.
std::string WriteText(std::FILE* out, const std::string& text);

// Flushes `out` and checks that everything written to it arrived. Returns the reason it failed
// ("No space left on device"), or an empty string on success.
std::string FinishStream(std::FILE* out);

} // namespace chronivo

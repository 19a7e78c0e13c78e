#include "render_output.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace chronivo {

namespace {

// The reason the last write failed: errno, unless the stream failed at an earlier write whose
// errno is gone.
std::string WriteProblem() {
    return errno != 0 ? std::strerror(errno) : "a write failed";
}

} // namespace

std::string WritePngFile(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString().toStdString();
    }
    // Encoded in memory first, so the encoder never meets a failing disk (it would only say
    // "Unknown error", after a warning of its own) and the file sees only plain writes.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("png"));
    if (!writer.write(image)) {
        return "the picture cannot be encoded: " + writer.errorString().toStdString();
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

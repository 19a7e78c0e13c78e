#include "app/command_line.h"

#include <array>

namespace chronivo {

namespace {

// Equal over the whole text, ignoring the case of A-Z only: no other letter may pass for one of
// the short switches (Unicode folding would let U+017F "long s" match "s").
bool EqualsIgnoringAsciiCase(const QString& text, QLatin1StringView word) {
    if (text.size() != word.size()) {
        return false;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text.at(i).unicode();
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
        if (c != static_cast<unsigned char>(word.at(i).toLatin1())) {
            return false;
        }
    }
    return true;
}

bool EqualsAny(const QString& text, const std::array<QLatin1StringView, 3>& words) {
    for (const QLatin1StringView word : words) {
        if (EqualsIgnoringAsciiCase(text, word)) {
            return true;
        }
    }
    return false;
}

} // namespace

StartMode ClassifyCommandLine(const QString& text) {
    using namespace Qt::Literals::StringLiterals;
    if (EqualsAny(text, {"/s"_L1, "-s"_L1, "s"_L1})) {
        return StartMode::Saver;
    }
    if (EqualsAny(text, {"/c"_L1, "-c"_L1, "c"_L1})) {
        return StartMode::ConfigWithParent;
    }
    return StartMode::ConfigWithoutParent;
}

SystemRequest ParseSystemRequest(const QString& text) {
    if (text.size() < 4 || (text.at(0) != u'/' && text.at(0) != u'-') ||
        (text.at(2) != u' ' && text.at(2) != u':')) {
        return {};
    }
    const char16_t letter = text.at(1).unicode();
    SystemRequest request;
    if (letter == u'p' || letter == u'P') {
        request.kind = SystemRequest::Kind::Preview;
    } else if (letter == u'c' || letter == u'C') {
        request.kind = SystemRequest::Kind::ConfigOver;
    } else {
        return {};
    }
    const QStringView digits = QStringView(text).mid(3);
    for (const QChar c : digits) {
        // toULongLong alone would take a sign, blanks and "0x".
        if (c < u'0' || c > u'9') {
            return {};
        }
    }
    bool ok = false;
    request.window = static_cast<quintptr>(digits.toULongLong(&ok));
    if (!ok || request.window == 0) {
        return {};
    }
    return request;
}

QString CommandTextFromRaw(const QString& rawCommandLine) {
    const qsizetype size = rawCommandLine.size();
    qsizetype at = 0;
    auto code = [&](qsizetype i) { return rawCommandLine.at(i).unicode(); };

    if (size > 0 && code(0) == u'"') {
        // A quoted name runs to the closing quote, which belongs to it.
        ++at;
        while (at < size && code(at) != u'"') {
            ++at;
        }
        if (at < size) {
            ++at;
        }
    } else {
        while (at < size && code(at) > 32) {
            ++at;
        }
    }
    // Blanks, tabs and other control characters between the name and the text.
    while (at < size && code(at) >= 1 && code(at) <= 32) {
        ++at;
    }
    return rawCommandLine.mid(at);
}

QString CommandTextFromArgs(int argc, const char* const* argv) {
    QString text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            text += QLatin1Char(' ');
        }
        text += QString::fromLocal8Bit(argv[i]);
    }
    return text;
}

} // namespace chronivo

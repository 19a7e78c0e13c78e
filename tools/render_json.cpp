#include "render_json.h"

#include "time/local_time.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace chronivo {

std::string ColorText(std::uint32_t color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", color & 0xFFu, (color >> 8) & 0xFFu,
                  (color >> 16) & 0xFFu);
    return text;
}

std::string UtcText(TimeSample at) {
    const auto fields = FieldsAtOffset(at.seconds, 0);
    if (!fields) {
        // Beyond the C library's years; a frame there cannot have been composed with local
        // texts either, but the record still says which second it was.
        return std::to_string(at.seconds) + "s";
    }
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", fields->tm_year + 1900,
                  fields->tm_mon + 1, fields->tm_mday, fields->tm_hour, fields->tm_min,
                  fields->tm_sec, at.millis);
    return text;
}

std::string JsonString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    out.reserve(static_cast<std::size_t>(utf8.size()) + 2);
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

namespace {

std::string Bool(bool value) {
    return value ? "true" : "false";
}

// The shortest text that reads back as the same double; null for values JSON has no form for.
std::string Number(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    return std::string(text.data(), result.ptr);
}

} // namespace

std::string FrameJson(const FrameRecord& frame) {
    std::string out = "{\"at\": \"" + UtcText(frame.at) + "\"";
    out += ", \"kind\": " + JsonString(QString::fromStdString(frame.kind));
    out += ", \"timeBase\": " + std::to_string(frame.timeBase);
    out += ", \"background\": \"" + ColorText(frame.background) + "\"";
    out += ", \"rainbow\": " + Bool(frame.rainbow);
    out += ", \"stripeWidth\": " + std::to_string(frame.stripeWidth);
    out += ", \"fullScreenCountdown\": " + Bool(frame.fullScreenCountdown);
    out += ", \"countdownDays\": " +
           (frame.countdownDays ? Number(*frame.countdownDays) : std::string("null"));
    out += ", \"texts\": [";
    bool first = true;
    for (const DrawnText& text : frame.texts) {
        out += first ? "" : ", ";
        first = false;
        out += "{\"role\": " + JsonString(QString::fromStdString(text.role));
        out += ", \"text\": " + JsonString(text.text);
        out += ", \"rect\": [" + std::to_string(text.rect.left) + ", " +
               std::to_string(text.rect.top) + ", " + std::to_string(text.rect.right) + ", " +
               std::to_string(text.rect.bottom) + "]";
        out += ", \"centre\": " + Bool(text.centre);
        out += ", \"color\": \"" + ColorText(text.color) + "\"";
        out += ", \"pixelSize\": " + std::to_string(text.pixelSize) + "}";
    }
    out += "]}";
    return out;
}

} // namespace chronivo

// Fuzzes chronivo-render's command line: the input, one argument per line, is the arguments
// after the program name, decoded as main() decodes them. Only the parsing runs; no file is read or
// written. A command line that parses gives values within the documented limits.
#include "render_options.h"

#include "fuzz_support.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <set>
#include <string>
#include <variant>

namespace {

using chronivo::fuzz::Check;

// Seconds since 1970 UTC of 0001-01-01T00:00:00Z and of the second after 9999-12-31T23:59:59Z,
// the span of --at's four-digit years, with a day of slack for the local time's offset.
constexpr std::int64_t kEarliestAt = -62135596800LL - 86400;
constexpr std::int64_t kLatestAt = 253402300800LL + 86400;

// The options at the places where the parser looks for one: the first argument, and each one
// after an option and its value.
std::set<QString> OptionNames(const QStringList& args) {
    static const std::set<QString> kTakesValue = {
        QStringLiteral("--settings"), QStringLiteral("--at"),     QStringLiteral("--size"),
        QStringLiteral("--dpi"),      QStringLiteral("--frames"), QStringLiteral("--step-ms"),
        QStringLiteral("--png")};
    std::set<QString> names;
    for (qsizetype i = 0; i < args.size(); ++i) {
        names.insert(args[i]);
        if (kTakesValue.count(args[i]) != 0) {
            ++i;
        }
    }
    return names;
}

void CheckOptions(const QStringList& args, const chronivo::RenderOptions& options) {
    Check(options.size.width() >= 1 && options.size.width() <= chronivo::kMaxRenderSide &&
              options.size.height() >= 1 && options.size.height() <= chronivo::kMaxRenderSide,
          "--size: each side 1 to 16384 pixels");
    Check(options.dpi >= 1 && options.dpi <= chronivo::kMaxRenderDpi, "--dpi: 1 to 9600");
    Check(options.frames >= 1 && options.frames <= chronivo::kMaxRenderFrames,
          "--frames: 1 to 1000000");
    Check(options.stepMs >= 0 && options.stepMs <= chronivo::kMaxRenderStepMs,
          "--step-ms: 0 to ten years");
    if (options.at) {
        Check(options.at->seconds >= kEarliestAt && options.at->seconds < kLatestAt,
              "--at: a moment of the years 1 to 9999");
        Check(options.at->millis >= 0 && options.at->millis <= 999, "--at: milliseconds 0 to 999");
    }
    // Every option present is one of the known ones, at most once, and what it names is kept.
    const std::set<QString> names = OptionNames(args);
    const auto given = [&names](const char* name) {
        return names.count(QString::fromLatin1(name)) != 0;
    };
    Check(options.json == given("--json"), "--json is on exactly when given");
    Check(options.at.has_value() == given("--at"), "--at is kept exactly when given");
    Check(!options.settingsFile.isEmpty() == given("--settings"),
          "--settings names a file exactly when given");
    Check(!options.pngFile.isEmpty() == given("--png"), "--png names a file exactly when given");
    Check(!given("--help") && !given("--version"), "--help and --version take no other options");
    for (const QString& name : names) {
        Check(name.startsWith(QStringLiteral("--")), "every option begins with --");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // --at without Z is local time in the C library's zone: one with daylight saving, the same
    // on every machine.
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QStringList args;
    for (const std::string& arg : chronivo::fuzz::SplitArguments(data, size)) {
        args.push_back(QString::fromLocal8Bit(arg.c_str()));
    }

    if (const auto info = chronivo::RenderInfoText(args)) {
        Check(args.size() == 1 && !info->empty(), "--help or --version alone shows a text");
        return 0;
    }
    const auto parsed = chronivo::ParseRenderOptions(args);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        Check(!problem->empty(), "a refused command line says why");
        return 0;
    }
    CheckOptions(args, std::get<chronivo::RenderOptions>(parsed));
    return 0;
}

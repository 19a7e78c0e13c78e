// Fuzzes how the program chooses what to do from its command line, in main()'s order: the idle
// watcher's "--daemon", a screen-saver daemon's hack arguments, then the text after the program
// name classified into the saver or the settings dialog. The input is that command line twice
// over: as a raw Windows command line (program name included) and, one per line, as the
// arguments after the program name.
#include "app/command_line.h"
#include "app/daemon_mode.h"
#include "app/hack_arguments.h"

#include "fuzz_support.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using chronivo::fuzz::Check;

// The classification as the header states it, written out plainly: the whole text is one of
// the three spellings, with A-Z and a-z taken as equal and nothing else folded.
chronivo::StartMode ExpectedMode(const QString& text) {
    const auto is = [&text](char letter) {
        QString lower;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            lower += (u >= u'A' && u <= u'Z') ? QChar(char16_t(u - u'A' + u'a')) : c;
        }
        const QString bare(QLatin1Char{letter});
        return lower == bare || lower == QLatin1Char('/') + bare ||
               lower == QLatin1Char('-') + bare;
    };
    if (is('s')) {
        return chronivo::StartMode::Saver;
    }
    if (is('c')) {
        return chronivo::StartMode::ConfigWithParent;
    }
    return chronivo::StartMode::ConfigWithoutParent;
}

void CheckMode(const QString& text) {
    const chronivo::StartMode mode = chronivo::ClassifyCommandLine(text);
    Check(mode == chronivo::StartMode::Saver || mode == chronivo::StartMode::ConfigWithParent ||
              mode == chronivo::StartMode::ConfigWithoutParent,
          "ClassifyCommandLine gives one of the three modes");
    Check(mode == ExpectedMode(text),
          "ClassifyCommandLine: exactly s, /s, -s (c, /c, -c) in any ASCII case, nothing else");
}

void CheckRawCommandLine(const QString& raw) {
    const QString text = chronivo::CommandTextFromRaw(raw);
    Check(raw.endsWith(text), "CommandTextFromRaw keeps the rest of the line as it is");
    if (!text.isEmpty() && text.size() < raw.size()) {
        const char16_t first = text.front().unicode();
        Check(first == 0 || first > 32, "CommandTextFromRaw skips codes 1 to 32 after the name");
    }
    if (!raw.isEmpty() && raw.front() != QLatin1Char('"')) {
        // An unquoted name ends at the first code of 32 or less, which is never kept.
        const qsizetype end =
            std::find_if(raw.begin(), raw.end(), [](QChar c) { return c.unicode() <= 32; }) -
            raw.begin();
        Check(text.size() <= raw.size() - end, "CommandTextFromRaw drops the program name");
    }
    CheckMode(text);
}

void CheckWindowId(std::string_view text) {
    const std::optional<std::uint32_t> id = chronivo::ParseWindowId(text);
    if (!id) {
        return;
    }
    Check(*id != 0, "ParseWindowId never gives 0");
    Check(chronivo::ParseWindowId(std::to_string(*id)) == id,
          "ParseWindowId reads its id back in decimal");
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    Check(text.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789", hex ? 2 : 0) ==
              std::string_view::npos,
          "ParseWindowId takes digits only, after 0x for hex");
}

void CheckHack(const std::vector<std::string>& args, const char* screensaverWindow) {
    using Kind = chronivo::HackRequest::Kind;
    const chronivo::HackRequest hack = chronivo::ParseHackArguments(args, screensaverWindow);
    const auto isOption = [](const std::string& a) {
        return a == "-root" || a == "--root" || a == "-window-id" || a == "--window-id";
    };
    Check(hack.kind == Kind::None || hack.kind == Kind::Window || hack.kind == Kind::RootWindow ||
              hack.kind == Kind::Error,
          "ParseHackArguments gives one of its kinds");
    Check((hack.kind == Kind::None) == (args.empty() || !isOption(args[0])),
          "a hack command line is one that starts with -root or -window-id");
    Check((hack.kind == Kind::Error) == !hack.error.empty(), "an error, and only one, says why");
    Check(hack.kind == Kind::Window ? hack.windowId != 0 : hack.windowId == 0,
          "a window id (1 to 0xFFFFFFFF) only for a window");
    if (hack.kind == Kind::RootWindow) {
        Check(screensaverWindow == nullptr || *screensaverWindow == '\0',
              "the root window only without XSCREENSAVER_WINDOW");
    }
    if (hack.kind == Kind::Window) {
        // The id is the one given after the option, or XSCREENSAVER_WINDOW's for -root alone.
        const auto it = std::find_if(args.begin(), args.end(), [](const std::string& a) {
            return a == "-window-id" || a == "--window-id";
        });
        const std::optional<std::uint32_t> expected =
            it != args.end() && it + 1 != args.end() && (it - args.begin()) <= 1
                ? chronivo::ParseWindowId(*(it + 1))
                : chronivo::ParseWindowId(screensaverWindow != nullptr ? screensaverWindow : "");
        Check(expected == hack.windowId, "the window id is the one the command line names");
    }
}

void CheckDaemon(const std::vector<std::string>& args,
                 const std::optional<chronivo::DaemonRequest>& daemon) {
    Check(daemon.has_value() == (!args.empty() && args[0] == "--daemon"),
          "the idle watcher only for a command line that starts with --daemon");
    if (!daemon || !daemon->error.empty()) {
        return;
    }
    if (daemon->afterMs) {
        Check(*daemon->afterMs >= 1000 && *daemon->afterMs <= 86400000 &&
                  *daemon->afterMs % 1000 == 0,
              "--after: 1 s to a day, in whole seconds");
    }
    Check(daemon->verbose == (std::find(args.begin(), args.end(), "--verbose") != args.end()),
          "--verbose is seen wherever it stands");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Windows: the raw command line, program name included.
    CheckRawCommandLine(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));

    // Elsewhere: the arguments after the program name.
    const std::vector<std::string> args = chronivo::fuzz::SplitArguments(data, size);
    std::vector<const char*> argv{"chronivo"};
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
        CheckWindowId(arg);
    }
    argv.push_back(nullptr);

    const auto daemon = chronivo::ParseDaemonArguments(args);
    CheckDaemon(args, daemon);
    if (daemon) {
        return 0; // main() runs the idle watcher
    }
    // Without XSCREENSAVER_WINDOW, and with the last argument as its value.
    CheckHack(args, nullptr);
    CheckHack(args, args.empty() ? "" : args.back().c_str());
    if (chronivo::ParseHackArguments(args, nullptr).kind != chronivo::HackRequest::Kind::None) {
        return 0; // main() draws into the daemon's window or reports the error
    }
    const int argc = static_cast<int>(argv.size()) - 1;
    const QString text = chronivo::CommandTextFromArgs(argc, argv.data());
    qsizetype joined = argc > 1 ? argc - 2 : 0;
    for (const std::string& arg : args) {
        joined += QString::fromLocal8Bit(arg.c_str()).size();
    }
    Check(text.size() == joined, "CommandTextFromArgs joins the arguments with single blanks");
    CheckMode(text);
    return 0;
}

#pragma once

#include <QString>
#include <QtGlobal>

namespace chronivo {

// What the text after the program name asks for.
enum class StartMode {
    Saver,               // "/s", "-s" or "s" in any letter case: the full-screen saver
    ConfigWithParent,    // "/c", "-c" or "c": the settings dialog over the active window
    ConfigWithoutParent, // anything else, the empty text included: the dialog on its own
};

// Classifies the whole text: each compare is over the complete text and ignores the case of
// ASCII letters only; nothing is trimmed and no prefix counts, so "/s " and "/s extra" open the
// dialog.
StartMode ClassifyCommandLine(const QString& text);

// What Windows' Screen Saver Settings asks of a saver besides "/s" and "/c", on Windows only;
// elsewhere the start-up rules above open the dialog for these texts.
struct SystemRequest {
    enum class Kind {
        None,       // none of these: the start-up rules decide
        Preview,    // "/p N" or "/p:N": draw the saver into window N, the small screen there
        ConfigOver, // "/c:N" or "/c N": the settings dialog, owned by window N
    };
    Kind kind = Kind::None;
    quintptr window = 0; // Preview and ConfigOver: the window's handle, 1 and up
};

// Reads the whole text: "/" or "-", the letter in either case, one blank or colon, and the
// window's handle in decimal digits (as Windows writes it), nothing before or after.
SystemRequest ParseSystemRequest(const QString& text);

// The text after the program name, cut from a raw Windows command line: the program name runs
// to its closing double quote when it starts with one (to the end when there is none), otherwise
// to the first character whose code is 32 or less; then every character with a code from 1 to 32
// is skipped. The rest is kept as it is, trailing blanks included.
QString CommandTextFromRaw(const QString& rawCommandLine);

// The text after the program name elsewhere: argv[1] .. argv[argc - 1] joined with single blanks
// (empty when there are no arguments). Arguments are decoded as the system's 8-bit encoding.
QString CommandTextFromArgs(int argc, const char* const* argv);

// The text after the program name of this process: from the raw command line on Windows, from
// `argv` elsewhere. One implementation per platform, chosen by the build.
QString CommandTextOfProcess(int argc, char** argv);

} // namespace chronivo

// Fuzzes the INI editor with QSettings as the reader: the input is a settings file, and the edit
// stores values of ours in [ScreenSaver]. After the edit, every key written reads back as written,
// a key kept as stored reads as before, and every other key of every group reads as before.
//
// The first byte says which of four values are written and which of them the user left as
// shown (kept when stored); the second, how many bytes from the end of the input make the text
// written as Title, so escaping is fuzzed too. The rest is the file.
#include "settings/ini_editor.h"
#include "support/ini_oracle.h"

#include "fuzz_support.h"

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<QTemporaryDir> s_folder;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    if (!s_folder) {
        s_folder = std::make_unique<QTemporaryDir>();
        chronivo::fuzz::Check(s_folder->isValid(), "a private scratch folder");
    }
    const std::uint8_t choice = data[0];
    const std::size_t titleLength = std::min<std::size_t>(data[1], size - 2);
    const char* rest = reinterpret_cast<const char*>(data + 2);
    const QByteArray file(rest, static_cast<qsizetype>(size - 2 - titleLength));
    const QString title =
        QString::fromUtf8(rest + file.size(), static_cast<qsizetype>(titleLength));

    std::vector<chronivo::ProfileValue> values;
    const auto put = [&](int bit, const char* key, const QVariant& value) {
        if ((choice & (1 << bit)) != 0)
            values.push_back({QString::fromLatin1(key), value, (choice & (16 << bit)) != 0});
    };
    put(0, "Option", 2);
    put(1, "StartAfter", -7);
    put(2, "Title", title);
    put(3, "WTtext0", QStringLiteral("Z\u00fcrich, \"Old\" Town;\\"));

    const std::string broken = chronivo::EditBreaks(file, QStringLiteral("ScreenSaver"), values,
                                                    s_folder->filePath(QStringLiteral("edit")));
    if (!broken.empty())
        std::fprintf(stderr, "the edit broke a reading: %s\n", broken.c_str());
    chronivo::fuzz::Check(broken.empty(),
                          "keys written read back as written, the others as before");
    return 0;
}

#pragma once

#include "settings/ini_file.h"

#include <QString>

#include <span>

class QObject;

namespace chronivo {

// The variable that names an INI file the program reads and writes its settings in, instead of
// the user's own.
inline constexpr char kSettingsFileVariable[] = "CHRONIVO_SETTINGS";

// Starts `program` in saver mode ("/s") on settings of its own that hold `values`, in a
// temporary file that is removed once that run has ended. The run is a QProcess child of
// `owner` until it has ended. Empty
// when the saver started, else why not, in a sentence for the user.
QString StartSaverTrial(const QString& program, std::span<const ProfileValue> values,
                        QObject* owner);

} // namespace chronivo

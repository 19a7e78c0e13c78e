#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <span>

namespace chronivo {

// One value to store: an int or a QString under its key.
struct ProfileValue {
    QString key;
    QVariant value;
    // The user left this value as it was shown: when the file holds the key at the moment of the
    // save, its lines stay as they are (another program may have changed them since), and only a
    // missing key is written.
    bool keepStored = false;
};

// The text a value is stored as on its line after "key=": an int in decimal, a QString escaped
// and quoted exactly as QSettings writes it, so every reader of the INI format reads it back.
QByteArray IniValueText(const QVariant& value);

// The file's bytes with `values` stored in `group`. Lines are found as QSettings finds them: a
// double quote carries a line on over line breaks until it is closed, a backslash escapes the
// byte after it, a ';' starts a comment, only tabs, blanks and line breaks come before a line,
// keys and section names are unescaped ("%41" is "A") and a byte-order mark counts only at the
// very start. Each key's lines in the group get the new value (a line that surely reads back as
// the value already stays as it is), and keys the group lacks are added after the last line of
// its last section, in the order given; a missing group is added at the end of the file. Where
// the line before the added keys leaves a quote or an escape open at the end of the file, the
// bytes that close it without changing what it reads as come first. Every other byte stays:
// comments, other sections and their names, other keys in any spelling, blank lines, line
// endings, a byte-order mark, lines that are no key=value at all.
QByteArray EditIniGroup(const QByteArray& bytes, const QString& group,
                        std::span<const ProfileValue> values);

// The bytes with each value QSettings would decode as a streamed Qt object ("@Variant(...)",
// "@DateTime(...)", also as a part of a list) replaced by "@Invalid()", which reads as no value.
// Decoding one may need a GUI application (a bitmap ends a process that has none) or ask for
// gigabytes, so the settings are only ever parsed from these bytes. Every other byte stays.
QByteArray WithoutStreamedValues(const QByteArray& bytes);

} // namespace chronivo

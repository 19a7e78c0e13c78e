#include "settings/ini_editor.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

namespace chronivo {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// What comes before a line and is never part of one: QSettings skips exactly these, so a
// vertical tab or a form feed starts a line's text.
bool IsLeadingBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsBreak(char c) {
    return c == '\n' || c == '\r';
}

// How a line that runs to the end of the file leaves what comes after it.
enum class OpenEnd {
    None,
    Backslash, // a last backslash that escapes nothing yet
    EscapedCr, // a backslash and CR: an LF after them would be escaped too
    EscapedLf, // a backslash and LF: a CR after them would be escaped too
};

// One line as the INI reader sees it: [begin, end) is its text; `end` is a line break, a ';'
// that starts a comment, or the end of the file.
struct IniLine {
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype equals = -1;  // the '=' that ends the key, or -1 when the line holds none
    bool openQuote = false; // a double quote still open where the line ends
    OpenEnd openEnd = OpenEnd::None;
};

// The next line from `pos`, read by QSettings' own rules: blanks and line breaks before it and
// comment lines are skipped; inside double quotes neither a line break nor a ';' ends it; a
// backslash takes the byte after it (and a CR LF or LF CR pair whole) into the line. Returns
// false when only blanks and comments are left.
bool NextLine(QByteArrayView data, qsizetype& pos, IniLine& line) {
    const qsizetype n = data.size();
    line = IniLine{};
    qsizetype begin = pos;
    while (begin < n && IsLeadingBlank(data[begin]))
        ++begin;
    qsizetype i = begin;
    while (i < n) {
        const char c = data[i++];
        if (c == '=') {
            if (!line.openQuote && line.equals < 0)
                line.equals = i - 1;
        } else if (IsBreak(c)) {
            if (i == begin + 1)
                ++begin;
            else if (!line.openQuote) {
                --i;
                break;
            }
        } else if (c == '\\') {
            line.openEnd = OpenEnd::Backslash;
            if (i < n) {
                const char escaped = data[i++];
                line.openEnd = escaped == '\r'   ? OpenEnd::EscapedCr
                               : escaped == '\n' ? OpenEnd::EscapedLf
                                                 : OpenEnd::None;
                if (i < n) {
                    line.openEnd = OpenEnd::None;
                    const char next = data[i];
                    if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
                        ++i;
                }
            }
            continue;
        } else if (c == '"') {
            line.openQuote = !line.openQuote;
        } else if (c == ';') {
            if (i == begin + 1) {
                // A comment line: skipped with the blanks after it.
                while (i < n && !IsBreak(data[i]))
                    ++i;
                while (i < n && IsLeadingBlank(data[i]))
                    ++i;
                begin = i;
            } else if (!line.openQuote) {
                --i;
                break;
            }
        }
        line.openEnd = OpenEnd::None;
    }
    pos = i;
    line.begin = begin;
    line.end = i;
    return i > begin;
}

// A key or section name as QSettings decodes it: UTF-8 (a leading byte-order mark dropped), a
// backslash for '/', "%XX" and "%UXXXX" for the character with that hexadecimal code.
QString UnescapedName(QByteArrayView raw) {
    const QString text = QString::fromUtf8(raw);
    QString name;
    name.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\')) {
            name += QLatin1Char('/');
            ++i;
            continue;
        }
        if (c != QLatin1Char('%') || i == text.size() - 1) {
            name += c;
            ++i;
            continue;
        }
        qsizetype first = i + 1;
        qsizetype digits = 2;
        if (text.at(first) == QLatin1Char('U')) {
            ++first;
            digits = 4;
        }
        bool ok = false;
        const ushort code =
            first + digits <= text.size() ? text.mid(first, digits).toUShort(&ok, 16) : 0;
        if (!ok) {
            name += QLatin1Char('%');
            ++i;
            continue;
        }
        name += QChar(code);
        i = first + digits;
    }
    return name;
}

// What a section line puts before the keys under it: the text between '[' and the first ']' (all
// of it without one), trimmed and unescaped, and a '/'. "General" in any case is the top level,
// which puts nothing, as the lines before the first section do.
QString SectionPrefix(QByteArrayView line) {
    qsizetype close = line.indexOf(']');
    if (close < 0)
        close = line.size();
    const QByteArrayView inside = line.first(close).sliced(1).trimmed();
    if (inside.compare("general", Qt::CaseInsensitive) == 0)
        return QString();
    if (inside.compare("%general", Qt::CaseInsensitive) == 0)
        return QString::fromLatin1(inside.sliced(1)) + QLatin1Char('/');
    return UnescapedName(inside) + QLatin1Char('/');
}

void AppendEscapedText(const QString& text, QByteArray& out) {
    // Strings that begin with '@' would read as a typed value; a NUL needs the @String() form.
    QString s = text;
    if (s.contains(QChar::Null))
        s = QStringLiteral("@String(") + s + QLatin1Char(')');
    else if (s.startsWith(QLatin1Char('@')))
        s.prepend(QLatin1Char('@'));
    const bool typed =
        s.startsWith(QLatin1String("@ByteArray(")) || s.startsWith(QLatin1String("@Variant("));
    const qsizetype start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t ch = s.at(i).unicode();
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        const bool hex =
            (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
        if (escapeNextIfHex && hex) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfHex = false;
        switch (ch) {
        case u'\0':
            out += "\\0";
            escapeNextIfHex = true;
            break;
        case u'\a':
            out += "\\a";
            break;
        case u'\b':
            out += "\\b";
            break;
        case u'\f':
            out += "\\f";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        case u'\v':
            out += "\\v";
            break;
        case u'"':
        case u'\\':
            out += '\\';
            out += static_cast<char>(ch);
            break;
        default:
            // A byte-order mark is escaped too: the reader's UTF-8 decoder drops one that
            // comes first, so QSettings' own plain form of it would not read back.
            if (ch <= 0x1F || ch == 0xFEFF || (ch >= 0x7F && typed)) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeNextIfHex = true;
            } else if (QChar::isHighSurrogate(ch) && i + 1 < s.size() &&
                       s.at(i + 1).isLowSurrogate()) {
                out += s.mid(i, 2).toUtf8();
                ++i;
            } else {
                out += QString(QChar(ch)).toUtf8();
            }
        }
    }
    if (needsQuotes ||
        (start < out.size() && (out.at(start) == ' ' || out.at(out.size() - 1) == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

// Whether the text after "key=" on a line surely reads back as `value`: spelt as we would write
// it, an int in another spelling (" 2", "+2"), or, for the empty text, a typed value such as
// "@ByteArray(...)", which reads as no text and so as the empty one. Anything else is written
// anew, which changes the spelling at most, never the meaning.
bool ReadsBackAs(QByteArrayView stored, const QVariant& value) {
    const QByteArray raw = stored.trimmed().toByteArray();
    if (raw == IniValueText(value))
        return true;
    if (value.typeId() == QMetaType::Int) {
        bool ok = false;
        const int number = raw.toInt(&ok, 10);
        return ok && number == value.toInt();
    }
    const bool typed =
        raw.startsWith("@ByteArray(") || raw.startsWith("@Variant(") || raw.startsWith("@Invalid(");
    return value.toString().isEmpty() && typed && raw.endsWith(')') && !raw.contains(',') &&
           !raw.contains('"') && !raw.contains('\\');
}

// The bytes that end a line left open at the end of the file, so that text appended after them
// starts a line of its own, while the open line reads as it did: an escaped line break adds
// nothing to a value, and a quote open to the end of the file holds what a closing one would.
QByteArray Closing(const IniLine& line, const QByteArray& eol) {
    QByteArray bytes;
    if (line.openEnd == OpenEnd::Backslash)
        bytes += eol; // the backslash escapes this line break
    else if ((line.openEnd == OpenEnd::EscapedCr && eol.startsWith('\n')) ||
             (line.openEnd == OpenEnd::EscapedLf && eol.startsWith('\r')))
        bytes += eol; // its first byte joins the escaped one; the next line break is the real one
    if (line.openQuote)
        bytes += '"';
    return bytes + eol;
}

// Where text may be added after `line` so that it starts a line of its own: after the line break
// that ends it, or after the comment that follows it on the same line. None when the file ends
// first: text added at its end then needs `Closing` before it.
std::optional<qsizetype> AfterLine(QByteArrayView data, const IniLine& line) {
    qsizetype i = line.end;
    while (i < data.size() && !IsBreak(data[i]))
        ++i; // a comment after the line's text
    if (i == data.size())
        return std::nullopt;
    if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
        return i + 2;
    return i + 1;
}

// What ends `line`, the last of the file, before text is added after it: the line break and, for
// a line not replaced by ours, whatever closes what it leaves open.
QByteArray EndOfLastLine(const IniLine& line, bool replaced, const QByteArray& eol) {
    return replaced ? eol : Closing(line, eol);
}

// Whether the bytes end with an empty line: two line breaks in a row.
bool EndsWithBlankLine(const QByteArray& bytes) {
    QByteArrayView rest(bytes);
    if (rest.endsWith("\r\n"))
        rest.chop(2);
    else if (rest.endsWith('\n') || rest.endsWith('\r'))
        rest.chop(1);
    else
        return false;
    return rest.endsWith('\n') || rest.endsWith('\r');
}

// The texts QSettings makes of the text after "key=": one, or the parts of a list where unquoted
// commas split it. Blanks and tabs before a part are skipped and, unless the part was quoted, after
// it; a double quote keeps what it encloses; a backslash escapes a byte ("\\n", "\\x41", "\\101",
// a line break, which adds nothing) and drops one it knows no meaning for. The UTF-8 decoder
// carries on from one run of plain bytes to the next, so it drops a byte-order mark only first.
QStringList UnescapedValue(QByteArrayView s) {
    static constexpr char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                           {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                           {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    QStringDecoder fromUtf8(QStringDecoder::Utf8);
    QStringList parts;
    QString part;
    bool inQuotes = false;
    bool partQuoted = false;
    bool chopAtEnd = true; // an escape cut short by the end of the text leaves the blanks
    const qsizetype n = s.size();
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < n && (s[i] == ' ' || s[i] == '\t'))
            ++i;
    };
    const auto chop = [&](qsizetype limit) {
        while (!partQuoted && part.size() > limit &&
               (part.back() == QLatin1Char(' ') || part.back() == QLatin1Char('\t')))
            part.chop(1);
    };
    skipBlanks();
    qsizetype chopLimit = 0;
    while (i < n) {
        const char c = s[i];
        if (c == '\\') {
            if (++i >= n) {
                chopAtEnd = false;
                break;
            }
            const char e = s[i++];
            const auto* known = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                             [e](const char* pair) { return pair[0] == e; });
            const int radix = e == 'x' ? 16 : (e >= '0' && e <= '7') ? 8 : 0;
            if (known != std::end(kEscapes)) {
                part += QLatin1Char((*known)[1]);
            } else if (radix == 16 && i >= n) {
                chopAtEnd = false;
                break;
            } else if (radix != 0) {
                const auto digit = [radix](char d) {
                    const int v = (d >= '0' && d <= '9')   ? d - '0'
                                  : (d >= 'a' && d <= 'f') ? d - 'a' + 10
                                  : (d >= 'A' && d <= 'F') ? d - 'A' + 10
                                                           : 99;
                    return v < radix ? v : -1;
                };
                if (radix == 16 && digit(s[i]) < 0) {
                    chopLimit = part.size(); // "\\x" and no digit: nothing
                    continue;
                }
                char16_t code = radix == 8 ? static_cast<char16_t>(e - '0') : 0;
                while (i < n && digit(s[i]) >= 0)
                    code = static_cast<char16_t>(code * radix + digit(s[i++]));
                part += QChar(code);
                if (i >= n) {
                    chopAtEnd = false;
                    break;
                }
            } else if ((e == '\n' || e == '\r') && i < n && (s[i] == '\n' || s[i] == '\r') &&
                       s[i] != e) {
                ++i; // an escaped CR LF or LF CR: nothing
            }
            chopLimit = part.size();
        } else if (c == '"') {
            ++i;
            partQuoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
                chopLimit = part.size();
            }
        } else if (c == ',' && !inQuotes) {
            chop(chopLimit);
            parts.append(part);
            part.clear();
            partQuoted = false;
            ++i;
            skipBlanks();
            chopLimit = 0;
        } else {
            qsizetype j = i + 1;
            while (j < n && s[j] != '\\' && s[j] != '"' && s[j] != ',')
                ++j;
            part += fromUtf8(s.sliced(i, j - i));
            i = j;
        }
    }
    if (chopAtEnd)
        chop(chopLimit);
    parts.append(part);
    return parts;
}

// Whether QSettings reads `text` by decoding a streamed Qt object from it.
bool IsStreamedValue(const QString& text) {
    return (text.startsWith(QLatin1String("@Variant(")) ||
            text.startsWith(QLatin1String("@DateTime("))) &&
           text.endsWith(QLatin1Char(')'));
}

} // namespace

QByteArray WithoutStreamedValues(const QByteArray& bytes) {
    const QByteArrayView data(bytes);
    QByteArray out;
    qsizetype copied = 0;
    qsizetype pos = bytes.startsWith(kByteOrderMark) ? 3 : 0;
    IniLine line;
    while (NextLine(data, pos, line)) {
        if (line.equals < 0 || data[line.begin] == '[')
            continue;
        const QStringList parts =
            UnescapedValue(data.sliced(line.equals + 1, line.end - line.equals - 1));
        if (std::none_of(parts.begin(), parts.end(), IsStreamedValue))
            continue;
        out += data.sliced(copied, line.equals + 1 - copied);
        out += "@Invalid()";
        copied = line.end;
    }
    if (copied == 0)
        return bytes;
    out += data.sliced(copied);
    return out;
}

QByteArray IniValueText(const QVariant& value) {
    if (value.typeId() == QMetaType::Int)
        return QByteArray::number(value.toInt());
    QByteArray text;
    AppendEscapedText(value.toString(), text);
    return text;
}

QByteArray EditIniGroup(const QByteArray& bytes, const QString& group,
                        std::span<const ProfileValue> values) {
    const qsizetype bodyStart = bytes.startsWith(kByteOrderMark) ? 3 : 0;
    const QByteArrayView data(bytes);

    std::vector<IniLine> lines;
    {
        qsizetype pos = bodyStart;
        IniLine line;
        while (NextLine(data, pos, line))
            lines.push_back(line);
    }
    QByteArray eol = "\n";
    for (const IniLine& line : lines) {
        const qsizetype at = line.end;
        if (at < data.size() && IsBreak(data[at])) {
            if (data.sliced(at).startsWith("\r\n"))
                eol = "\r\n";
            break;
        }
    }

    // The full name of every key=value line's key (empty for all other lines), whether it is in
    // one of the group's sections, and the last line of the group's last section. QSettings also
    // reads a top-level "ScreenSaver\Option" as the group's Option once it has read every
    // section, so such lines are the key's lines too.
    const QString prefix = group + QLatin1Char('/');
    std::vector<QString> keyOf(lines.size());
    std::vector<bool> inGroupOf(lines.size());
    std::ptrdiff_t insertAfter = -1;
    QString section;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const IniLine& line = lines[i];
        const QByteArrayView text = data.sliced(line.begin, line.end - line.begin);
        if (text.startsWith('[')) {
            section = SectionPrefix(text);
        } else if (line.equals >= 0) {
            keyOf[i] = section +
                       UnescapedName(data.sliced(line.begin, line.equals - line.begin).trimmed());
        }
        inGroupOf[i] = section == prefix;
        if (inGroupOf[i])
            insertAfter = static_cast<std::ptrdiff_t>(i);
    }

    // A key's lines keep the key as spelt there and get the value after the '='; a key the
    // group's sections lack is added to them.
    std::vector<QByteArray> replaced(lines.size());
    QByteArray added;
    for (const ProfileValue& value : values) {
        const QString key = prefix + value.key;
        const QByteArray text = IniValueText(value.value);
        bool anywhere = false;
        bool inGroup = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (keyOf[i] != key)
                continue;
            anywhere = true;
            inGroup = inGroup || inGroupOf[i];
            const IniLine& line = lines[i];
            const QByteArrayView stored = data.sliced(line.equals + 1, line.end - line.equals - 1);
            if (!value.keepStored && !ReadsBackAs(stored, value.value))
                replaced[i] =
                    data.sliced(line.begin, line.equals + 1 - line.begin).toByteArray() + text;
        }
        if (!inGroup && !(value.keepStored && anywhere))
            added += value.key.toUtf8() + '=' + text + eol;
    }

    // The bytes from `from` on, with replaced lines in place of the old ones.
    QByteArray out;
    out.reserve(bytes.size() + added.size() + group.size() + 8);
    out += bytes.first(bodyStart);
    qsizetype copied = bodyStart;
    const auto copyUpTo = [&](qsizetype to) {
        out += data.sliced(copied, to - copied);
        copied = to;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!replaced[i].isNull()) {
            copyUpTo(lines[i].begin);
            out += replaced[i];
            copied = lines[i].end;
        }
        if (static_cast<std::ptrdiff_t>(i) != insertAfter || added.isEmpty())
            continue;
        const std::optional<qsizetype> at = AfterLine(data, lines[i]);
        copyUpTo(at.value_or(data.size()));
        if (!at)
            out += EndOfLastLine(lines[i], !replaced[i].isNull(), eol);
        out += added;
    }
    copyUpTo(data.size());
    if (insertAfter < 0 && !added.isEmpty()) {
        // A new section at the end, after a blank line as QSettings separates its groups.
        if (!lines.empty()) {
            if (!AfterLine(data, lines.back()))
                out += EndOfLastLine(lines.back(), !replaced.back().isNull(), eol);
            if (!EndsWithBlankLine(out))
                out += eol;
        } else if (out.size() > bodyStart && !out.endsWith('\n') && !out.endsWith('\r')) {
            out += eol; // only blanks or a comment, with no line break at the end
        }
        out += '[' + group.toUtf8() + ']' + eol + added;
    }
    return out;
}

} // namespace chronivo

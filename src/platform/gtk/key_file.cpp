#include "platform/gtk/key_file.h"

#include <glib.h>

#include <algorithm>

namespace {

const char* const byteOrderMark = "\xEF\xBB\xBF";
const char* const blanks = " \t\r\n\v\f";

enum class LineKind { blank, comment, group, value, other };

struct Line {
    LineKind kind = LineKind::other;
    std::string name; // a group's or a value's, as written
    std::string raw;  // a value's text after '=' and the blanks that follow it
};

// What a line of the file is. A '\r' before the line's end (CRLF) is not part
// of it; blanks round a name or before a value's text do not count.
Line classify(const std::string& text) {
    std::string line = text;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(blanks);
    if (first == std::string::npos) return {LineKind::blank, {}, {}};
    if (line[first] == '#') return {LineKind::comment, {}, {}};
    const size_t last = line.find_last_not_of(blanks);
    if (line[first] == '[' && line[last] == ']' && last > first)
        return {LineKind::group, line.substr(first + 1, last - first - 1), {}};
    const size_t equals = line.find('=');
    if (equals == std::string::npos || equals == first) return {};
    const size_t nameEnd = line.find_last_not_of(blanks, equals - 1);
    const size_t rawStart = line.find_first_not_of(blanks, equals + 1);
    return {LineKind::value, line.substr(first, nameEnd + 1 - first),
            rawStart == std::string::npos ? std::string() : line.substr(rawStart)};
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return g_ascii_tolower(x) == g_ascii_tolower(y);
           });
}

// Calls `visit(index, line)` for every line that lies in a section of `group`
// (its headers included).
template <class Visit>
void forEachInGroup(const KeyFileText& file, const std::string& group, Visit visit) {
    bool inGroup = false;
    for (size_t i = 0; i < file.lines.size(); ++i) {
        const Line line = classify(file.lines[i]);
        if (line.kind == LineKind::group) inGroup = sameName(line.name, group);
        if (inGroup) visit(i, line);
    }
}

void appendHexEscape(std::string& out, unsigned char c) {
    static const char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 0xF];
}

} // namespace

KeyFileText parseKeyFile(const std::string& text) {
    KeyFileText file;
    size_t start = 0;
    if (text.compare(0, 3, byteOrderMark) == 0) file.byteOrderMark = true, start = 3;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        file.lines.push_back(text.substr(start, end - start));
    file.lines.push_back(text.substr(start));
    return file;
}

std::string keyFileText(const KeyFileText& file) {
    std::string text = file.byteOrderMark ? byteOrderMark : "";
    for (size_t i = 0; i < file.lines.size(); ++i)
        text += (i ? "\n" : "") + file.lines[i];
    return text;
}

bool isUnreadable(const KeyFileText& file) {
    bool content = false;
    for (const std::string& text : file.lines) {
        const LineKind kind = classify(text).kind;
        if (kind == LineKind::group) return false;
        content = content || (kind != LineKind::blank && kind != LineKind::comment);
    }
    return content;
}

bool hasGroup(const KeyFileText& file, const std::string& group) {
    bool found = false;
    forEachInGroup(file, group, [&](size_t, const Line&) { found = true; });
    return found;
}

bool findValue(const KeyFileText& file, const std::string& group, const std::string& name,
               std::string& text) {
    bool found = false;
    forEachInGroup(file, group, [&](size_t, const Line& line) {
        if (line.kind == LineKind::value && sameName(line.name, name))
            text = unescapeValue(line.raw), found = true;
    });
    return found;
}

void setValue(KeyFileText& file, const std::string& group, const std::string& name,
              const std::string& text) {
    if (file.lines.empty() || !file.lines.back().empty()) file.lines.emplace_back();
    const std::string escaped = escapeValue(text);
    size_t after = 0; // the group's last line that is not blank or a comment, plus one
    bool written = false;
    forEachInGroup(file, group, [&](size_t i, const Line& line) {
        if (line.kind != LineKind::blank && line.kind != LineKind::comment) after = i + 1;
        if (line.kind == LineKind::value && sameName(line.name, name))
            file.lines[i] = line.name + "=" + escaped, written = true;
    });
    if (written) return;
    if (after == 0) {
        // A new group goes last, after a blank line when text comes before it.
        after = file.lines.size() - 1;
        if (after > 0) file.lines.insert(file.lines.begin() + after++, std::string());
        file.lines.insert(file.lines.begin() + after++, "[" + group + "]");
    }
    file.lines.insert(file.lines.begin() + after, name + "=" + escaped);
}

std::string escapeValue(const std::string& text) {
    const size_t firstKept = text.find_first_not_of(' ');
    const size_t lastKept = text.find_last_not_of(' ');
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' && (firstKept == std::string::npos || i < firstKept || i > lastKept)) {
            out += "\\s";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7f) {
            appendHexEscape(out, c);
        } else if (c >= 0x80) {
            const gunichar ch =
                g_utf8_get_char_validated(text.data() + i, static_cast<gssize>(text.size() - i));
            if (ch == static_cast<gunichar>(-1) || ch == static_cast<gunichar>(-2)) {
                appendHexEscape(out, c);
            } else {
                const size_t length = static_cast<size_t>(g_utf8_skip[c]);
                out.append(text, i, length);
                i += length;
                continue;
            }
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    return out;
}

std::string unescapeValue(const std::string& raw) {
    std::string value = raw;
    const size_t end = value.find_last_not_of(" \t");
    value.resize(end == std::string::npos ? 0 : end + 1);

    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 >= value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[i + 1];
        switch (next) {
        case 's':
            out += ' ';
            ++i;
            continue;
        case 'n':
            out += '\n';
            ++i;
            continue;
        case 't':
            out += '\t';
            ++i;
            continue;
        case 'r':
            out += '\r';
            ++i;
            continue;
        case '\\':
            out += '\\';
            ++i;
            continue;
        case 'x':
            if (i + 3 < value.size() && g_ascii_xdigit_value(value[i + 2]) >= 0 &&
                g_ascii_xdigit_value(value[i + 3]) >= 0) {
                out += static_cast<char>(g_ascii_xdigit_value(value[i + 2]) * 16 +
                                         g_ascii_xdigit_value(value[i + 3]));
                i += 3;
                continue;
            }
            break;
        default:
            break;
        }
        out += value[i];
    }
    return out;
}

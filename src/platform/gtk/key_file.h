// The settings file's text, read and changed line by line: "[group]"
// headers, "name=value" lines, '#' comments and blank lines. Every other line
// is kept as it is and otherwise ignored, and saving changes only the lines
// of the values written. Group and value names match without regard to
// (ASCII) case, as the registry's names do.
#pragma once

#include <string>
#include <vector>

struct KeyFileText {
    bool byteOrderMark = false;     // the text began with UTF-8's; kept when saved
    std::vector<std::string> lines; // split at '\n': the last is empty when the text ends with one
};

KeyFileText parseKeyFile(const std::string& text);
std::string keyFileText(const KeyFileText& file);

// True when the text has lines other than comments and blank ones but no
// group header: nothing in it can be read as settings.
bool isUnreadable(const KeyFileText& file);

bool hasGroup(const KeyFileText& file, const std::string& group);

// The text of the group's last line for `name`, escapes undone; false when
// the group has none.
bool findValue(const KeyFileText& file, const std::string& group, const std::string& name,
               std::string& text);

// Writes `text` (escaped) into every line for `name` in the group; without
// one, into a new line after the group's last line (and the group, when
// missing, at the end of the text).
void setValue(KeyFileText& file, const std::string& group, const std::string& name,
              const std::string& text);

// The text as written after '=': ASCII and valid UTF-8 as they are, spaces at
// either end as \s, other bytes as \xHH, so the file stays UTF-8 and editable.
std::string escapeValue(const std::string& text);
// The bytes a written value stands for (unescaped spaces and tabs at the end
// dropped, an unknown escape kept as typed).
std::string unescapeValue(const std::string& raw);

// The settings store on Linux: one key file, $XDG_CONFIG_HOME/plaidwick/settings.ini,
// whose groups are key paths and whose keys are value names. Values are 8-bit
// texts; bytes that a text editor or the key file format would alter are
// written as escapes (\s, \t, \n, \r, \\, \xHH) and read back exactly.
#include "platform/settings_store.h"

#include "startup/settings.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char* const errorOpening = "Error Opening Key";
const char* const errorReading = "Error Reading Key";

// The Windows reader's buffer holds 255 bytes with the terminating zero.
const size_t longestReadableValue = 254;

const char* const fileHeader =
    " Plaidwick ScreenSaver settings.\n"
    " Each value is text after '='; numbers are decimal. Spaces at either end\n"
    " are written as \\s, a backslash as \\\\, other bytes as \\xHH.";

// Owns a GLib allocation.
struct GFreeGuard {
    void* p;
    ~GFreeGuard() { g_free(p); }
};

struct KeyFileGuard {
    GKeyFile* file = g_key_file_new();
    ~KeyFileGuard() { g_key_file_free(file); }
};

// The configuration folder as the XDG rules give it, read afresh on every
// call (GLib caches its own answer for the life of the process).
std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + "/.config";
    return std::string(g_get_home_dir()) + "/.config";
}

std::string storeFolder() { return configHome() + "/plaidwick"; }
std::string storeFile() { return storeFolder() + "/settings.ini"; }

bool isPlainText(const std::string& name) {
    if (name.empty() || !g_utf8_validate(name.data(), static_cast<gssize>(name.size()), nullptr))
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f || c == '[' || c == ']') return false;
    return true;
}

// A name the key file can hold as a group header and read back unchanged.
bool isGroupName(const std::string& name) { return isPlainText(name); }

// A name the key file can hold as a key and read back unchanged.
bool isKeyName(const std::string& name) {
    return isPlainText(name) && name.find('=') == std::string::npos && name.front() != ' ' &&
           name.back() != ' ' && name.front() != '#';
}

void appendHexEscape(std::string& out, unsigned char c) {
    static const char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 0xF];
}

// The text as it is written after '=': ASCII and valid UTF-8 as they are,
// everything else escaped, so the file stays valid UTF-8 and editable.
std::string escapeValue(const std::string& text) {
    size_t firstKept = text.find_first_not_of(' ');
    size_t lastKept = text.find_last_not_of(' ');
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

int hexDigit(char c) { return g_ascii_xdigit_value(c); }

// The bytes a written value stands for. Unescaped spaces and tabs at the end
// are an editor's leftovers, not part of the value (the key file parser drops
// those at the start); an unknown escape is kept as typed.
std::string unescapeValue(const char* raw) {
    std::string value(raw);
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
        case 's': out += ' '; ++i; continue;
        case 'n': out += '\n'; ++i; continue;
        case 't': out += '\t'; ++i; continue;
        case 'r': out += '\r'; ++i; continue;
        case '\\': out += '\\'; ++i; continue;
        case 'x':
            if (i + 3 < value.size() && hexDigit(value[i + 2]) >= 0 &&
                hexDigit(value[i + 3]) >= 0) {
                out += static_cast<char>(hexDigit(value[i + 2]) * 16 + hexDigit(value[i + 3]));
                i += 3;
                continue;
            }
            break;
        default: break;
        }
        out += value[i];
    }
    return out;
}

enum class LoadResult { loaded, missing, unreadable, damaged };

// Reads and parses the settings file into `keys`.
LoadResult loadStore(const std::string& path, GKeyFile* keys, GKeyFileFlags flags) {
    gchar* data = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!g_file_get_contents(path.c_str(), &data, &length, &error)) {
        const bool missing = g_error_matches(error, G_FILE_ERROR, G_FILE_ERROR_NOENT);
        g_error_free(error);
        return missing ? LoadResult::missing : LoadResult::unreadable;
    }
    GFreeGuard guard{data};
    if (!g_key_file_load_from_data(keys, data, length, flags, &error)) {
        g_error_free(error);
        return LoadResult::damaged;
    }
    return LoadResult::loaded;
}

// Holds an exclusive advisory lock on the lock file beside the settings file
// while one read-modify-write runs, so writers in other processes never lose
// each other's values. Readers need no lock: the file is replaced by rename.
class StoreLock {
  public:
    explicit StoreLock(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~StoreLock() {
        if (fd_ >= 0) ::close(fd_);  // closing the last descriptor drops the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

  private:
    int fd_ = -1;
};

}  // namespace

std::string readSettingText(SettingsRoot, const std::string& keyPath,
                            const std::string& valueName) {
    KeyFileGuard keys;
    if (loadStore(storeFile(), keys.file, G_KEY_FILE_NONE) != LoadResult::loaded)
        return errorOpening;
    if (!isGroupName(keyPath) || !g_key_file_has_group(keys.file, keyPath.c_str()))
        return errorOpening;
    if (!isKeyName(valueName)) return errorReading;

    gchar* raw = g_key_file_get_value(keys.file, keyPath.c_str(), valueName.c_str(), nullptr);
    if (!raw) return errorReading;
    GFreeGuard guard{raw};
    std::string value = unescapeValue(raw);
    if (value.size() > longestReadableValue) return errorReading;
    const size_t zero = value.find('\0');
    if (zero != std::string::npos) value.resize(zero);
    return value;
}

int writeSettingText(SettingsRoot, const std::string& keyPath, const std::string& valueName,
                     const std::string& text) {
    if (!isGroupName(keyPath)) return 0;
    const std::string folder = storeFolder();
    if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) return 0;

    const std::string path = storeFile();
    StoreLock lock(path + ".lock");
    KeyFileGuard keys;
    const GKeyFileFlags flags =
        static_cast<GKeyFileFlags>(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);
    switch (loadStore(path, keys.file, flags)) {
    case LoadResult::loaded: break;
    case LoadResult::missing: g_key_file_set_comment(keys.file, nullptr, nullptr, fileHeader, nullptr); break;
    case LoadResult::unreadable: return 0;
    case LoadResult::damaged:
        // Keep the user's damaged file for inspection and start a fresh one.
        if (g_rename(path.c_str(), (path + ".bad").c_str()) != 0) return 0;
        g_key_file_free(keys.file);
        keys.file = g_key_file_new();
        g_key_file_set_comment(keys.file, nullptr, nullptr, fileHeader, nullptr);
        break;
    }
    const bool keyExisted = g_key_file_has_group(keys.file, keyPath.c_str());
    if (!isKeyName(valueName)) return 1;

    // The stored text is a zero-terminated one: it ends at its first zero byte.
    const std::string stored = text.substr(0, text.find('\0'));
    g_key_file_set_value(keys.file, keyPath.c_str(), valueName.c_str(), escapeValue(stored).c_str());

    gsize length = 0;
    gchar* data = g_key_file_to_data(keys.file, &length, nullptr);
    GFreeGuard guard{data};
    // g_file_set_contents writes a temporary file in the same folder and
    // renames it over the old one, so a reader sees the old or the new file.
    if (!g_file_set_contents(path.c_str(), data, static_cast<gssize>(length), nullptr))
        return keyExisted ? 1 : 0;
    return 2;
}

std::string programFolder() {
    gchar* target = g_file_read_link("/proc/self/exe", nullptr);
    if (!target) return std::string();
    GFreeGuard guard{target};
    return folderOfPath(target, '/');
}

const char* installedDataFolder() { return "share/plaidwick"; }

bool fileExists(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_EXISTS); }

const char* pathSeparator() { return "/"; }

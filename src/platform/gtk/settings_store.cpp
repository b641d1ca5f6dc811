// The settings store on Linux: one text file, $XDG_CONFIG_HOME/plaidwick/settings.ini,
// whose groups are key paths and whose "name=value" lines are values
// (key_file.h). Values are 8-bit texts; bytes that a text editor would alter
// are written as escapes and read back exactly.
#include "platform/settings_store.h"

#include "platform/gtk/key_file.h"
#include "startup/settings.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const errorOpening = "Error Opening Key";
const char* const errorReading = "Error Reading Key";

// The Windows reader's buffer holds 255 bytes with the terminating zero.
const size_t longestReadableValue = 254;

const char* const fileHeader =
    "# Plaidwick ScreenSaver settings.\n"
    "# Each value is text after '='; numbers are decimal. Spaces at either end\n"
    "# are written as \\s, a backslash as \\\\, other bytes as \\xHH.\n";

// A temporary copy this much older than the clock, and locked by no writer,
// was left by a save that was killed.
const time_t staleCopySeconds = 5;

// The configuration folder as the XDG rules give it, read afresh on every
// call (GLib caches its own answer for the life of the process).
std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + "/.config";
    return std::string(g_get_home_dir()) + "/.config";
}

std::string storeFolder() {
    return configHome() + "/plaidwick";
}
std::string storeFile() {
    return storeFolder() + "/settings.ini";
}

bool isPlainText(const std::string& name) {
    if (name.empty() || !g_utf8_validate(name.data(), static_cast<gssize>(name.size()), nullptr))
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f || c == '[' || c == ']') return false;
    return true;
}

// A name the file can hold as a group header and read back unchanged.
bool isGroupName(const std::string& name) {
    return isPlainText(name);
}

// A name the file can hold on a value's line and read back unchanged.
bool isKeyName(const std::string& name) {
    return isPlainText(name) && name.find('=') == std::string::npos && name.front() != ' ' &&
           name.back() != ' ' && name.front() != '#';
}

// `damaged`: read, but nothing in it can be read as settings.
enum class FileState { missing, unreadable, damaged, loaded };

FileState loadStore(const std::string& path, KeyFileText& file) {
    gchar* data = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!g_file_get_contents(path.c_str(), &data, &length, &error)) {
        const bool missing = g_error_matches(error, G_FILE_ERROR, G_FILE_ERROR_NOENT);
        g_error_free(error);
        return missing ? FileState::missing : FileState::unreadable;
    }
    file = parseKeyFile(std::string(data, length));
    g_free(data);
    return isUnreadable(file) ? FileState::damaged : FileState::loaded;
}

// A value's text as readSettingText gives it.
std::string valueText(FileState state, const KeyFileText& file, const std::string& keyPath,
                      const std::string& valueName) {
    if (state != FileState::loaded || !isGroupName(keyPath) || !hasGroup(file, keyPath))
        return errorOpening;
    std::string value;
    if (!isKeyName(valueName) || !findValue(file, keyPath, valueName, value) ||
        value.size() > longestReadableValue)
        return errorReading;
    return value.substr(0, value.find('\0'));
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

// The file a save replaces: `path`, or the file its symbolic links lead to,
// which need not exist yet but must be a regular file if it does.
bool saveTarget(std::string path, std::string& target) {
    for (int links = 0; links < 40; ++links) {
        target = path;
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0) return errno == ENOENT;
        if (!S_ISLNK(status.st_mode)) return S_ISREG(status.st_mode);
        gchar* link = g_file_read_link(path.c_str(), nullptr);
        if (!link) return false;
        path = link[0] == '/' ? std::string(link) : folderOf(path) + "/" + link;
        g_free(link);
    }
    return false;
}

// Takes an exclusive advisory lock, waiting for it.
bool lockFile(int fd) {
    int result;
    while ((result = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    return result == 0;
}

// The locks held while one read-modify-write runs, so that writers in other
// processes never lose each other's values. The settings folder is locked
// (no stray file can stop that); so is settings.ini.lock, which writers of
// earlier versions lock, when it can be opened. Without either, nothing is
// written. Readers need no lock: the file is replaced by rename.
class StoreLock {
  public:
    explicit StoreLock(const std::string& folder) {
        fds_[0] = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        fds_[1] =
            ::open((folder + "/settings.ini.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        for (int fd : fds_)
            held_ = (fd >= 0 && lockFile(fd)) || held_;
    }
    ~StoreLock() {
        for (int fd : fds_)
            if (fd >= 0) ::close(fd); // closing the last descriptor drops the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool held() const { return held_; }

  private:
    int fds_[2];
    bool held_ = false;
};

// True for a name the temporary copies of `target` take: its name, '.', and
// six letters or digits (not all lower-case letters, which a person's
// "settings.ini.backup" is).
bool isCopyName(const std::string& name, const std::string& target) {
    const std::string prefix = target.substr(target.rfind('/') + 1) + ".";
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::string tail = name.substr(prefix.size());
    return std::all_of(tail.begin(), tail.end(), [](char c) { return g_ascii_isalnum(c); }) &&
           !std::all_of(tail.begin(), tail.end(), [](char c) { return g_ascii_islower(c); });
}

// Removes the temporary copies that saves killed half-way left beside
// `target`: those older than a few seconds that no writer holds locked.
void removeStaleCopies(const std::string& target) {
    const std::string folder = folderOf(target);
    GDir* dir = g_dir_open(folder.c_str(), 0, nullptr);
    if (!dir) return;
    const time_t now = std::time(nullptr);
    while (const gchar* name = g_dir_read_name(dir)) {
        if (!isCopyName(name, target)) continue;
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        struct stat status {};
        if (fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
            now - status.st_mtime > staleCopySeconds && flock(fd, LOCK_EX | LOCK_NB) == 0)
            g_unlink(path.c_str());
        if (fd >= 0) ::close(fd);
    }
    g_dir_close(dir);
}

// Moves a file that holds nothing readable aside for inspection, to
// `path`.bad or, when that is taken, the first free of `path`.bad.1, .bad.2 ...
// A hard link takes a name only while it is free, so no earlier file is
// replaced even by another program; a file system without hard links gets a
// rename to a name found free.
bool moveAside(const std::string& path) {
    for (int n = 0;; ++n) {
        const std::string aside = path + ".bad" + (n ? "." + std::to_string(n) : "");
        if (g_file_test(aside.c_str(), G_FILE_TEST_EXISTS) ||
            g_file_test(aside.c_str(), G_FILE_TEST_IS_SYMLINK))
            continue;
        if (link(path.c_str(), aside.c_str()) == 0) return g_unlink(path.c_str()) == 0;
        if (errno != EEXIST) return g_rename(path.c_str(), aside.c_str()) == 0;
    }
}

bool writeAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno != EINTR) return false;
        done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    return true;
}

// Replaces `target` so that a reader sees the old file or the new one, never
// part of one: a temporary copy beside it, locked while it is written (so a
// later save can tell it from one a killed save left), given the old file's
// mode, flushed to disk, then renamed over it.
bool replaceFile(const std::string& target, const std::string& text) {
    struct stat old {};
    const bool existed = stat(target.c_str(), &old) == 0;
    std::string copy = target + ".XXXXXX";
    const int fd = g_mkstemp_full(&copy[0], O_RDWR | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    flock(fd, LOCK_EX);
    if (existed) fchmod(fd, old.st_mode & 07777);
    bool saved = writeAll(fd, text) && fsync(fd) == 0;
    saved = ::close(fd) == 0 && saved && g_rename(copy.c_str(), target.c_str()) == 0;
    if (!saved) g_unlink(copy.c_str());
    return saved;
}

} // namespace

std::string readSettingText(SettingsRoot, const std::string& keyPath,
                            const std::string& valueName) {
    KeyFileText file;
    const FileState state = loadStore(storeFile(), file);
    return valueText(state, file, keyPath, valueName);
}

int writeSettingText(SettingsRoot root, const std::string& keyPath, const std::string& valueName,
                     const std::string& text) {
    return updateSettingTexts(root, keyPath, {}, [&](const std::vector<std::string>&) {
        return SettingTexts{{valueName, text}};
    });
}

int updateSettingTexts(SettingsRoot, const std::string& keyPath,
                       const std::vector<std::string>& names, const SettingsChange& change) {
    const std::string folder = storeFolder();
    const std::string path = storeFile();
    const bool folderMade = g_mkdir_with_parents(folder.c_str(), 0700) == 0;
    StoreLock lock(folder);

    KeyFileText file;
    const FileState state = loadStore(path, file);
    std::vector<std::string> texts;
    for (const std::string& name : names)
        texts.push_back(valueText(state, file, keyPath, name));
    const SettingTexts writes = change(texts);
    if (writes.empty()) return 2;

    std::string target;
    if (!folderMade || !lock.held() || state == FileState::unreadable || !isGroupName(keyPath) ||
        !saveTarget(path, target) || (state == FileState::damaged && !moveAside(target)))
        return 0;
    const bool keyExisted = state == FileState::loaded && hasGroup(file, keyPath);
    if (state != FileState::loaded) file = parseKeyFile(fileHeader);

    int result = 2;
    bool changed = false;
    for (const auto& [name, text] : writes) {
        if (!isKeyName(name)) {
            result = 1;
            continue;
        }
        // The stored text is a zero-terminated one: it ends at its first zero byte.
        setValue(file, keyPath, name, text.substr(0, text.find('\0')));
        changed = true;
    }
    if (!changed) return result;
    removeStaleCopies(target);
    if (!replaceFile(target, keyFileText(file))) return keyExisted ? 1 : 0;
    return result;
}

std::string programFolder() {
    gchar* target = g_file_read_link("/proc/self/exe", nullptr);
    if (!target) return std::string();
    std::string folder = folderOfPath(target, '/');
    g_free(target);
    return folder;
}

const char* installedDataFolder() { return "share/plaidwick"; }

bool fileExists(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_EXISTS); }

const char* pathSeparator() { return "/"; }

// The settings file's reader and writer under libFuzzer. The input is a
// file's text; after its last zero byte, if any, comes a value's text to
// write. Any text must read and write back byte for byte, a written value
// must read back as written (also after the file is read again), and a value
// not written must keep its text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/gtk/key_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t zero = input.rfind('\0');
    const std::string text = zero == std::string::npos ? "" : input.substr(zero + 1);
    KeyFileText file = parseKeyFile(input.substr(0, zero));
    const bool same = keyFileText(file) == input.substr(0, zero);
    const std::string group = "Software\\Plaidwick ScreenSaver",
                      name = size % 2 ? "Tartan Zoom" : "tartan ZOOM";
    std::string other, otherAfter, read, reread;
    const bool hadOther = findValue(file, group, "Tartan Delay", other);
    setValue(file, group, name, text);
    const KeyFileText again = parseKeyFile(keyFileText(file));
    if (!same || !findValue(file, group, "Tartan Zoom", read) ||
        !findValue(again, group, name, reread) || read != text || reread != text ||
        isUnreadable(again) || findValue(again, group, "Tartan Delay", otherAfter) != hadOther ||
        otherAfter != other)
        std::abort();
    return 0;
}

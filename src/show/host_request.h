// What a host asks of the show on the command line: the window to draw in,
// and settings for this run only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct HostRequest {
    bool hosted = false;     // --root or --window-id was given
    bool usable = true;      // false: the window id is not a number
    uint64_t window = 0;     // 0: the root window
    // Settings that override the stored ones for this run.
    std::optional<int32_t> zoom;
    std::optional<int32_t> delaySeconds;
    std::optional<int32_t> showNames;
    std::optional<int32_t> randomOrder;
};

// Reads `--root` (the window named by `hostWindow`, XScreenSaver's
// XSCREENSAVER_WINDOW, in decimal or 0x hex, else the root window),
// `--window-id ID`, `--zoom N`, `--delay S`, `--names`, `--no-names`,
// `--random` and `--in-order` from the arguments after the program's name.
// Not hosted when neither --root nor --window-id is among them.
HostRequest hostRequestFrom(const std::vector<std::string>& arguments, const std::string& hostWindow);

// Puts the request's settings into the settings of this run.
void applyHostSettings(const HostRequest& request);

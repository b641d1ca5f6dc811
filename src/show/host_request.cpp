#include "show/host_request.h"

#include "startup/settings.h"
#include "tartan/text.h"

namespace {

// A window id in decimal or 0x hex; false for anything else.
bool parseWindowId(const std::string& text, uint64_t& id) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 16) return false;
    uint64_t value64 = 0;
    for (char c : digits) {
        const int value = c >= '0' && c <= '9'   ? c - '0'
                          : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                          : -1;
        if (value < 0) return false;
        value64 = value64 * (hex ? 16 : 10) + static_cast<uint64_t>(value);
    }
    id = value64;
    return true;
}

}  // namespace

HostRequest hostRequestFrom(const std::vector<std::string>& arguments, const std::string& hostWindow) {
    HostRequest request;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (option == "--root") {
            request.hosted = true;
            if (!hostWindow.empty()) request.usable = parseWindowId(hostWindow, request.window);
        } else if (option == "--window-id") {
            request.hosted = true;
            request.usable = hasValue && parseWindowId(arguments[++i], request.window);
        } else if (option == "--zoom" && hasValue) {
            request.zoom = parseInteger(arguments[++i]);
        } else if (option == "--delay" && hasValue) {
            request.delaySeconds = parseInteger(arguments[++i]);
        } else if (option == "--names" || option == "--no-names") {
            request.showNames = option == "--names" ? 1 : 0;
        } else if (option == "--random" || option == "--in-order") {
            request.randomOrder = option == "--random" ? 1 : 0;
        }
    }
    return request;
}

void applyHostSettings(const HostRequest& request) {
    SaverSettings& settings = saverSettings();
    // Read as the stored texts are: the zoom's low 16 bits, seconds times 1000.
    if (request.zoom) settings.zoom = static_cast<int16_t>(*request.zoom);
    if (request.delaySeconds)
        settings.delayMs = static_cast<int32_t>(static_cast<uint32_t>(*request.delaySeconds) * 1000u);
    if (request.showNames) settings.showNames = *request.showNames;
    if (request.randomOrder) settings.randomOrder = *request.randomOrder;
}

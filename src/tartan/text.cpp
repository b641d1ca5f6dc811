#include "tartan/text.h"

#include <algorithm>

int32_t textLength(const std::string& t) { return static_cast<int32_t>(t.size()); }

int32_t countOccurrences(const std::string& t, const std::string& p) {
    if (t.empty() || p.empty()) return 0;
    int32_t count = 0;
    for (size_t at = t.find(p); at != std::string::npos; at = t.find(p, at + p.size())) ++count;
    return count;
}

std::string fieldAt(const std::string& t, int32_t n, const std::string& sep) {
    if (t.empty()) return std::string();
    if (sep.empty()) return t;
    const char separator = sep[0];
    size_t begin = 0;
    for (int32_t field = 1; field < std::max(n, 1); ++field) {
        const size_t next = t.find(separator, begin);
        if (next == std::string::npos) return std::string();
        begin = next + 1;
    }
    const size_t end = t.find(separator, begin);
    return t.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::string midText(const std::string& t, int32_t start, int32_t length) {
    if (length <= 0) return std::string();
    const size_t from = start <= 1 ? 0 : static_cast<size_t>(start) - 1;
    if (from >= t.size()) return std::string();
    return t.substr(from, static_cast<size_t>(length));
}

std::string leftText(const std::string& t, int32_t n) {
    if (n <= 0) return std::string();
    return t.substr(0, static_cast<size_t>(n));
}

std::string rightText(const std::string& t, int32_t n) {
    if (n <= 0) return std::string();
    if (static_cast<size_t>(n) >= t.size()) return t;
    return t.substr(t.size() - static_cast<size_t>(n));
}

int32_t parseInteger(const std::string& t) {
    size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    uint32_t value = 0;  // unsigned, so overflow wraps modulo 2^32 as intended
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(t[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

int32_t charCode(const std::string& t) {
    return t.empty() ? 0 : static_cast<int32_t>(static_cast<unsigned char>(t[0]));
}

std::string upperCaseText(const std::string& t) {
    std::string out(t);
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || u >= 224) c = static_cast<char>(u - 32);
    }
    return out;
}

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool matchesAt(const std::string& t, size_t at, const std::string& p) {
    if (t.size() - at < p.size()) return false;
    for (size_t k = 0; k < p.size(); ++k)
        if (lowerAscii(t[at + k]) != lowerAscii(p[k])) return false;
    return true;
}

}  // namespace

std::string removeOccurrences(const std::string& t, const std::string& p) {
    if (t.empty() || p.empty()) return std::string();
    std::string out;
    out.reserve(t.size());
    for (size_t at = 0; at < t.size();) {
        if (matchesAt(t, at, p)) {
            at += p.size();
        } else {
            out += t[at++];
        }
    }
    return out;
}

std::string decimalText(int32_t value) { return std::to_string(value); }

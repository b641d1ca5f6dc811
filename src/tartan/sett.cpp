#include "tartan/sett.h"

#include "tartan/catalogue.h"
#include "tartan/text.h"

std::string unscrambleSett(const std::string& text, const std::string& key) {
    if (text.empty() || key.empty()) return text;
    std::string out(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>(~(static_cast<unsigned char>(text[i]) ^
                                     static_cast<unsigned char>(key[i % key.size()])));
    return out;
}

void unscrambleCatalogue() {
    for (TartanRecord& record : tartanCatalogue()) {
        record.paletteSett = unscrambleSett(record.paletteSett, record.name);
        record.warpSett = unscrambleSett(record.warpSett, record.name);
        record.weftSett = unscrambleSett(record.weftSett, record.name);
    }
}

Palette parsePalette(const std::string& paletteSett) {
    const int32_t fields = countOccurrences(paletteSett, ",") + 1;
    Palette palette(static_cast<size_t>(fields) + 1, 0);
    for (int32_t k = 1; k <= fields; ++k)
        palette[static_cast<size_t>(k - 1)] = parseInteger(fieldAt(paletteSett, k, ","));
    return palette;
}

ThreadColours parseThreadSett(const std::string& threadSett, const Palette& palette,
                              int16_t threadCount) {
    const int32_t room = threadCount > 0 ? threadCount + 2 : 2;
    ThreadColours colours(static_cast<size_t>(room), 0);
    const int32_t runs = countOccurrences(threadSett, ",") + 1;
    int32_t position = 0;
    // The runs are the comma-separated fields, walked in one pass.
    size_t begin = 0;
    for (int32_t k = 1; k <= runs && position < room; ++k) {
        const size_t end = threadSett.find(',', begin);
        const std::string field =
            threadSett.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        begin = end == std::string::npos ? threadSett.size() : end + 1;
        const int16_t count =
            static_cast<int16_t>(parseInteger(midText(field, 1, textLength(field) - 1)));
        const int32_t index = charCode(rightText(field, 1)) - charCode("a");
        // A letter outside the palette weaves black rather than reading past the table.
        const int32_t colour = (index >= 0 && static_cast<size_t>(index) < palette.size())
                                   ? palette[static_cast<size_t>(index)]
                                   : 0;
        // Threads beyond the room are dropped: they would never be drawn.
        for (int32_t t = 0; t < count && position < room; ++t)
            colours[static_cast<size_t>(position++)] = colour;
    }
    return colours;
}

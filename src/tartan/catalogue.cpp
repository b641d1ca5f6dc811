#include "tartan/catalogue.h"

TartanCatalogue& tartanCatalogue() {
    static TartanCatalogue catalogue;
    return catalogue;
}

void buildCatalogue() {
    TartanCatalogue& catalogue = tartanCatalogue();
    for (int i = 0; i < tartanCount; ++i) {
        const StoredTartan& stored = storedTartans[i];
        TartanRecord& record = catalogue[static_cast<size_t>(i)];
        record.name = stored.name;
        record.warpCount = stored.warpCount;
        record.weftCount = stored.weftCount;
        record.paletteSett = stored.paletteSett;
        record.warpSett = stored.warpSett;
        record.weftSett = stored.weftSett;
    }
}

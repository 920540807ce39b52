// Copies of items, put in through the same Add operations as new ones, then
// given the copied values.
#include "tools/designer/clipboard.h"

#include "menu/text.h"
#include "tools/designer/edit.h"

static const char* const buttonKeys[] = {"Command", "BtnPos", "BtnBmp", "BtnTextCol"};

static std::string keyName(const char* prefix, int n)
{
    char key[32];
    numberedName(key, sizeof key, prefix, (unsigned)n);
    return key;
}

static std::string decimal(long long n)
{
    char text[24] = "";
    unsigned long long magnitude = n < 0 ? 0ull - (unsigned long long)n : (unsigned long long)n;
    if (n < 0)
        text[0] = '-';
    appendDecimal(text, sizeof text, (unsigned)magnitude);
    return text;
}

// The value with fields first and first + 1 (x and y) shifted; the
// menu's numbers are read as atoi reads them.
static std::string shifted(const std::string& value, size_t first, int dx, int dy)
{
    std::vector<std::string> fields = splitFields(value);
    while (fields.size() < first + 2)
        fields.push_back("0");
    fields[first] = decimal((long long)toInt(fields[first].c_str()) + dx);
    fields[first + 1] = decimal((long long)toInt(fields[first + 1].c_str()) + dy);
    return joinFields(fields);
}

ItemCopy copyItem(MenuDocument* doc, const DesignPlace& place)
{
    ItemCopy copy;
    copy.kind = PLACE_START;
    std::string section = itemSectionOf(doc, place);
    if (place.kind == PLACE_BUTTON && place.page >= 0 && place.item >= 0 &&
        place.item < countButtons(doc, section)) {
        for (const char* prefix : buttonKeys)
            copy.values.push_back(
                docRead(doc, section.c_str(), keyName(prefix, place.item + 1).c_str()));
        copy.kind = PLACE_BUTTON;
    } else if (place.kind == PLACE_DECORATION && place.item >= 0 &&
               place.item < countDecorations(doc, section)) {
        copy.values.push_back(docRead(doc, section.c_str(), keyName("Bmp", place.item + 1).c_str()));
        copy.kind = PLACE_DECORATION;
    } else if (place.kind == PLACE_ENTRY && place.page >= 0 && !section.empty()) {
        copy.values.push_back(docRead(doc, section.c_str(), "Title"));
        DesignPlace item = {PLACE_BUTTON, place.page, place.entry, 0};
        for (int n = countButtons(doc, section); item.item < n; item.item++)
            copy.buttons.push_back(copyItem(doc, item));
        item.kind = PLACE_DECORATION;
        item.item = 0;
        for (int n = countDecorations(doc, section); item.item < n; item.item++)
            copy.decorations.push_back(copyItem(doc, item));
        copy.kind = PLACE_ENTRY;
    }
    return copy;
}

static bool pasteInto(MenuDocument* doc, const DesignPlace& before, const ItemCopy& copy,
                      int shiftX, int shiftY, const int* at, DesignPlace* place)
{
    DesignPlace made = before;
    if (copy.kind == PLACE_BUTTON && copy.values.size() == 4) {
        if (before.page < 0 || before.entry < 0 || !addButton(doc, before, "", &made))
            return false;
        std::string section = itemSectionOf(doc, made);
        for (int f = 0; f < 4; f++) {
            std::string value = copy.values[(size_t)f];
            if (f == 1 && !value.empty() && (shiftX || shiftY))
                value = shifted(value, 0, shiftX, shiftY);
            else if (f == 1 && value.empty() && at)
                value = decimal(at[0]) + "," + decimal(at[1]);
            std::string key = keyName(buttonKeys[f], made.item + 1);
            docWrite(doc, section.c_str(), key.c_str(), value.empty() ? 0 : value.c_str());
        }
    } else if (copy.kind == PLACE_DECORATION && copy.values.size() == 1) {
        const std::string& value = copy.values[0];
        if ((before.page >= 0 && before.entry < 0) || !addDecoration(doc, before, value.c_str(), &made))
            return false;
        std::string written = shiftX || shiftY ? shifted(value, 1, shiftX, shiftY) : value;
        docWrite(doc, itemSectionOf(doc, made).c_str(), keyName("Bmp", made.item + 1).c_str(),
                 written.c_str());
    } else if (copy.kind == PLACE_ENTRY && copy.values.size() == 1) {
        if (before.page < 0 || !addEntry(doc, before, copy.values[0].c_str(), &made))
            return false;
        for (const ItemCopy& b : copy.buttons)
            pasteInto(doc, made, b, 0, 0, 0, 0);
        for (const ItemCopy& d : copy.decorations)
            pasteInto(doc, made, d, 0, 0, 0, 0);
        made.kind = PLACE_ENTRY;
        made.item = -1;
    } else {
        return false;
    }
    if (place)
        *place = made;
    return true;
}

bool pasteItem(MenuDocument* doc, const DesignPlace& before, const ItemCopy& copy, int shiftX,
               int shiftY, const int* at, DesignPlace* place)
{
    DesignPlace made = before;
    docBegin(doc, before, 0);
    bool done = pasteInto(doc, before, copy, shiftX, shiftY, at, &made);
    docEnd(doc, made);
    if (done && place)
        *place = made;
    return done;
}

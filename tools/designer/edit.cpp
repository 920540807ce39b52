// Menu-level changes over the document: lists kept without gaps, fields
// written into their values, the menu's limits, findings turned into places.
#include "tools/designer/edit.h"

#include <string.h>

#include "menu/model.h"
#include "menu/text.h"
#include "platform/platform.h"
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/scan.h"

const char mainSection[] = "MENU";

// The buffers the model reads each value into (menu/model.cpp): a value is
// cut to one byte less, and a list ends where a value cut so is empty.
enum {
    LIST_VALUE_BYTES = NAME_BYTES,           // Page%d, Menu%d
    COMMAND_COUNT_BYTES = 80,                // Command%d while counting
    NUMBER_VALUE_BYTES = 30,                 // BtnPos%d, BtnTextCol%d
    NUMBER_FIELD_BYTES = 12,                 // each number of BtnPos%d
    DECORATION_NUMBER_BYTES = 20,            // the numbers of Bmp%d
    MAX_KEYS_COMPARED = 5000,
};

static const char* const buttonKeys[] = {"Command", "BtnPos", "BtnBmp", "BtnTextCol"};
static const char* const decorationKeys[] = {"Bmp"};
static const char* const pageKeys[] = {"Page"};
static const char* const entryKeys[] = {"Menu"};

struct KeyFamily {
    const char* const* prefixes;
    int count;
};

static std::string keyName(const char* prefix, int n)
{
    char key[32];
    numberedName(key, sizeof key, prefix, (unsigned)n);
    return key;
}

static std::string cut(const std::string& value, size_t size)
{
    std::string out(size, '\0');
    copyText(&out[0], size, value.c_str());
    out.resize(strlen(out.c_str()));
    return out;
}

static std::string readKey(MenuDocument* doc, const std::string& section, const char* prefix,
                           int n)
{
    return docRead(doc, section.c_str(), keyName(prefix, n).c_str());
}

static int listLength(MenuDocument* doc, const std::string& section, const char* prefix,
                      size_t size, int limit)
{
    if (section.empty())
        return 0;
    int n = 0;
    while (n < limit && !cut(readKey(doc, section, prefix, n + 1), size).empty())
        n++;
    return n;
}

int countPages(MenuDocument* doc)
{
    return listLength(doc, mainSection, "Page", LIST_VALUE_BYTES, PAGE_SLOTS);
}

int countEntries(MenuDocument* doc, int page)
{
    return listLength(doc, pageSectionOf(doc, page), "Menu", LIST_VALUE_BYTES, 1 << 30);
}

int countButtons(MenuDocument* doc, const std::string& section)
{
    return listLength(doc, section, "Command", COMMAND_COUNT_BYTES, 1 << 30);
}

int countDecorations(MenuDocument* doc, const std::string& section)
{
    return listLength(doc, section, "Bmp", PICTURE_VALUE_BYTES, 1 << 30);
}

std::string pageSectionOf(MenuDocument* doc, int page)
{
    if (page < 0 || page >= countPages(doc))
        return std::string();
    return cut(readKey(doc, mainSection, "Page", page + 1), NAME_BYTES);
}

std::string entrySectionOf(MenuDocument* doc, int page, int entry)
{
    if (entry < 0 || entry >= countEntries(doc, page))
        return std::string();
    return cut(readKey(doc, pageSectionOf(doc, page), "Menu", entry + 1), NAME_BYTES);
}

std::string itemSectionOf(MenuDocument* doc, const DesignPlace& place)
{
    if (place.page < 0)
        return mainSection;
    return entrySectionOf(doc, place.page, place.entry);
}

// --- Sections -----------------------------------------------------------------

struct Scan {
    MenuScan scan;
    explicit Scan(MenuDocument* doc)
    {
        if (!scanMenuData((const unsigned char*)doc->data.data(), doc->data.size(), &scan))
            memset(&scan, 0, sizeof scan);
    }
    ~Scan() { freeScan(&scan); }
};

bool sectionExists(MenuDocument* doc, const std::string& name)
{
    Scan s(doc);
    return findSection(&s.scan, name.c_str()) >= 0;
}

// Whether "Menu" followed by digits, as the list keys of a page are named.
static bool isListKey(const char* key, const char* prefix)
{
    size_t n = strlen(prefix);
    for (size_t i = 0; i < n; i++) {
        char c = key[i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        char p = prefix[i];
        if (p >= 'A' && p <= 'Z')
            p = (char)(p - 'A' + 'a');
        if (c != p)
            return false;
    }
    if (!key[n])
        return false;
    for (const char* d = key + n; *d; d++)
        if (*d < '0' || *d > '9')
            return false;
    return true;
}

// Whether any Page%d or Menu%d key, read or not, still names the section.
static bool sectionNamed(MenuDocument* doc, const std::string& name)
{
    Scan s(doc);
    for (int i = 1; i < s.scan.sectionCount; i++) {
        const ScanSection& sec = s.scan.sections[i];
        if (sec.sameAs >= 0)
            continue;  // the reader sees only the first of that name
        bool main = sameKeyName(sec.name, mainSection);
        for (int k = sec.firstKey; k < sec.firstKey + sec.keyCount; k++) {
            // A list key made a comment still names its section.
            const char* key = s.scan.keys[k].name;
            const char* bare = key[0] == ';' ? key + 1 : key;
            if (!isListKey(bare, "Menu") && !(main && isListKey(bare, "Page")))
                continue;
            std::string value = cut(docRead(doc, sec.name, key), NAME_BYTES);
            if (!value.empty() && sameKeyName(value.c_str(), name.c_str()))
                return true;
        }
    }
    return false;
}

static std::string freshSection(MenuDocument* doc, const char* prefix)
{
    for (int n = 1;; n++) {
        std::string name = keyName(prefix, n);
        if (!sectionExists(doc, name) && !sectionNamed(doc, name))
            return name;
    }
}

// Line breaks at the end of the data: CR LF, CR or LF count one each.
static int trailingBreaks(const std::string& d)
{
    int n = 0;
    size_t at = d.size();
    while (at > 0 && (d[at - 1] == '\n' || d[at - 1] == '\r')) {
        at -= at >= 2 && d[at - 1] == '\n' && d[at - 2] == '\r' ? 2 : 1;
        n++;
    }
    return n;
}

// A new section at the end of the file, after a blank line when the file
// ends with a line break (the rewriter itself starts a line otherwise).
static void newSection(MenuDocument* doc, const std::string& name, const char* title)
{
    const std::string& d = doc->data;
    int breaks = trailingBreaks(d);
    if (breaks == 1 && d.find_first_not_of("\r\n") != std::string::npos)
        doc->data += newLineBreak;
    docWrite(doc, name.c_str(), "Title", title ? title : "");
}

// --- Numbered keys ---------------------------------------------------------------

static void putKey(MenuDocument* doc, const std::string& section, const char* prefix, int n,
                   const std::string& value)
{
    docWrite(doc, section.c_str(), keyName(prefix, n).c_str(),
             value.empty() ? 0 : value.c_str());
}

// The lines of a key in the section the reader reads: the first section
// of that name; comments are nobody's.
static int linesOfKey(MenuDocument* doc, const std::string& section, const std::string& key)
{
    Scan s(doc);
    int i = findSection(&s.scan, section.c_str());
    if (i < 0)
        return 0;
    const ScanSection& sec = s.scan.sections[i];
    int n = 0;
    for (int k = sec.firstKey; k < sec.firstKey + sec.keyCount; k++)
        n += !s.scan.keys[k].comment && sameKeyName(s.scan.keys[k].name, key.c_str());
    return n;
}

// Every line of the key made a comment where it stands: the menu no
// longer reads it, and nothing the author wrote is lost.
static void parkKey(MenuDocument* doc, const std::string& section, const std::string& key)
{
    for (int n = linesOfKey(doc, section, key); n > 0; n--)
        docRename(doc, section.c_str(), key.c_str(), (";" + key).c_str());
}

// A name no menu key has, for a moment.
static const char swapKey[] = "\x7F\x7F";

// The reader takes the first of two lines of a name: the others are made
// comments, so that renaming or deleting the first cannot bring one of them
// into the menu.
static void unshadow(MenuDocument* doc, const std::string& section, const std::string& key)
{
    if (linesOfKey(doc, section, key) < 2)
        return;
    docRename(doc, section.c_str(), key.c_str(), swapKey);
    parkKey(doc, section, key);
    docRename(doc, section.c_str(), swapKey, key.c_str());
}

// Renames the key the reader reads, when there is one.
static void renameRead(MenuDocument* doc, const std::string& section, const std::string& key,
                       const std::string& newKey)
{
    if (linesOfKey(doc, section, key) > 0)
        docRename(doc, section.c_str(), key.c_str(), newKey.c_str());
}

// Before item n (1-based) of a list is written: item n + 1, behind the gap
// that ends the list, would be read after it; it is made a comment.
static void parkBehind(MenuDocument* doc, const std::string& section, const char* prefix, int n,
                       size_t size, int limit)
{
    if (n + 1 <= limit && !cut(readKey(doc, section, prefix, n + 1), size).empty())
        parkKey(doc, section, keyName(prefix, n + 1));
}

// Items index+1 .. count-1 move down one number; the last number goes.
// A list of one key (Page%d, Menu%d, Bmp%d) keeps its lines and moves the
// values; a button's keys are renamed where they stand, so that each
// button's lines stay together.
static void closeGap(MenuDocument* doc, const std::string& section, KeyFamily family, int index,
                     int count)
{
    for (int f = 0; f < family.count; f++) {
        const char* prefix = family.prefixes[f];
        if (family.count == 1) {
            unshadow(doc, section, keyName(prefix, count));
            for (int n = index + 1; n < count; n++)
                putKey(doc, section, prefix, n, readKey(doc, section, prefix, n + 1));
            putKey(doc, section, prefix, count, std::string());
            continue;
        }
        for (int n = index + 1; n <= count; n++)
            unshadow(doc, section, keyName(prefix, n));
        if (linesOfKey(doc, section, keyName(prefix, index + 1)) > 0)
            putKey(doc, section, prefix, index + 1, std::string());
        for (int n = index + 2; n <= count; n++)
            renameRead(doc, section, keyName(prefix, n), keyName(prefix, n - 1));
    }
}

static void swapItems(MenuDocument* doc, const std::string& section, KeyFamily family, int a,
                      int b)
{
    for (int f = 0; f < family.count; f++) {
        const char* prefix = family.prefixes[f];
        if (family.count == 1) {
            std::string first = readKey(doc, section, prefix, a + 1);
            std::string second = readKey(doc, section, prefix, b + 1);
            putKey(doc, section, prefix, a + 1, second);
            putKey(doc, section, prefix, b + 1, first);
            continue;
        }
        std::string keyA = keyName(prefix, a + 1), keyB = keyName(prefix, b + 1);
        unshadow(doc, section, keyA);
        unshadow(doc, section, keyB);
        bool hadA = linesOfKey(doc, section, keyA) > 0;
        renameRead(doc, section, keyA, swapKey);
        renameRead(doc, section, keyB, keyA);
        if (hadA)
            docRename(doc, section.c_str(), swapKey, keyB.c_str());
    }
}

static DesignPlace makePlace(int kind, int page, int entry, int item)
{
    DesignPlace place = {kind, page, entry, item};
    return place;
}

static void give(DesignPlace* out, const DesignPlace& place)
{
    if (out)
        *out = place;
}

// --- Adding ----------------------------------------------------------------------

// Adds a titled section under a fresh name, listed as key n + 1 of list:
// one step of undo.
static void addListedSection(MenuDocument* doc, const DesignPlace& before,
                             const std::string& list, const char* key, int n,
                             const char* prefix, const char* title,
                             const DesignPlace& after, DesignPlace* place)
{
    std::string name = freshSection(doc, prefix);
    docBegin(doc, before, 0);
    parkBehind(doc, list, key, n + 1, LIST_VALUE_BYTES,
               sameKeyName(key, "Page") ? PAGE_SLOTS : 1 << 30);
    putKey(doc, list, key, n + 1, name);
    newSection(doc, name, title);
    docEnd(doc, after);
    give(place, after);
}

bool addPage(MenuDocument* doc, const DesignPlace& before, const char* title, DesignPlace* place)
{
    int n = countPages(doc);
    if (n >= PAGE_SLOTS)
        return false;
    addListedSection(doc, before, mainSection, "Page", n, "PAGE", title,
                     makePlace(PLACE_PAGE, n, -1, -1), place);
    return true;
}

bool addEntry(MenuDocument* doc, const DesignPlace& before, const char* title,
              DesignPlace* place)
{
    std::string page = pageSectionOf(doc, before.page);
    if (page.empty())
        return false;
    int n = countEntries(doc, before.page);
    addListedSection(doc, before, page, "Menu", n, "ENTRY", title,
                     makePlace(PLACE_ENTRY, before.page, n, -1), place);
    return true;
}

bool addButton(MenuDocument* doc, const DesignPlace& before, const char* caption,
               DesignPlace* place)
{
    if (before.page < 0)
        return false;
    std::string section = itemSectionOf(doc, before);
    if (section.empty())
        return false;
    int n = countButtons(doc, section);
    DesignPlace after = makePlace(PLACE_BUTTON, before.page, before.entry, n);
    docBegin(doc, before, 0);
    // Keys left above the old count were never read; the new button must
    // not pick them up, nor the button behind the gap come back with it.
    for (int f = 1; f < 4; f++)
        parkKey(doc, section, keyName(buttonKeys[f], n + 1));
    parkBehind(doc, section, "Command", n + 1, COMMAND_COUNT_BYTES, 1 << 30);
    putKey(doc, section, "Command", n + 1, std::string(caption ? caption : "") + ",");
    docEnd(doc, after);
    give(place, after);
    return true;
}

bool addDecoration(MenuDocument* doc, const DesignPlace& before, const char* file,
                   DesignPlace* place)
{
    std::string section = itemSectionOf(doc, before);
    if (section.empty() || !file || !file[0])
        return false;
    int n = countDecorations(doc, section);
    DesignPlace after = makePlace(PLACE_DECORATION, before.page, before.entry, n);
    docBegin(doc, before, 0);
    parkBehind(doc, section, "Bmp", n + 1, PICTURE_VALUE_BYTES, 1 << 30);
    putKey(doc, section, "Bmp", n + 1, std::string(file) + ",0,0");
    docEnd(doc, after);
    give(place, after);
    return true;
}

// --- Deleting and reordering -------------------------------------------------------

// Deletes the sections no key names any more, once.
static void dropUnnamed(MenuDocument* doc, const std::vector<std::string>& names)
{
    for (size_t i = 0; i < names.size(); i++) {
        bool seen = false;
        for (size_t j = 0; j < i; j++)
            seen = seen || sameKeyName(names[i].c_str(), names[j].c_str());
        if (!seen && !names[i].empty() && !sectionNamed(doc, names[i]))
            while (sectionExists(doc, names[i]) &&
                   !sameKeyName(names[i].c_str(), mainSection)) {
                size_t size = doc->data.size();
                docDeleteSection(doc, names[i].c_str());
                if (doc->data.size() == size)
                    break;
            }
    }
}

bool deleteItem(MenuDocument* doc, const DesignPlace& before, DesignPlace* place)
{
    DesignPlace after = before;
    if (before.kind == PLACE_PAGE) {
        int count = countPages(doc);
        if (before.page < 0 || before.page >= count)
            return false;
        std::vector<std::string> gone(1, pageSectionOf(doc, before.page));
        for (int e = 0, n = countEntries(doc, before.page); e < n; e++)
            gone.push_back(entrySectionOf(doc, before.page, e));
        after = count > 1 ? makePlace(PLACE_PAGE, before.page < count - 1 ? before.page
                                                                          : count - 2, -1, -1)
                          : startPlace();
        docBegin(doc, before, 0);
        closeGap(doc, mainSection, KeyFamily{pageKeys, 1}, before.page, count);
        dropUnnamed(doc, gone);
        docEnd(doc, after);
    } else if (before.kind == PLACE_ENTRY) {
        int count = countEntries(doc, before.page);
        if (before.entry < 0 || before.entry >= count)
            return false;
        std::vector<std::string> gone(1, entrySectionOf(doc, before.page, before.entry));
        std::string page = pageSectionOf(doc, before.page);
        after = count > 1 ? makePlace(PLACE_ENTRY, before.page,
                                      before.entry < count - 1 ? before.entry : count - 2, -1)
                          : makePlace(PLACE_PAGE, before.page, -1, -1);
        docBegin(doc, before, 0);
        closeGap(doc, page, KeyFamily{entryKeys, 1}, before.entry, count);
        dropUnnamed(doc, gone);
        docEnd(doc, after);
    } else if (before.kind == PLACE_BUTTON || before.kind == PLACE_DECORATION) {
        bool button = before.kind == PLACE_BUTTON;
        std::string section = itemSectionOf(doc, before);
        int count = button ? countButtons(doc, section) : countDecorations(doc, section);
        if (before.item < 0 || before.item >= count)
            return false;
        if (count > 1)
            after.item = before.item < count - 1 ? before.item : count - 2;
        else
            after = before.page < 0 ? startPlace()
                                    : makePlace(PLACE_ENTRY, before.page, before.entry, -1);
        docBegin(doc, before, 0);
        closeGap(doc, section, button ? KeyFamily{buttonKeys, 4} : KeyFamily{decorationKeys, 1},
                 before.item, count);
        docEnd(doc, after);
    } else {
        return false;
    }
    give(place, after);
    return true;
}

bool moveItem(MenuDocument* doc, const DesignPlace& before, int delta, DesignPlace* place)
{
    DesignPlace after = before;
    std::string section;
    KeyFamily family = {pageKeys, 1};
    int index, count;
    if (before.kind == PLACE_PAGE) {
        section = mainSection;
        index = before.page;
        count = countPages(doc);
        after.page = index + delta;
    } else if (before.kind == PLACE_ENTRY) {
        section = pageSectionOf(doc, before.page);
        family = KeyFamily{entryKeys, 1};
        index = before.entry;
        count = countEntries(doc, before.page);
        after.entry = index + delta;
    } else if (before.kind == PLACE_BUTTON || before.kind == PLACE_DECORATION) {
        bool button = before.kind == PLACE_BUTTON;
        section = itemSectionOf(doc, before);
        family = button ? KeyFamily{buttonKeys, 4} : KeyFamily{decorationKeys, 1};
        index = before.item;
        count = button ? countButtons(doc, section) : countDecorations(doc, section);
        after.item = index + delta;
    } else {
        return false;
    }
    if (section.empty() || (delta != 1 && delta != -1) || index < 0 || index >= count ||
        index + delta < 0 || index + delta >= count)
        return false;
    docBegin(doc, before, 0);
    swapItems(doc, section, family, index, index + delta);
    docEnd(doc, after);
    give(place, after);
    return true;
}

// --- Fields ----------------------------------------------------------------------------

std::vector<std::string> splitFields(const std::string& value)
{
    std::vector<std::string> fields(1);
    for (char c : value) {
        if (c == ',')
            fields.push_back(std::string());
        else
            fields.back() += c;
    }
    return fields;
}

std::string joinFields(const std::vector<std::string>& fields)
{
    std::string value;
    for (size_t i = 0; i < fields.size(); i++)
        value += (i ? "," : "") + fields[i];
    return value;
}

// Field n as the menu takes it: getField, blanks and tabs trimmed.
static std::string fieldOf(const std::string& value, int n)
{
    std::string out(value.size() + 1, '\0');
    getField(&out[0], out.size(), value.c_str(), n);
    out.resize(strlen(out.c_str()));
    return out;
}

static std::string titleSection(MenuDocument* doc, const DesignPlace& place)
{
    if (place.kind == PLACE_PAGE)
        return pageSectionOf(doc, place.page);
    if (place.kind == PLACE_ENTRY)
        return entrySectionOf(doc, place.page, place.entry);
    return std::string();
}

// The key of a button's or decoration's field, and its section.
static bool itemKey(MenuDocument* doc, const DesignPlace& place, Field field,
                    std::string* section, std::string* key)
{
    bool button = place.kind == PLACE_BUTTON;
    if ((!button && place.kind != PLACE_DECORATION) || place.item < 0)
        return false;
    *section = itemSectionOf(doc, place);
    if (section->empty())
        return false;
    int count = button ? countButtons(doc, *section) : countDecorations(doc, *section);
    if (place.item >= count)
        return false;
    const char* prefix;
    switch (field) {
    case FIELD_CAPTION:
    case FIELD_COMMAND:
        prefix = button ? "Command" : 0;
        break;
    case FIELD_BUTTON_PICTURE:
        prefix = button ? "BtnBmp" : 0;
        break;
    case FIELD_COLOUR:
        prefix = button ? "BtnTextCol" : 0;
        break;
    case FIELD_POSITION:
        prefix = button ? "BtnPos" : "Bmp";
        break;
    case FIELD_DECORATION_PICTURE:
        prefix = button ? 0 : "Bmp";
        break;
    default:
        prefix = 0;
    }
    if (!prefix)
        return false;
    *key = keyName(prefix, place.item + 1);
    return true;
}

std::string fieldText(MenuDocument* doc, const DesignPlace& place, Field field)
{
    if (field == FIELD_TITLE) {
        std::string section = titleSection(doc, place);
        return section.empty() ? std::string() : docRead(doc, section.c_str(), "Title");
    }
    std::string section, key;
    if (!itemKey(doc, place, field, &section, &key))
        return std::string();
    std::string value = docRead(doc, section.c_str(), key.c_str());
    switch (field) {
    case FIELD_CAPTION:
    case FIELD_BUTTON_PICTURE:
    case FIELD_DECORATION_PICTURE:
        return fieldOf(value, 0);
    case FIELD_COMMAND:
        return fieldOf(value, 1);
    default:
        return value;
    }
}

static int mergeKey(const DesignPlace& place, Field field)
{
    unsigned key = (unsigned)field;
    key = key * 8 + (unsigned)place.kind;
    key = key * 8 + (unsigned)(place.page + 1);
    key = key * 65599u + (unsigned)(place.entry + 1);
    key = key * 1031u + (unsigned)(place.item + 1);
    return key ? (int)key : 1;
}

// The value of an item's key with one field replaced; at least fields
// fields, missing ones filled with pad.
static std::string withField(const std::string& value, int n, const std::string& text,
                             size_t fields, const char* pad)
{
    std::vector<std::string> parts = value.empty() ? std::vector<std::string>()
                                                   : splitFields(value);
    while (parts.size() < fields || parts.size() <= (size_t)n)
        parts.push_back(parts.empty() ? std::string() : pad);
    parts[(size_t)n] = text;
    return joinFields(parts);
}

// The whole value a field's text would give, and the key it goes to.
static bool newValue(MenuDocument* doc, const DesignPlace& place, Field field,
                     const std::string& text, std::string* section, std::string* key,
                     std::string* value)
{
    if (field == FIELD_TITLE) {
        *section = titleSection(doc, place);
        *key = "Title";
        *value = text;
        return !section->empty();
    }
    if (!itemKey(doc, place, field, section, key))
        return false;
    std::string old = docRead(doc, section->c_str(), key->c_str());
    switch (field) {
    case FIELD_CAPTION:
        // A caption alone is a value too; an empty one keeps the comma, or
        // the button would end the list.
        *value = withField(old, 0, text, old.find(',') != std::string::npos || text.empty() ? 2 : 1,
                           "");
        break;
    case FIELD_COMMAND:
        *value = withField(old, 1, text, 2, "");
        break;
    case FIELD_BUTTON_PICTURE:
        *value = text.empty() ? std::string() : withField(old, 0, text, 1, "");
        break;
    case FIELD_DECORATION_PICTURE:
        *value = withField(old, 0, text, 3, "0");
        break;
    default:
        *value = text;
    }
    return true;
}

bool setField(MenuDocument* doc, const DesignPlace& place, Field field, const std::string& text)
{
    std::string section, key, value;
    if (!newValue(doc, place, field, text, &section, &key, &value))
        return false;
    bool removes = value.empty() && field != FIELD_TITLE;
    docBegin(doc, place, mergeKey(place, field));
    docWrite(doc, section.c_str(), key.c_str(), removes ? 0 : value.c_str());
    docEnd(doc, place);
    return true;
}

static std::string decimal(int n)
{
    char text[16] = "";
    if (n < 0) {
        text[0] = '-';
        appendDecimal(text, sizeof text, (unsigned)-(long long)n);
    } else {
        appendDecimal(text, sizeof text, (unsigned)n);
    }
    return text;
}

bool setPosition(MenuDocument* doc, const DesignPlace& place, int x, int y, bool merge)
{
    std::string section, key;
    if (!itemKey(doc, place, FIELD_POSITION, &section, &key))
        return false;
    std::string value = docRead(doc, section.c_str(), key.c_str());
    int first = place.kind == PLACE_BUTTON ? 0 : 1;
    size_t fields = place.kind == PLACE_BUTTON ? 2 : 3;
    value = withField(value, first, decimal(x), fields, "0");
    value = withField(value, first + 1, decimal(y), fields, "0");
    docBegin(doc, place, merge ? mergeKey(place, FIELD_POSITION) : 0);
    docWrite(doc, section.c_str(), key.c_str(), value.c_str());
    docEnd(doc, place);
    return true;
}

bool setCoordinate(MenuDocument* doc, const DesignPlace& place, int axis, int value, int other)
{
    std::string section, key;
    if ((axis != 0 && axis != 1) || !itemKey(doc, place, FIELD_POSITION, &section, &key))
        return false;
    std::string written = docRead(doc, section.c_str(), key.c_str());
    if (written.empty() && place.kind == PLACE_BUTTON)
        return axis == 0 ? setPosition(doc, place, value, other, true)
                         : setPosition(doc, place, other, value, true);
    int first = place.kind == PLACE_BUTTON ? 0 : 1;
    size_t fields = place.kind == PLACE_BUTTON ? 2 : 3;
    written = withField(written, first + axis, decimal(value), fields, "0");
    docBegin(doc, place, mergeKey(place, FIELD_POSITION));
    docWrite(doc, section.c_str(), key.c_str(), written.c_str());
    docEnd(doc, place);
    return true;
}

bool setColour(MenuDocument* doc, const DesignPlace& place, unsigned colour)
{
    std::string value = decimal((int)(colour & 0xFF)) + "," + decimal((int)((colour >> 8) & 0xFF)) +
                        "," + decimal((int)((colour >> 16) & 0xFF));
    return setField(doc, place, FIELD_COLOUR, value);
}

TextProblem fieldProblem(MenuDocument* doc, const DesignPlace& place, Field field,
                         const std::string& text, int* limit)
{
    int room = 0;
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            return TEXT_CONTROL;
    bool field0 = field == FIELD_CAPTION || field == FIELD_COMMAND ||
                  field == FIELD_BUTTON_PICTURE || field == FIELD_DECORATION_PICTURE;
    if (field0 && text.find(',') != std::string::npos)
        return TEXT_COMMA;
    std::string section, key, value;
    bool known = newValue(doc, place, field, text, &section, &key, &value);
    // The slot the text lands in, and the whole value's buffer.
    size_t slot = NAME_BYTES, whole = 0;
    switch (field) {
    case FIELD_TITLE:
    case FIELD_CAPTION:
        slot = NAME_BYTES;
        whole = field == FIELD_CAPTION ? COMMAND_BYTES : 0;
        break;
    case FIELD_COMMAND:
        slot = COMMAND_BYTES;
        whole = COMMAND_BYTES;
        break;
    case FIELD_BUTTON_PICTURE:
        slot = BUTTON_FILE_BYTES;
        whole = PICTURE_VALUE_BYTES;
        break;
    case FIELD_DECORATION_PICTURE:
        slot = DECORATION_FILE_BYTES;
        whole = PICTURE_VALUE_BYTES;
        break;
    default:
        return TEXT_OK;
    }
    room = (int)slot - 1;
    if (known && whole) {
        // What the other fields leave of the value's buffer.
        int left = (int)whole - 1 - (int)(value.size() - text.size());
        if (left < room)
            room = left;
    }
    if (room < 0)
        room = 0;
    if (limit)
        *limit = room;
    return (int)text.size() > room ? TEXT_TOO_LONG : TEXT_OK;
}

// --- Findings and the reader -----------------------------------------------------------

static bool sameUtf8Name(const std::string& sjis, const std::string& utf8)
{
    std::string shown(sjis.size() * 3 + 4, '\0');
    sjisToUtf8(sjis.c_str(), &shown[0], shown.size());
    shown.resize(strlen(shown.c_str()));
    return sameKeyName(shown.c_str(), utf8.c_str());
}

// "Command12" into its prefix and number; number 0 when it has none.
static void splitKeyName(const std::string& key, std::string* prefix, int* number)
{
    size_t digits = key.size();
    while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9')
        digits--;
    *prefix = key.substr(0, digits);
    *number = digits < key.size() && key.size() - digits < 9 ? toInt(key.c_str() + digits) : 0;
}

static bool samePrefix(const std::string& a, const char* b)
{
    return sameKeyName(a.c_str(), b);
}

bool placeOfFinding(MenuDocument* doc, const char* where, DesignPlace* place)
{
    std::string text = where ? where : "";
    std::string section, key;
    if (!text.empty() && text[0] == '[') {
        size_t close = text.rfind(']');
        if (close == std::string::npos)
            return false;
        section = text.substr(1, close - 1);
        key = close + 1 < text.size() ? text.substr(close + 1) : std::string();
        size_t start = key.find_first_not_of(' ');
        key = start == std::string::npos ? std::string() : key.substr(start);
    } else {
        return false;
    }
    std::string prefix;
    int number;
    splitKeyName(key, &prefix, &number);

    if (sameKeyName(section.c_str(), mainSection)) {
        if (samePrefix(prefix, "Page") && number >= 1 && number <= countPages(doc)) {
            give(place, makePlace(PLACE_PAGE, number - 1, -1, -1));
            return true;
        }
        if (samePrefix(prefix, "Bmp") && number >= 1 &&
            number <= countDecorations(doc, mainSection)) {
            give(place, makePlace(PLACE_DECORATION, -1, -1, number - 1));
            return true;
        }
        // The main section may be a page's too; otherwise it is the start screen.
    }
    for (int p = 0, pages = countPages(doc); p < pages; p++) {
        if (!sameUtf8Name(pageSectionOf(doc, p), section))
            continue;
        int entries = countEntries(doc, p);
        if (samePrefix(prefix, "Menu") && number >= 1 && number <= entries)
            give(place, makePlace(PLACE_ENTRY, p, number - 1, -1));
        else
            give(place, makePlace(PLACE_PAGE, p, -1, -1));
        return true;
    }
    for (int p = 0, pages = countPages(doc); p < pages; p++) {
        for (int e = 0, entries = countEntries(doc, p); e < entries; e++) {
            std::string name = entrySectionOf(doc, p, e);
            if (!sameUtf8Name(name, section))
                continue;
            DesignPlace found = makePlace(PLACE_ENTRY, p, e, -1);
            bool buttonKey = false;
            for (const char* k : buttonKeys)
                buttonKey = buttonKey || samePrefix(prefix, k);
            if (buttonKey && number >= 1 && number <= countButtons(doc, name))
                found = makePlace(PLACE_BUTTON, p, e, number - 1);
            else if (samePrefix(prefix, "Bmp") && number >= 1 &&
                     number <= countDecorations(doc, name))
                found = makePlace(PLACE_DECORATION, p, e, number - 1);
            give(place, found);
            return true;
        }
    }
    if (sameKeyName(section.c_str(), mainSection)) {
        give(place, startPlace());
        return true;
    }
    return false;
}

std::vector<int> readerDifferences(MenuDocument* doc, const char* path)
{
    std::vector<int> lines;
    Scan s(doc);
    int compared = 0;
    // The keys before the first section header are no section's: skipped.
    for (int i = 1; i < s.scan.sectionCount && compared < MAX_KEYS_COMPARED; i++) {
        const ScanSection& sec = s.scan.sections[i];
        if (sec.sameAs >= 0)
            continue;
        for (int k = sec.firstKey; k < sec.firstKey + sec.keyCount; k++) {
            const ScanKey& key = s.scan.keys[k];
            // Only the first key of a name counts; comments are nobody's.
            if (key.comment || !key.name[0] || findKey(&s.scan, i, key.name) != k)
                continue;
            if (++compared > MAX_KEYS_COMPARED)
                break;
            enum { SIZE = 4096 };
            static char read[SIZE];
            readProfileString(sec.name, key.name, read, SIZE, path);
            std::string mine = cut(docRead(doc, sec.name, key.name), SIZE);
            if (mine != read)
                lines.push_back(key.line);
        }
    }
    return lines;
}

// The menu model and its load and free operations. Every list defined by
// numbered keys is counted first, allocated exactly, then read again.
#include "menu/model.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "graphics/layout.h"
#include "menu/home.h"
#include "menu/text.h"
#include "platform/platform.h"

char pageSection[PAGE_SLOTS][NAME_BYTES];
char pageTitle[PAGE_SLOTS][NAME_BYTES];

char (*entrySection)[NAME_BYTES];
char (*entryTitle)[NAME_BYTES];
int entryCount;
int subPage = -1;
int subPageCount = -1;

CommandButton* commandList;
int commandCount;

PackedDib* decorationPictures;
DecorationPos* decorationPositions;
int decorationCount;

const int defaultButtonColumns[3][2] = {{17, 449}, {141, 449}, {265, 449}};
const int defaultButtonSize[2] = {124, 32};

enum {
    COUNT_COMMAND_BYTES = 80,  // enough to tell an empty Command%d
    NUMBER_VALUE_BYTES = 30,   // BtnPos%d, BtnTextCol%d
    POS_FIELD_BYTES = 12,      // each number of BtnPos%d
    DECORATION_FIELD_BYTES = 20,
    KEY_BYTES = 24,
};

// Reads one value into a slot of size bytes. The reader may cut a value in
// the middle of a two-byte character; reading one byte more and copying it
// over cuts at a character boundary instead.
static int readValue(const char* section, const char* key, char* dest, size_t size)
{
    char value[COMMAND_BYTES + 1];
    if (size > sizeof value - 1)
        size = sizeof value - 1;
    readProfileString(section, key, value, (int)size + 1, menuFilePath);
    copyText(dest, size, value);
    return dest[0] != 0;
}

static int readNumbered(const char* section, const char* prefix, int n,
                        char* dest, size_t size)
{
    char key[KEY_BYTES];
    numberedName(key, sizeof key, prefix, (unsigned)n);
    return readValue(section, key, dest, size);
}

// Counts the numbered keys from 1 up to the first missing or empty one.
static int countKeys(const char* section, const char* prefix, size_t size)
{
    char value[COMMAND_BYTES];
    int n = 0;
    while (n < INT_MAX && readNumbered(section, prefix, n + 1, value, size))
        n++;
    return n;
}

// base + offset without overflow: positions far off the surface stay far.
static int offsetFrom(int base, int offset)
{
    long long v = (long long)base + offset;
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return (int)v;
}

static void* allocArray(int count, size_t size)
{
    if (count <= 0 || (size_t)count > (size_t)-1 / size)
        return 0;
    return malloc((size_t)count * size);
}

// Two parallel arrays of count elements, or neither: a list that cannot be
// held whole is held empty.
static int allocPair(int count, void** first, size_t firstSize, void** second,
                     size_t secondSize)
{
    *first = allocArray(count, firstSize);
    *second = allocArray(count, secondSize);
    if (*first && *second)
        return count;
    free(*first);
    free(*second);
    *first = 0;
    *second = 0;
    return 0;
}

void loadPages(void)
{
    for (int t = CONTROL_FIRST_TAB; t < CONTROL_FIRST_TAB + PAGE_SLOTS; t++) {
        controlDisabled[t] = 1;
        controlPressed[t] = 0;
    }
    memset(pageSection, 0, sizeof pageSection);
    memset(pageTitle, 0, sizeof pageTitle);
    for (int n = 1; n <= PAGE_SLOTS; n++) {
        char section[NAME_BYTES];
        if (!readNumbered("MENU", "Page", n, section, sizeof section))
            break;
        memcpy(pageSection[n - 1], section, sizeof section);
        readValue(section, "Title", pageTitle[n - 1], NAME_BYTES);
        controlDisabled[CONTROL_FIRST_TAB - 1 + n] = 0;
    }
}

void loadEntries(int page)
{
    for (int s = CONTROL_FIRST_SLOT; s < CONTROL_COUNT; s++) {
        controlDisabled[s] = 1;
        controlPressed[s] = 0;
    }
    if (page < 0 || page >= PAGE_SLOTS)
        page = 0;
    const char* section = pageSection[page];
    void* sections;
    void* titles;
    int count = allocPair(countKeys(section, "Menu", NAME_BYTES), &sections, NAME_BYTES,
                          &titles, NAME_BYTES);
    entrySection = (char(*)[NAME_BYTES])sections;
    entryTitle = (char(*)[NAME_BYTES])titles;
    entryCount = count;
    for (int k = 0; k < count; k++) {
        readNumbered(section, "Menu", k + 1, entrySection[k], NAME_BYTES);
        entryTitle[k][0] = 0;
        readValue(entrySection[k], "Title", entryTitle[k], NAME_BYTES);
        if (k < 5)
            controlDisabled[CONTROL_FIRST_SLOT + k] = 0;
    }
    controlDisabled[CONTROL_PREVIOUS] = 1;
    controlDisabled[CONTROL_NEXT] = entryCount <= 5 ? 1 : 0;
    subPage = 0;
    // (entryCount + 4) / 5, without the sum overflowing near INT_MAX.
    subPageCount = entryCount / 5 + (entryCount % 5 != 0);
}

void freeEntries(void)
{
    entryCount = 0;
    subPage = -1;
    subPageCount = -1;
    free(entrySection);
    free(entryTitle);
    entrySection = 0;
    entryTitle = 0;
}

void defaultButtonPlace(int i, int n, int* x, int* y)
{
    int column = i % 3;
    int row = i / 3;
    int lastRow = (n - 1) / 3;
    int x0 = defaultButtonColumns[column][0];
    // A last row that is not full is filled from the right.
    if (row == lastRow && n % 3 == 1)
        x0 = defaultButtonColumns[2][0];
    else if (row == lastRow && n % 3 == 2)
        x0 = defaultButtonColumns[column + 1][0];
    long long y0 = (long long)defaultButtonColumns[0][1] +
                   (long long)defaultButtonSize[1] * (row - lastRow);
    *x = x0;
    *y = y0 < INT_MIN ? INT_MIN : (int)y0;
}

// r,g,b as 0x00BBGGRR, each number taken modulo 256.
static unsigned colourOf(const char* value)
{
    char field[POS_FIELD_BYTES];
    unsigned colour = 0;
    for (int f = 0; f < 3; f++) {
        getField(field, sizeof field, value, f);
        colour |= ((unsigned)toInt(field) & 0xFF) << (8 * f);
    }
    return colour;
}

// A picture file named relative to homeDir, or absolute.
static PackedDib loadPicture(const char* name)
{
    char path[PATH_BYTES];
    copyText(path, sizeof path, homeDir);
    joinPath(path, sizeof path, name);
    return loadDibFile(path);
}

void loadCommands(const char* section)
{
    int count = countKeys(section, "Command", COUNT_COMMAND_BYTES);
    commandList = (CommandButton*)allocArray(count, sizeof(CommandButton));
    commandCount = commandList ? count : 0;

    for (int i = 0; i < commandCount; i++) {
        CommandButton* b = &commandList[i];
        char value[COMMAND_BYTES];
        readNumbered(section, "Command", i + 1, value, sizeof value);
        getField(b->caption, sizeof b->caption, value, 0);
        getField(b->commandLine, sizeof b->commandLine, value, 1);
        b->picture = defaultButtonPicture;
        b->width = defaultButtonSize[0];
        b->height = defaultButtonSize[1];
        b->textColour = 0;
        defaultButtonPlace(i, commandCount, &b->x, &b->y);
    }

    for (int n = 1; n <= commandCount; n++) {
        CommandButton* b = &commandList[n - 1];
        char value[PICTURE_VALUE_BYTES];
        char field[BUTTON_FILE_BYTES];
        if (readNumbered(section, "BtnPos", n, value, NUMBER_VALUE_BYTES)) {
            getField(field, POS_FIELD_BYTES, value, 0);
            b->x = offsetFrom(CONTENT_LEFT, toInt(field));
            getField(field, POS_FIELD_BYTES, value, 1);
            b->y = offsetFrom(CONTENT_TOP, toInt(field));
        }
        if (readNumbered(section, "BtnBmp", n, value, PICTURE_VALUE_BYTES)) {
            getField(field, sizeof field, value, 0);
            b->picture = loadPicture(field);
            if (b->picture) {
                b->width = (int)(dibWidth(b->picture) / 2);
                b->height = (int)dibHeight(b->picture);
            }
        }
        if (readNumbered(section, "BtnTextCol", n, value, NUMBER_VALUE_BYTES))
            b->textColour = colourOf(value);
    }
}

void freeCommands(void)
{
    if (!commandList)
        return;
    for (int i = 0; i < commandCount; i++) {
        PackedDib picture = commandList[i].picture;
        if (picture && picture != defaultButtonPicture)
            freeDibFile(picture);
    }
    free(commandList);
    commandList = 0;
    commandCount = 0;
}

void loadDecorations(const char* section)
{
    void* pictures;
    void* positions;
    int count = allocPair(countKeys(section, "Bmp", PICTURE_VALUE_BYTES), &pictures,
                          sizeof(PackedDib), &positions, sizeof(DecorationPos));
    decorationPictures = (PackedDib*)pictures;
    decorationPositions = (DecorationPos*)positions;
    decorationCount = count;
    for (int k = 0; k < count; k++) {
        char value[PICTURE_VALUE_BYTES];
        char field[DECORATION_FILE_BYTES];
        readNumbered(section, "Bmp", k + 1, value, sizeof value);
        getField(field, sizeof field, value, 0);
        decorationPictures[k] = loadPicture(field);
        getField(field, DECORATION_FIELD_BYTES, value, 1);
        decorationPositions[k].x = field[0] ? offsetFrom(CONTENT_LEFT, toInt(field)) : CONTENT_LEFT;
        getField(field, DECORATION_FIELD_BYTES, value, 2);
        decorationPositions[k].y = field[0] ? offsetFrom(CONTENT_TOP, toInt(field)) : CONTENT_TOP;
    }
}

void freeDecorations(void)
{
    for (int k = 0; k < decorationCount; k++)
        if (decorationPictures[k])
            freeDibFile(decorationPictures[k]);
    free(decorationPictures);
    free(decorationPositions);
    decorationPictures = 0;
    decorationPositions = 0;
    decorationCount = 0;
}

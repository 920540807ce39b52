// Profile (INI) reading and rewriting over the bytes of a whole file, with
// the rules of the Win32 reader (see ini.h). Shift-JIS aware: a lead byte
// takes the next byte with it, so a second byte never counts as ']' or '='.
#include "menu/ini.h"

#include "menu/text.h"

#include <stdlib.h>

enum LineKind { LINE_BLANK, LINE_SECTION, LINE_KEY };

struct Line {
    size_t begin;     // first byte of the line
    size_t textEnd;   // end of its text, where the line break starts
    size_t next;      // first byte after its line break
    int kind;         // LineKind
    size_t name;      // section or key name, blanks trimmed
    size_t nameEnd;
    size_t value;     // key value after '=', blanks trimmed
    size_t valueEnd;
    bool hasValue;    // a key line with '='
};

// A section: its header line and the lines up to the next header. The keys
// before the first header form a section with no header and the name "".
struct Region {
    size_t headerBegin;  // = bodyBegin when there is no header
    size_t headerBreak;  // end of the header line's text
    size_t bodyBegin;
    size_t end;          // the next header line, or the end of the data
    size_t name;
    size_t nameEnd;
};

static const unsigned char utf8Mark[3] = {0xEF, 0xBB, 0xBF};

// Blanks as the Win32 reader trims them: tab to CR, ^Z (DOS end of file,
// found on old discs) and space. None of them is ever a second byte.
static bool isProfileBlank(char c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' ';
}

// Next character boundary after at, never beyond end. A lead byte followed
// by NUL stands alone, as in the Win32 code-page conversion.
static size_t nextChar(const char* d, size_t at, size_t end)
{
    if (isLeadByte((unsigned char)d[at]) && at + 1 < end && d[at + 1] != 0)
        return at + 2;
    return at + 1;
}

static void trim(const char* d, size_t* begin, size_t* end)
{
    size_t a = *begin;
    while (a < *end && isProfileBlank(d[a]))
        a++;
    size_t lastEnd = a;
    for (size_t at = a; at < *end; ) {
        size_t next = nextChar(d, at, *end);
        if (!isProfileBlank(d[at]))
            lastEnd = next;
        at = next;
    }
    *begin = a;
    *end = lastEnd;
}

// A NUL byte ends a name or value: the Win32 reader keeps them as C strings.
static size_t cutAtNul(const char* d, size_t begin, size_t end)
{
    for (size_t at = begin; at < end; at++)
        if (d[at] == 0)
            return at;
    return end;
}

static void parseLine(const char* d, size_t size, size_t pos, Line* line)
{
    line->begin = pos;
    size_t at = pos;
    while (at < size && d[at] != '\r' && d[at] != '\n')
        at = nextChar(d, at, size);
    line->textEnd = at;
    if (at < size && d[at] == '\r')
        at++;
    if (at < size && d[at] == '\n')
        at++;
    line->next = at;
    line->hasValue = false;
    line->value = line->valueEnd = 0;

    size_t s = pos, e = line->textEnd;
    trim(d, &s, &e);
    line->name = s;
    line->nameEnd = e;
    if (s == e) {
        line->kind = LINE_BLANK;
        return;
    }
    if (d[s] == '[') {
        size_t close = e;
        for (size_t c = s + 1; c < e; c = nextChar(d, c, e))
            if (d[c] == ']')
                close = c;
        if (close < e) {
            line->kind = LINE_SECTION;
            line->name = s + 1;
            line->nameEnd = close;
            trim(d, &line->name, &line->nameEnd);
            return;
        }
    }
    line->kind = LINE_KEY;
    for (size_t c = s; c < e; c = nextChar(d, c, e)) {
        if (d[c] == '=') {
            line->nameEnd = c;
            trim(d, &line->name, &line->nameEnd);
            line->value = c + 1;
            line->valueEnd = e;
            trim(d, &line->value, &line->valueEnd);
            line->hasValue = true;
            return;
        }
    }
}

static char foldCase(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

// Names compared as the Win32 reader does: ASCII letters without regard to
// case, second bytes of two-byte characters exactly. The name in the data
// is already cut at a NUL.
static bool sameName(const char* d, size_t begin, size_t end,
                     const char* q, size_t qBegin, size_t qEnd)
{
    if (end - begin != qEnd - qBegin)
        return false;
    size_t i = begin, j = qBegin;
    while (i < end && j < qEnd) {
        size_t next = nextChar(d, i, end);
        if (next - i == 2) {
            if (j + 1 >= qEnd || d[i] != q[j] || d[i + 1] != q[j + 1])
                return false;
            j += 2;
        } else {
            if (foldCase(d[i]) != foldCase(q[j]))
                return false;
            j++;
        }
        i = next;
    }
    return i == end && j == qEnd;
}

// A hash of a name that equal names share (ASCII case folded, second
// bytes as they are), so that most keys of a long list are passed over
// without comparing them.
static unsigned nameHash(const char* d, size_t begin, size_t end)
{
    unsigned hash = 2166136261u;
    for (size_t i = begin; i < end; ) {
        size_t next = nextChar(d, i, end);
        hash = (hash ^ (unsigned char)foldCase(d[i])) * 16777619u;
        if (next - i == 2)
            hash = (hash ^ (unsigned char)d[i + 1]) * 16777619u;
        i = next;
    }
    return hash;
}

struct Query {
    const char* text;
    size_t begin, end;  // blanks trimmed, as the Win32 reader does
};

static Query makeQuery(const char* text)
{
    Query q = {text, 0, 0};
    while (text[q.end])
        q.end++;
    trim(text, &q.begin, &q.end);
    return q;
}

static size_t dataStart(const char* d, size_t size)
{
    if (size >= 3 && (unsigned char)d[0] == utf8Mark[0] &&
        (unsigned char)d[1] == utf8Mark[1] && (unsigned char)d[2] == utf8Mark[2])
        return 3;
    return 0;
}

// The section starting at pos: with header, pos is its header line; without,
// the keys from pos up to the first header.
static void readRegion(const char* d, size_t size, size_t pos, bool header,
                       Region* r)
{
    Line line;
    size_t at = pos;
    r->headerBegin = pos;
    r->headerBreak = pos;
    r->name = r->nameEnd = pos;
    if (header) {
        parseLine(d, size, pos, &line);
        r->headerBreak = line.textEnd;
        r->name = line.name;
        r->nameEnd = cutAtNul(d, line.name, line.nameEnd);
        at = line.next;
    }
    r->bodyBegin = at;
    while (at < size) {
        parseLine(d, size, at, &line);
        if (line.kind == LINE_SECTION)
            break;
        at = line.next;
    }
    r->end = at;
}

// The first section named like q at or after the section r (r is advanced
// to it); false when there is none.
static bool findRegion(const char* d, size_t size, const Query& q, Region* r)
{
    for (;;) {
        if (sameName(d, r->name, r->nameEnd, q.text, q.begin, q.end))
            return true;
        if (r->end >= size)
            return false;
        readRegion(d, size, r->end, true, r);
    }
}

static void firstRegion(const char* d, size_t size, Region* r)
{
    readRegion(d, size, dataStart(d, size), false, r);
}

static bool findKey(const char* d, const Region& r, const Query& key, Line* found)
{
    for (size_t at = r.bodyBegin; at < r.end; at = found->next) {
        parseLine(d, r.end, at, found);
        if (found->kind == LINE_KEY &&
            sameName(d, found->name, cutAtNul(d, found->name, found->nameEnd), key.text,
                     key.begin, key.end))
            return true;
    }
    return false;
}

// Longest prefix of count bytes, at most limit, ending on a character
// boundary.
static size_t fitBytes(const char* text, size_t count, size_t limit)
{
    size_t at = 0;
    while (at < count) {
        size_t next = nextChar(text, at, count);
        if (next > limit)
            break;
        at = next;
    }
    return at;
}

// --- Lookups --------------------------------------------------------------

struct IndexKey {
    size_t name, nameEnd;    // cut at a NUL
    unsigned hash;           // nameHash
    size_t value, valueEnd;  // quotes taken off, cut at a NUL
    bool hasValue;
};

struct IndexSection {
    size_t name, nameEnd;      // cut at a NUL
    unsigned hash;             // nameHash
    size_t firstKey, keyEnd;   // its keys in IniIndex::keys
};

struct IniIndex {
    const char* data;
    IndexSection* sections;  // in file order; the first is the one before any header
    size_t sectionCount;
    IndexKey* keys;          // in file order
    size_t keyCount;
};

// Grows a malloc'ed array of count items so that one more fits.
static bool makeRoom(void** items, size_t count, size_t* capacity, size_t itemSize)
{
    if (count < *capacity)
        return true;
    size_t more = *capacity ? *capacity * 2 : 16;
    if (more > (size_t)-1 / itemSize)
        return false;
    void* grown = realloc(*items, more * itemSize);
    if (!grown)
        return false;
    *items = grown;
    *capacity = more;
    return true;
}

IniIndex* iniIndexCreate(const char* data, size_t dataSize)
{
    IniIndex* index = (IniIndex*)calloc(1, sizeof *index);
    if (!index)
        return 0;
    if (!data)
        dataSize = 0;
    index->data = data;
    size_t sectionRoom = 0, keyRoom = 0;
    size_t at = dataStart(data, dataSize);
    if (!makeRoom((void**)&index->sections, 0, &sectionRoom, sizeof(IndexSection))) {
        iniIndexFree(index);
        return 0;
    }
    IndexSection first = {at, at, nameHash(data, at, at), 0, 0};
    index->sections[0] = first;
    index->sectionCount = 1;
    while (at < dataSize) {
        Line line;
        parseLine(data, dataSize, at, &line);
        at = line.next;
        if (line.kind == LINE_SECTION) {
            if (!makeRoom((void**)&index->sections, index->sectionCount, &sectionRoom,
                          sizeof(IndexSection))) {
                iniIndexFree(index);
                return 0;
            }
            size_t nameEnd = cutAtNul(data, line.name, line.nameEnd);
            IndexSection section = {line.name, nameEnd, nameHash(data, line.name, nameEnd),
                                    index->keyCount, index->keyCount};
            index->sections[index->sectionCount++] = section;
        } else if (line.kind == LINE_KEY) {
            if (!makeRoom((void**)&index->keys, index->keyCount, &keyRoom, sizeof(IndexKey))) {
                iniIndexFree(index);
                return 0;
            }
            size_t nameEnd = cutAtNul(data, line.name, line.nameEnd);
            IndexKey key = {line.name, nameEnd, nameHash(data, line.name, nameEnd), 0, 0,
                            line.hasValue};
            if (line.hasValue) {
                key.value = line.value;
                key.valueEnd = cutAtNul(data, line.value, line.valueEnd);
                // One pair of matching quotation marks comes off.
                if (key.valueEnd - key.value >= 2 &&
                    (data[key.value] == '"' || data[key.value] == '\'') &&
                    data[key.valueEnd - 1] == data[key.value]) {
                    key.value++;
                    key.valueEnd--;
                }
            }
            index->keys[index->keyCount++] = key;
            index->sections[index->sectionCount - 1].keyEnd = index->keyCount;
        }
    }
    return index;
}

void iniIndexFree(IniIndex* index)
{
    if (!index)
        return;
    free(index->sections);
    free(index->keys);
    free(index);
}

int iniIndexRead(const IniIndex* index, const char* section, const char* key,
                 char* buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = 0;
    if (!index || !section || !key)
        return 0;
    const char* d = index->data;
    Query s = makeQuery(section);
    Query k = makeQuery(key);
    unsigned sHash = nameHash(s.text, s.begin, s.end);
    unsigned kHash = nameHash(k.text, k.begin, k.end);
    // Only the first section of the name counts, even when a later one of
    // the same name holds the key.
    for (size_t i = 0; i < index->sectionCount; i++) {
        const IndexSection& sec = index->sections[i];
        if (sec.hash != sHash || !sameName(d, sec.name, sec.nameEnd, s.text, s.begin, s.end))
            continue;
        for (size_t j = sec.firstKey; j < sec.keyEnd; j++) {
            const IndexKey& found = index->keys[j];
            if (found.hash != kHash ||
                !sameName(d, found.name, found.nameEnd, k.text, k.begin, k.end))
                continue;
            if (!found.hasValue)
                return 0;
            size_t n = fitBytes(d + found.value, found.valueEnd - found.value,
                                (size_t)size - 1);
            for (size_t b = 0; b < n; b++)
                buffer[b] = d[found.value + b];
            buffer[n] = 0;
            return (int)n;
        }
        return 0;
    }
    return 0;
}

int iniReadString(const char* data, size_t dataSize, const char* section,
                  const char* key, char* buffer, int size)
{
    if (buffer && size > 0)
        buffer[0] = 0;
    IniIndex* index = iniIndexCreate(data, dataSize);
    int n = iniIndexRead(index, section, key, buffer, size);
    iniIndexFree(index);
    return n;
}

// --- Rewriting ------------------------------------------------------------

// Output that counts everything but writes only what fits.
struct Output {
    char* out;
    size_t size;
    size_t length;
};

static void put(Output* o, const char* text, size_t count)
{
    for (size_t i = 0; i < count; i++, o->length++)
        if (o->length < o->size)
            o->out[o->length] = text[i];
}

static void putRange(Output* o, const char* d, size_t begin, size_t end)
{
    put(o, d + begin, end - begin);
}

// The line break the data already uses, so that new lines match it.
static const char* lineBreakOf(const char* d, size_t size)
{
    for (size_t at = 0; at < size; at++) {
        if (d[at] == '\n')
            return "\n";
        if (d[at] == '\r')
            return at + 1 < size && d[at + 1] == '\n' ? "\r\n" : "\r";
    }
    return "\r\n";
}

static size_t textLength(const char* text)
{
    size_t n = 0;
    while (text[n])
        n++;
    return n;
}

// Length of text without a lone lead byte at its end: written before a
// line break, '=' or ']', such a byte would take it as its second byte and
// join or break the line.
static size_t wholeChars(const char* text, size_t begin, size_t end)
{
    size_t last = begin;
    for (size_t at = begin; at < end; at = nextChar(text, at, end))
        last = at;
    if (end > begin && last == end - 1 && isLeadByte((unsigned char)text[last]))
        return end - 1;
    return end;
}

static void putKeyLine(Output* o, const Query& key, const char* value,
                       size_t valueLength)
{
    putRange(o, key.text, key.begin, wholeChars(key.text, key.begin, key.end));
    put(o, "=", 1);
    put(o, value, valueLength);
}

// The last line of the data (begin = the end of the data when it is empty).
static void lastLine(const char* d, size_t size, Line* line)
{
    size_t at = dataStart(d, size);
    parseLine(d, size, at, line);
    while (line->next < size)
        parseLine(d, size, line->next, line);
}

// Starts a new line after a last line that has no line break of its own; a
// blank first when that line ends in a lone lead byte, so that the byte
// takes the blank and not the break.
static void breakAfter(Output* o, const char* d, const Line& line,
                       const char* lineBreak, size_t breakLength)
{
    if (line.next > line.textEnd)
        return;
    if (wholeChars(d, line.begin, line.textEnd) < line.textEnd)
        put(o, " ", 1);
    put(o, lineBreak, breakLength);
}

static size_t deleteSection(const char* d, size_t size, const Query& s, Output* o)
{
    Region r;
    firstRegion(d, size, &r);
    if (findRegion(d, size, s, &r)) {
        putRange(o, d, 0, r.headerBegin);
        putRange(o, d, r.end, size);
    } else {
        putRange(o, d, 0, size);
    }
    return o->length;
}

// The key goes from the first of the sections so named that holds it.
static size_t deleteKey(const char* d, size_t size, const Query& s,
                        const Query& k, Output* o)
{
    Region r;
    Line line;
    firstRegion(d, size, &r);
    while (findRegion(d, size, s, &r)) {
        if (findKey(d, r, k, &line)) {
            putRange(o, d, 0, line.begin);
            putRange(o, d, line.next, size);
            return o->length;
        }
        if (r.end >= size)
            break;
        readRegion(d, size, r.end, true, &r);
    }
    putRange(o, d, 0, size);
    return o->length;
}

static size_t setKey(const char* d, size_t size, const Query& s, const Query& k,
                     const char* value, const char* lineBreak, Output* o)
{
    // Blanks around the value are dropped as the Win32 writer leaves them
    // once it has read the file back; a line break would split the line, so
    // the value ends before one. Both are found as the reader finds them: the
    // second byte of a character is neither, so what is written reads back.
    while (isProfileBlank(*value))
        value++;
    size_t valueEnd = textLength(value);
    size_t valueLength = 0;
    while (valueLength < valueEnd && value[valueLength] != '\r' &&
           value[valueLength] != '\n')
        valueLength = nextChar(value, valueLength, valueEnd);
    for (;;) {
        size_t valueBegin = 0;
        trim(value, &valueBegin, &valueLength);
        size_t whole = wholeChars(value, 0, valueLength);
        if (whole == valueLength)
            break;
        valueLength = whole;
    }
    if (!lineBreak)
        lineBreak = lineBreakOf(d, size);
    size_t breakLength = textLength(lineBreak);

    Region r;
    Line line;
    firstRegion(d, size, &r);
    if (!findRegion(d, size, s, &r)) {
        putRange(o, d, 0, size);
        lastLine(d, size, &line);
        if (line.begin < size)
            breakAfter(o, d, line, lineBreak, breakLength);
        put(o, "[", 1);
        putRange(o, s.text, s.begin, wholeChars(s.text, s.begin, s.end));
        put(o, "]", 1);
        put(o, lineBreak, breakLength);
        putKeyLine(o, k, value, valueLength);
        put(o, lineBreak, breakLength);
        return o->length;
    }
    if (findKey(d, r, k, &line)) {
        size_t oldEnd = cutAtNul(d, line.value, line.valueEnd);
        bool same = line.hasValue && oldEnd - line.value == valueLength;
        for (size_t i = 0; same && i < valueLength; i++)
            same = d[line.value + i] == value[i];
        if (same) {
            putRange(o, d, 0, size);
            return o->length;
        }
        // The key keeps the name it has in the file.
        putRange(o, d, 0, line.begin);
        putRange(o, d, line.name, cutAtNul(d, line.name, line.nameEnd));
        put(o, "=", 1);
        put(o, value, valueLength);
        putRange(o, d, line.textEnd, size);
        return o->length;
    }
    // A new key follows the last line of the section that is not blank (or
    // its header); a line break goes first when that line ends the data
    // without one.
    size_t insertAt = r.bodyBegin;
    Line last;
    bool hasLast = r.headerBegin < r.bodyBegin;
    if (hasLast)
        parseLine(d, size, r.headerBegin, &last);
    for (size_t at = r.bodyBegin; at < r.end; at = line.next) {
        parseLine(d, r.end, at, &line);
        if (line.kind != LINE_BLANK) {
            insertAt = line.next;
            last = line;
            hasLast = true;
        }
    }
    putRange(o, d, 0, insertAt);
    if (hasLast)
        breakAfter(o, d, last, lineBreak, breakLength);
    putKeyLine(o, k, value, valueLength);
    put(o, lineBreak, breakLength);
    putRange(o, d, insertAt, size);
    return o->length;
}

size_t iniRewrite(const char* data, size_t dataSize, const char* section,
                  const char* key, const char* value, char* out,
                  size_t outSize)
{
    return iniRewriteBreak(data, dataSize, section, key, value, 0, out, outSize);
}

size_t iniRewriteBreak(const char* data, size_t dataSize, const char* section,
                       const char* key, const char* value, const char* lineBreak,
                       char* out, size_t outSize)
{
    Output o = {out, out ? outSize : 0, 0};
    if (!data)
        dataSize = 0;
    if (!section) {
        putRange(&o, data, 0, dataSize);
        return o.length;
    }
    Query s = makeQuery(section);
    if (!key)
        return deleteSection(data, dataSize, s, &o);
    Query k = makeQuery(key);
    if (!value)
        return deleteKey(data, dataSize, s, k, &o);
    return setKey(data, dataSize, s, k, value, lineBreak, &o);
}

size_t iniRenameKey(const char* data, size_t dataSize, const char* section,
                    const char* key, const char* newKey, char* out,
                    size_t outSize)
{
    Output o = {out, out ? outSize : 0, 0};
    if (!data)
        dataSize = 0;
    if (section && key && newKey) {
        Query s = makeQuery(section);
        Query k = makeQuery(key);
        Query n = makeQuery(newKey);
        Region r;
        Line line;
        firstRegion(data, dataSize, &r);
        while (findRegion(data, dataSize, s, &r)) {
            if (findKey(data, r, k, &line)) {
                putRange(&o, data, 0, line.name);
                putRange(&o, n.text, n.begin, wholeChars(n.text, n.begin, n.end));
                putRange(&o, data, line.nameEnd, dataSize);
                return o.length;
            }
            if (r.end >= dataSize)
                break;
            readRegion(data, dataSize, r.end, true, &r);
        }
    }
    putRange(&o, data, 0, dataSize);
    return o.length;
}

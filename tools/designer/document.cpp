// The document's bytes, their rewriting through menu/ini.h, and undo.
#include "tools/designer/document.h"

#include "menu/ini.h"

DesignPlace startPlace(void)
{
    DesignPlace place = {PLACE_START, -1, -1, -1};
    return place;
}

static void dropIndex(MenuDocument* doc)
{
    iniIndexFree(doc->index);
    doc->index = 0;
}

void docOpen(MenuDocument* doc, const char* bytes, size_t size)
{
    dropIndex(doc);
    doc->data.assign(bytes, size);
    doc->saved = doc->data;
    doc->undo.clear();
    doc->redo.clear();
    doc->depth = 0;
    doc->start.clear();
    doc->startPlace = startPlace();
    doc->merge = 0;
}

void docClose(MenuDocument* doc)
{
    dropIndex(doc);
    docOpen(doc, "", 0);
}

bool docChanged(const MenuDocument* doc)
{
    return doc->data != doc->saved;
}

void docMarkSaved(MenuDocument* doc)
{
    doc->saved = doc->data;
}

void docReload(MenuDocument* doc, const char* bytes, size_t size, const DesignPlace& place)
{
    docBegin(doc, place, 0);
    doc->data.assign(bytes, size);
    dropIndex(doc);
    docEnd(doc, place);
    doc->saved = doc->data;
}

// Puts a step's bytes back (undo) or in again (redo).
static void applyStep(MenuDocument* doc, const DocStep& step, bool forward)
{
    const std::string& from = forward ? step.removed : step.inserted;
    const std::string& to = forward ? step.inserted : step.removed;
    doc->data.replace(step.at, from.size(), to);
    dropIndex(doc);
}

void docBegin(MenuDocument* doc, const DesignPlace& place, int merge)
{
    if (doc->depth++ > 0)
        return;
    doc->start = doc->data;
    doc->startPlace = place;
    doc->merge = merge;
    // Typing on in the same field: the last step is taken back into this
    // one, which then spans both.
    if (merge && doc->redo.empty() && !doc->undo.empty() && doc->undo.back().merge == merge &&
        doc->data != doc->saved) {
        DocStep last = doc->undo.back();
        doc->undo.pop_back();
        doc->start.replace(last.at, last.inserted.size(), last.removed);
        doc->startPlace = last.before;
    }
}

void docEnd(MenuDocument* doc, const DesignPlace& place)
{
    if (doc->depth <= 0 || --doc->depth > 0)
        return;
    const std::string& a = doc->start;
    const std::string& b = doc->data;
    size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        prefix++;
    size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        suffix++;
    if (a.size() == b.size() && prefix == a.size()) {
        doc->start.clear();
        return;  // nothing changed (or typing came back to where it began)
    }
    DocStep step;
    step.at = prefix;
    step.removed = a.substr(prefix, a.size() - prefix - suffix);
    step.inserted = b.substr(prefix, b.size() - prefix - suffix);
    step.before = doc->startPlace;
    step.after = place;
    step.merge = doc->merge;
    step.label = doc->label;
    doc->undo.push_back(step);
    if (doc->undo.size() > UNDO_STEPS)
        doc->undo.erase(doc->undo.begin());
    doc->redo.clear();
    doc->start.clear();
}

static IniIndex* indexOf(MenuDocument* doc)
{
    if (!doc->index)
        doc->index = iniIndexCreate(doc->data.data(), doc->data.size());
    return doc->index;
}

std::string docRead(MenuDocument* doc, const char* section, const char* key)
{
    IniIndex* index = indexOf(doc);
    if (!index)
        return std::string();
    // Most values are short; a buffer that came back full is read again
    // with room for the whole file.
    char small[512];
    int n = iniIndexRead(index, section, key, small, sizeof small);
    if (n < (int)sizeof small - 2)
        return std::string(small, (size_t)n);
    std::string whole(doc->data.size() + 1, '\0');
    n = iniIndexRead(index, section, key, &whole[0], (int)whole.size());
    whole.resize((size_t)n);
    return whole;
}

// Windows' profile reader wants CR LF: new lines end so whatever the
// file's other lines do.
const char newLineBreak[] = "\r\n";

// Runs one of the profile rewriters of menu/ini.h over the data: they
// tell the length they need, so a second call has room when the first had
// not.
static void rewrite(MenuDocument* doc, const char* section, const char* key, const char* value,
                    bool rename)
{
    size_t extra = 64;
    for (const char* p : {section, key, value})
        for (; p && *p; p++)
            extra++;
    std::string out(doc->data.size() + extra, '\0');
    for (int pass = 0; pass < 2; pass++) {
        size_t n = rename ? iniRenameKey(doc->data.data(), doc->data.size(), section, key, value,
                                         &out[0], out.size())
                          : iniRewriteBreak(doc->data.data(), doc->data.size(), section, key,
                                            value, newLineBreak, &out[0], out.size());
        bool fitted = n <= out.size();
        out.resize(n);
        if (fitted)
            break;
    }
    if (out != doc->data) {
        doc->data.swap(out);
        dropIndex(doc);
    }
}

void docWrite(MenuDocument* doc, const char* section, const char* key, const char* value)
{
    if (section && key)
        rewrite(doc, section, key, value, false);
}

void docDeleteSection(MenuDocument* doc, const char* section)
{
    if (section)
        rewrite(doc, section, 0, 0, false);
}

void docRename(MenuDocument* doc, const char* section, const char* key, const char* newKey)
{
    if (section && key && newKey)
        rewrite(doc, section, key, newKey, true);
}

bool docUndo(MenuDocument* doc, DesignPlace* place)
{
    if (doc->undo.empty() || doc->depth > 0)
        return false;
    DocStep step = doc->undo.back();
    doc->undo.pop_back();
    applyStep(doc, step, false);
    if (place)
        *place = step.before;
    doc->redo.push_back(step);
    return true;
}

bool docRedo(MenuDocument* doc, DesignPlace* place)
{
    if (doc->redo.empty() || doc->depth > 0)
        return false;
    DocStep step = doc->redo.back();
    doc->redo.pop_back();
    applyStep(doc, step, true);
    if (place)
        *place = step.after;
    doc->undo.push_back(step);
    return true;
}

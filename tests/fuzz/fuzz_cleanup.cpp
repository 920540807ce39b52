// The exit clean-up against a made-up win.ini and file system: this file
// is the platform seam for the clean-up (profile and directory functions),
// so nothing real is ever searched or removed.
//
// Input: win.ini, a NUL byte, then the file system, one path a line. A path
// that ends in a separator is a directory; any other is a file; folders on
// the way exist. A leading '!' makes the entry read-only (it cannot be
// removed), a leading '?' makes a directory unreadable (no search starts).
//
// Paths are resolved as Windows resolves them: either separator, case
// ignored (ASCII, never a second byte), "." and ".." followed, trailing dots
// and blanks dropped, relative names from Q:\MENU (the menu's folder), a
// bare drive meaning its current directory (Q:\MENU, or another drive's
// root). What must hold:
//   - a file is removed only straight inside a listed directory, and a
//     directory only when listed; never a root or a file in one;
//   - the rewritten list holds, in order, every listed directory that is
//     still there (it is tried again at the next exit) and whose search
//     pattern fits the 255 bytes of the work path, and nothing else than
//     what was listed;
//   - the rest of win.ini is left as it was.
#include <stddef.h>
#include <stdint.h>
#include <map>
#include <string>
#include <vector>

#include "launch/cleanup.h"
#include "menu/ini.h"
#include "menu/text.h"
#include "platform/platform.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

struct Node {
    bool directory;
    bool readOnly;
    bool unreadable;
    std::string name;    // the last component as written
    std::string parent;  // resolved key of the folder it is in
};

struct Resolved {
    std::string root;                // "Q:" or "\\SRV\SHARE"
    std::vector<std::string> names;  // components below it, as written
    std::string key;                 // e.g. "Q:\MENU\A.TXT\"; a root's ends in '\'
    std::string parent;              // key of the folder it is in
    std::string name;                // last component as written
    int depth;                       // components below the root
};

std::string profile;                  // win.ini as the clean-up leaves it
std::map<std::string, Node> files;    // the file system, by resolved key
std::vector<std::string> listed;      // values of DelDir%d read, in order
std::vector<std::string> listedKeys;  // the same, resolved

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 0x20) : c;
}

// Components of path from at, split at single-byte separators.
std::vector<std::string> components(const std::string& path, size_t at)
{
    std::vector<std::string> parts;
    std::string part;
    while (at < path.size()) {
        char c = path[at];
        if (isLeadByte((unsigned char)c) && at + 1 < path.size()) {
            part += path.substr(at, 2);
            at += 2;
            continue;
        }
        if (isSeparator(c)) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
        at++;
    }
    parts.push_back(part);
    return parts;
}

std::string upperName(const std::string& name)
{
    std::string out;
    for (size_t i = 0; i < name.size(); i++) {
        if (isLeadByte((unsigned char)name[i]) && i + 1 < name.size()) {
            out += name.substr(i, 2);
            i++;
        } else {
            out += upper(name[i]);
        }
    }
    return out;
}

Resolved resolvedFrom(const std::string& root, const std::vector<std::string>& names)
{
    Resolved r;
    r.root = root;
    r.names = names;
    r.depth = (int)names.size();
    std::string key = root.back() == '\\' ? root.substr(0, root.size() - 1) : root;
    r.parent = key + "\\";
    for (const std::string& name : names) {
        r.parent = key + "\\";
        key += "\\" + upperName(name);
    }
    r.key = key + "\\";
    r.name = names.empty() ? "" : names.back();
    return r;
}

Resolved resolve(const std::string& path)
{
    std::string root;
    std::vector<std::string> names;  // as written
    size_t at = 0;
    std::string p = path;
    // \\?\ and \\.\ name drives and shares as they are named without
    // them; anything else after them is a device, whose name is its root.
    bool device = false;
    if (p.size() >= 4 && isSeparator(p[0]) && isSeparator(p[1]) && (p[2] == '?' || p[2] == '.') &&
        isSeparator(p[3])) {
        size_t skip = 4;
        while (skip < p.size() && isSeparator(p[skip]))
            skip++;
        p = p.substr(skip);
        if (p.size() >= 4 && upper(p[0]) == 'U' && upper(p[1]) == 'N' && upper(p[2]) == 'C' &&
            isSeparator(p[3]))
            p = "\\\\" + p.substr(4);
        else
            device = p.size() < 2 || p[1] != ':' || isLeadByte((unsigned char)p[0]);
    }
    if (device) {
        std::vector<std::string> parts = components(p, 0);
        root = "\\\\.\\" + upperName(parts[0]);
        names.assign(parts.begin() + 1, parts.end());
    } else if (p.size() >= 2 && isSeparator(p[0]) && isSeparator(p[1])) {
        std::vector<std::string> parts = components(p, 2);
        root = "\\\\";
        size_t used = 0;
        for (; used < parts.size() && used < 2; used++)
            root += upperName(parts[used]) + (used == 0 ? "\\" : "");
        names.assign(parts.begin() + used, parts.end());
    } else if (p.size() >= 2 && p[1] == ':' && !isLeadByte((unsigned char)p[0])) {
        root = std::string(1, upper(p[0])) + ":";
        at = 2;
        if (at >= p.size() || !isSeparator(p[at])) {
            if (root == "Q:")
                names.push_back("MENU");  // the drive's current directory
        }
        std::vector<std::string> parts = components(p, at);
        names.insert(names.end(), parts.begin(), parts.end());
    } else if (!p.empty() && isSeparator(p[0])) {
        root = "Q:";
        names = components(p, 0);
    } else {
        root = "Q:";
        names.push_back("MENU");
        std::vector<std::string> parts = components(p, 0);
        names.insert(names.end(), parts.begin(), parts.end());
    }

    std::vector<std::string> kept;
    for (std::string name : names) {
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        if (name == "..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        while (!name.empty() && (name.back() == '.' || name.back() == ' '))
            name.pop_back();
        if (!name.empty())
            kept.push_back(name);
    }
    return resolvedFrom(root, kept);
}

bool isListed(const std::string& key)
{
    for (const std::string& k : listedKeys)
        if (k == key)
            return true;
    return false;
}

void addPath(std::string line)
{
    bool readOnly = false, unreadable = false;
    while (!line.empty() && (line[0] == '!' || line[0] == '?')) {
        (line[0] == '!' ? readOnly : unreadable) = true;
        line.erase(0, 1);
    }
    // No file system has a name with a NUL in it.
    if (line.empty() || line.find('\0') != std::string::npos)
        return;
    // A separator at the end, not the second byte of a character.
    bool directory = components(line, 0).back().empty();
    Resolved r = resolve(line);
    if (r.depth == 0)
        return;  // roots are always there
    // The folders on the way exist, as folders: a path under a file is none.
    for (int depth = 1; depth < r.depth; depth++) {
        std::vector<std::string> names(r.names.begin(), r.names.begin() + depth);
        Resolved up = resolvedFrom(r.root, names);
        auto found = files.find(up.key);
        if (found == files.end())
            files[up.key] = Node{true, false, false, up.name, up.parent};
        else if (!found->second.directory)
            return;
    }
    if (!files.count(r.key))
        files[r.key] = Node{directory, readOnly, unreadable && directory, r.name, r.parent};
}

bool hasChildren(const std::string& key)
{
    for (const auto& f : files)
        if (f.second.parent == key)
            return true;
    return false;
}

struct Search {
    std::vector<DirEntry> entries;
    size_t next;
};

void fill(DirEntry* entry, const std::string& name, bool directory)
{
    memcpy(entry->name, name.c_str(), name.size() + 1);
    entry->isDirectory = directory ? 1 : 0;
}

// Whether value joined with "*.*" fits the work path (255 bytes): if not,
// its search cannot be started.
bool patternFits(const std::string& value)
{
    char joined[600];
    copyText(joined, sizeof joined, value.c_str());
    joinPath(joined, sizeof joined, "*.*");
    return strlen(joined) < 256;
}

// The same value as the profile gives it back once written.
std::string asRewritten(const std::string& value)
{
    size_t n = iniRewrite("", 0, delDirSection, "DelDir1", value.c_str(), 0, 0);
    std::string data(n, 0);
    iniRewrite("", 0, delDirSection, "DelDir1", value.c_str(), &data[0], n);
    char back[300];
    iniReadString(data.data(), data.size(), delDirSection, "DelDir1", back, sizeof back);
    return back;
}

std::string withoutOurSectionOnce(const std::string& data)
{
    size_t n = iniRewrite(data.data(), data.size(), delDirSection, 0, 0, 0, 0);
    std::string out(n, 0);
    iniRewrite(data.data(), data.size(), delDirSection, 0, 0, &out[0], n);
    return out;
}

// Whether data holds the list's section more than once: then the section
// that a deletion takes is not the only one (as the Win32 writer does it),
// and the list read next time may be an older one.
bool sectionTwice(const std::string& data)
{
    std::string once = withoutOurSectionOnce(data);
    return withoutOurSectionOnce(once) != once;
}

std::string withoutOurSection(std::string data)
{
    // The first section of the name goes each time; more may follow, and
    // each pass makes the data shorter.
    for (;;) {
        std::string out = withoutOurSectionOnce(data);
        if (out == data)
            break;
        data = out;
    }
    return data;
}

}  // namespace

// --- The platform seam, made up ---------------------------------------------

int readUserProfile(const char* section, const char* key, char* buffer, int size)
{
    int n = iniReadString(profile.data(), profile.size(), section, key, buffer, size);
    if (n > 0) {
        listed.push_back(buffer);
        listedKeys.push_back(resolve(buffer).key);
    }
    return n;
}

void writeUserProfile(const char* section, const char* key, const char* value)
{
    size_t n = iniRewrite(profile.data(), profile.size(), section, key, value, 0, 0);
    std::string out(n, 0);
    iniRewrite(profile.data(), profile.size(), section, key, value, &out[0], n);
    profile = out;
}

void* dirFindFirst(const char* pattern, DirEntry* entry)
{
    std::string p(pattern);
    require(p.size() >= 3 && p.compare(p.size() - 3, 3, "*.*") == 0,
            "a search for something other than every file");
    Resolved r = resolve(p.substr(0, p.size() - 3));
    bool root = r.depth == 0;
    auto found = files.find(r.key);
    if (!root && (found == files.end() || !found->second.directory || found->second.unreadable))
        return 0;
    Search* s = new Search();
    s->next = 0;
    DirEntry e;
    if (!root) {
        fill(&e, ".", true);
        s->entries.push_back(e);
        fill(&e, "..", true);
        s->entries.push_back(e);
    }
    for (const auto& f : files) {
        if (f.second.parent != r.key || f.second.name.size() >= sizeof e.name)
            continue;
        fill(&e, f.second.name, f.second.directory);
        s->entries.push_back(e);
    }
    if (s->entries.empty()) {
        delete s;
        return 0;
    }
    *entry = s->entries[s->next++];
    return s;
}

int dirFindNext(void* search, DirEntry* entry)
{
    Search* s = (Search*)search;
    if (s->next >= s->entries.size())
        return 0;
    *entry = s->entries[s->next++];
    return 1;
}

void dirFindClose(void* search)
{
    delete (Search*)search;
}

int removeFile(const char* path)
{
    Resolved r = resolve(path);
    require(r.depth >= 2 && isListed(r.parent), "a file removed outside the listed directories");
    auto found = files.find(r.key);
    if (found == files.end() || found->second.directory || found->second.readOnly)
        return 0;
    files.erase(found);
    return 1;
}

int removeDirectory(const char* path)
{
    Resolved r = resolve(path);
    require(r.depth >= 1 && isListed(r.key), "a directory removed that was not listed, or a root");
    auto found = files.find(r.key);
    if (found == files.end() || !found->second.directory || found->second.readOnly ||
        hasChildren(r.key))
        return 0;
    files.erase(found);
    return 1;
}

// -----------------------------------------------------------------------------

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = (const char*)data;
    const char* nul = (const char*)memchr(text, 0, size);
    size_t iniSize = nul ? (size_t)(nul - text) : size;
    profile.assign(text, iniSize);
    files.clear();
    listed.clear();
    listedKeys.clear();
    if (nul) {
        std::string tree(nul + 1, size - iniSize - 1);
        size_t at = 0;
        while (at <= tree.size()) {
            size_t end = tree.find('\n', at);
            if (end == std::string::npos)
                end = tree.size();
            addPath(tree.substr(at, end - at));
            at = end + 1;
        }
    }
    const std::string before = profile;
    const std::map<std::string, Node> was = files;

    removeDelDirs();

    require(withoutOurSection(profile) == withoutOurSection(before),
            "win.ini changed outside the list's section");
    // Files only ever go; nothing appears.
    for (const auto& f : files)
        require(was.count(f.first) != 0, "something appeared in the file system");
    if (sectionTwice(before))
        return 0;
    // The list as the next exit reads it.
    std::vector<std::string> after;
    for (size_t n = 1; n <= listed.size() + 1; n++) {
        char key[24], value[300];
        snprintf(key, sizeof key, "DelDir%zu", n);
        if (!iniReadString(profile.data(), profile.size(), delDirSection, key, value, 256))
            break;
        after.push_back(value);
    }
    require(after.size() <= listed.size(), "more directories listed than there were");
    size_t j = 0;
    for (size_t i = 0; i < listed.size(); i++) {
        if (j < after.size() && after[j] == asRewritten(listed[i])) {
            j++;
            continue;
        }
        auto found = files.find(listedKeys[i]);
        bool stillThere = resolve(listed[i]).depth == 0 ||
                          (patternFits(listed[i]) && found != files.end() &&
                           found->second.directory && !found->second.unreadable);
        require(!stillThere, "a directory still there dropped out of the list");
    }
    require(j == after.size(), "the list holds what was not listed, or out of order");
    return 0;
}

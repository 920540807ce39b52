#include "support.h"

#include <gtest/gtest.h>

#include <stdio.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#include <sys/stat.h>
#endif

#include "menu/text.h"

std::string tempFolder(const char* prefix)
{
#ifdef _WIN32
    char base[MAX_PATH], dir[MAX_PATH];
    GetTempPathA(sizeof base, base);
    for (unsigned n = GetTickCount();; n++) {
        snprintf(dir, sizeof dir, "%s%s%u", base, prefix, n);
        if (CreateDirectoryA(dir, NULL))
            return dir;
    }
#else
    std::string pattern = std::string("/tmp/") + prefix + "XXXXXX";
    char* dir = mkdtemp(&pattern[0]);
    return dir ? dir : "";
#endif
}

std::string hostPath(const std::string& dir, const std::string& name)
{
    std::string p = dir + "/" + name;
    for (char& c : p)
#ifdef _WIN32
        if (c == '/')
            c = '\\';
#else
        if (c == '\\')
            c = '/';
#endif
    return p;
}

static void makeFolders(const std::string& path)
{
    for (size_t at = 1; at < path.size(); at++) {
#ifdef _WIN32
        // Shift-JIS names: a second byte of 0x5C is no separator.
        if (isLeadByte((unsigned char)path[at])) {
            at++;
            continue;
        }
#endif
        if (path[at] != '/' && path[at] != '\\')
            continue;
        std::string part = path.substr(0, at);
#ifdef _WIN32
        CreateDirectoryA(part.c_str(), NULL);
#else
        mkdir(part.c_str(), 0755);
#endif
    }
}

bool writeFile(const std::string& dir, const std::string& name, const std::string& bytes)
{
    std::string p = hostPath(dir, name);
    makeFolders(p);
    FILE* f = fopen(p.c_str(), "wb");
    if (!f) {
        ADD_FAILURE() << "cannot write " << p;
        return false;
    }
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    return true;
}

static void put16(std::string& s, unsigned v) { s += char(v & 255); s += char((v >> 8) & 255); }
static void put32(std::string& s, unsigned v) { put16(s, v & 0xFFFF); put16(s, v >> 16); }

std::string bmpFile(int w, int h, int bits, unsigned rgb)
{
    unsigned stride = (unsigned)(w * bits + 31) / 32 * 4;
    unsigned table = bits == 8 ? 1024 : 0;
    unsigned size = stride * (unsigned)h;
    std::string s = "BM";
    put32(s, 14 + 40 + table + size);
    put32(s, 0);
    put32(s, 14 + 40 + table);
    put32(s, 40); put32(s, (unsigned)w); put32(s, (unsigned)h);
    put16(s, 1); put16(s, (unsigned)bits); put32(s, 0); put32(s, size);
    put32(s, 2835); put32(s, 2835); put32(s, 0); put32(s, 0);
    for (unsigned i = 0; i < table / 4; i++) {
        s += char(i); s += char(i); s += char(i); s += char(0);
    }
    for (int y = 0; y < h; y++) {
        std::string row;
        for (int x = 0; x < w; x++)
            if (bits == 24) {
                row += char(rgb & 255); row += char((rgb >> 8) & 255); row += char(rgb >> 16);
            } else {
                row += char(x & 255);
            }
        row.resize(stride, '\0');
        s += row;
    }
    return s;
}

#ifdef _WIN32
// Replaces an imported function of this program (its import address table
// entry) and gives back the one it held: how a test makes the system answer
// what Wine never answers, such as a program that must run elevated.
void* swapImport(const char* dll, const char* name, void* replacement)
{
    BYTE* base = (BYTE*)GetModuleHandleA(0);
    IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* d = (IMAGE_IMPORT_DESCRIPTOR*)(base + imports.VirtualAddress);
         d->Name; d++) {
        if (lstrcmpiA((const char*)(base + d->Name), dll) != 0)
            continue;
        IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + d->OriginalFirstThunk);
        IMAGE_THUNK_DATA* slots = (IMAGE_THUNK_DATA*)(base + d->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME* byName = (IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData);
            if (strcmp((const char*)byName->Name, name) != 0)
                continue;
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            void* was = (void*)slots->u1.Function;
            slots->u1.Function = (ULONG_PTR)replacement;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return was;
        }
    }
    return 0;
}
#endif

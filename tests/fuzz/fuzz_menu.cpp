// MENU.DAT read into the whole model through the native profile reader:
// the start screen's decorations, the pages, and for each page its entries
// and the command buttons and decorations of the entries the slots show
// first and of the last one. Every text must be terminated inside its slot,
// every picture must be one that fits its block, and every list must be
// given back whole (the leak check sees the rest).
//
// The input is MENU.DAT; homeDir is a folder of this run that holds a few
// pictures for BtnBmp%d and Bmp%d to name (A.BMP, C.BMP, T.BMP, PIC\B.BMP).
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "graphics/dib.h"
#include "graphics/layout.h"
#include "launch/launch.h"
#include "menu/home.h"
#include "menu/model.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

char folder[] = "/tmp/fuzz_menu.XXXXXX";

void put16(std::string& s, unsigned long v)
{
    s += (char)(v & 0xFF);
    s += (char)((v >> 8) & 0xFF);
}

void put32(std::string& s, unsigned long v)
{
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// A BMP file: file header, then dib (header, table and bits).
std::string bmpFile(const std::string& dib)
{
    std::string s = "BM";
    put32(s, 14 + dib.size());
    put32(s, 0);
    put32(s, 14);
    return s + dib;
}

std::string infoPicture(long width, long height, unsigned bits, unsigned long colours)
{
    std::string s;
    unsigned long row = ((unsigned long)width * bits + 31) / 32 * 4;
    put32(s, 40);
    put32(s, (unsigned long)width);
    put32(s, (unsigned long)height);
    put16(s, 1);
    put16(s, bits);
    put32(s, 0);
    put32(s, row * (unsigned long)height);
    put32(s, 0);
    put32(s, 0);
    put32(s, colours);
    put32(s, 0);
    s.append(colours * 4, '\x40');
    s.append(row * (unsigned long)height, '\x01');
    return s;
}

std::string corePicture(unsigned width, unsigned height)
{
    std::string s;
    unsigned long row = ((unsigned long)width * 4 + 31) / 32 * 4;
    put32(s, 12);
    put16(s, width);
    put16(s, height);
    put16(s, 1);
    put16(s, 4);
    s.append(16 * 3, '\x20');
    s.append(row * height, '\x12');
    return s;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    require(f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && fclose(f) == 0,
            "cannot write a file of the home folder");
}

void removeFolder(void)
{
    std::string home(folder);
    const char* files[] = {"MENU.DAT", "A.BMP", "C.BMP", "T.BMP", "PIC/B.BMP"};
    for (const char* name : files)
        unlink((home + "/" + name).c_str());
    rmdir((home + "/PIC").c_str());
    rmdir(folder);
}

// Stands in for the built-in default button picture (248 x 32).
std::string builtInButton;

volatile unsigned sink;

// Reads every byte a painter may read of a file picture: header, colour
// table and bits. Past its block, AddressSanitizer stops the run.
void touchPicture(PackedDib picture)
{
    const unsigned char* end = dibBits(picture) + dibImageBytes(picture);
    unsigned sum = 0;
    for (const unsigned char* p = picture; p < end; p++)
        sum += *p;
    sink = sum;
}

void checkCommands(void)
{
    require(commandCount >= 0 && (commandCount == 0) == (commandList == 0),
            "command list and count disagree");
    for (int i = 0; i < commandCount; i++) {
        const CommandButton& b = commandList[i];
        require(terminated(b.caption) && terminated(b.commandLine), "a text over its slot");
        require(!strchr(b.caption, ',') && !strchr(b.commandLine, ','),
                "a comma inside a field");
        if (b.picture && b.picture != defaultButtonPicture) {
            touchPicture(b.picture);
            require(b.width == (int)(dibWidth(b.picture) / 2) &&
                        b.height == (int)dibHeight(b.picture),
                    "button size is not its picture's");
        } else {
            require(b.width == 124 && b.height == 32, "button without picture not 124 x 32");
        }
        LaunchPlan plan;
        planLaunch(b.commandLine, 17, &plan);
        require(b.commandLine[0] ? plan.mode != LAUNCH_NOTHING : plan.mode == LAUNCH_NOTHING,
                "a command line that starts something, or nothing, wrongly");
    }
}

void checkDecorations(void)
{
    require(decorationCount >= 0 && (decorationCount == 0) == (decorationPictures == 0) &&
                (decorationCount == 0) == (decorationPositions == 0),
            "decoration lists and count disagree");
    for (int k = 0; k < decorationCount; k++)
        if (decorationPictures[k])
            touchPicture(decorationPictures[k]);
}

void showEntry(const char* section)
{
    freeDecorations();
    freeCommands();
    loadCommands(section);
    loadDecorations(section);
    checkCommands();
    checkDecorations();
}

void showPage(int page)
{
    freeEntries();
    loadEntries(page);
    require(entryCount >= 0 && subPage == 0 && subPageCount == (entryCount + 4) / 5,
            "entry count and groups disagree");
    require((entryCount == 0) == (entrySection == 0) && (entryCount == 0) == (entryTitle == 0),
            "entry lists and count disagree");
    for (int s = 0; s < 5; s++)
        require(controlDisabled[CONTROL_FIRST_SLOT + s] == (s < entryCount ? 0 : 1),
                "entry slots enabled wrongly");
    require(controlDisabled[CONTROL_NEXT] == (entryCount > 5 ? 0 : 1),
            "next arrow enabled wrongly");
    char* counter = (char*)malloc(24);
    counterText(counter, 24);
    require(memchr(counter, 0, 24) != 0, "counter text not terminated");
    free(counter);
    for (int k = 0; k < entryCount; k++) {
        require(terminated(entrySection[k]) && entrySection[k][0] && terminated(entryTitle[k]),
                "an entry text over its slot, or an empty section name");
        if (k < 5 || k == entryCount - 1)
            showEntry(entrySection[k]);
    }
    for (int slot = CONTROL_FIRST_SLOT; slot < CONTROL_COUNT; slot++)
        sink = entryCaptionOf(slot) ? 1 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!mkdtemp(folder))
        abort();
    atexit(removeFolder);
    std::string home(folder);
    require(mkdir((home + "/PIC").c_str(), 0700) == 0, "cannot make PIC");
    std::string a = bmpFile(infoPicture(6, 2, 8, 20));
    writeFile(home + "/A.BMP", a);
    writeFile(home + "/C.BMP", bmpFile(corePicture(5, 3)));
    writeFile(home + "/T.BMP", a.substr(0, a.size() - 3));
    writeFile(home + "/PIC/B.BMP", bmpFile(infoPicture(2, 2, 24, 0)));
    setHome((home + "\\MENU.EXE").c_str());
    builtInButton = infoPicture(248, 32, 8, 0);
    defaultButtonPicture = (PackedDib)builtInButton.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeFile(std::string(folder) + "/MENU.DAT", std::string((const char*)data, size));
    for (int i = 0; i < CONTROL_COUNT; i++) {
        controlDisabled[i] = 1;
        controlPressed[i] = 0;
    }
    controlDisabled[CONTROL_EXIT] = 0;

    loadDecorations("Menu");
    checkDecorations();
    loadPages();
    bool ended = false;
    for (int p = 0; p < PAGE_SLOTS; p++) {
        bool enabled = controlDisabled[CONTROL_FIRST_TAB + p] == 0;
        require(!(enabled && ended), "a tab enabled after a gap");
        require(enabled == (pageSection[p][0] != 0), "tab and page section disagree");
        require(terminated(pageSection[p]) && terminated(pageTitle[p]),
                "a page text over its slot");
        if (!enabled) {
            ended = true;
            continue;
        }
        showPage(p);
    }
    freeDecorations();
    freeCommands();
    freeEntries();
    return 0;
}

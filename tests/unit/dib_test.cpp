// Packed DIB header arithmetic, the block check and the BMP file reader, on
// pictures built byte by byte.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "support.h"
#include "graphics/dib.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void put16(Bytes& b, size_t at, unsigned long v)
{
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
}

void put32(Bytes& b, size_t at, unsigned long v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

unsigned long get32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | (unsigned long)p[3] << 24;
}

struct Header {
    unsigned long size;
    long width, height;
    unsigned bits;
    unsigned long compression, clrUsed, sizeImage;
    unsigned planes;
};

Header info(unsigned long size, unsigned bits, unsigned long compression = 0,
            unsigned long clrUsed = 0, unsigned long sizeImage = 0)
{
    Header h = {size, 7, 5, bits, compression, clrUsed, sizeImage, 1};
    return h;
}

// The header, then tableBytes of colour table (0, 1, 2, ...), then
// pixelBytes of bits (0xA0, 0xA1, ...). Fields go only where the header
// has room for them.
Bytes picture(const Header& h, size_t tableBytes, size_t pixelBytes)
{
    size_t headerBytes = h.size < 4 || h.size > 4096 ? 4 : h.size;
    Bytes b(headerBytes + tableBytes + pixelBytes, 0);
    put32(b, 0, h.size);
    if (h.size == 12) {
        put16(b, 4, (unsigned long)h.width);
        put16(b, 6, (unsigned long)h.height);
        put16(b, 8, h.planes);
        put16(b, 10, h.bits);
    } else {
        const struct { size_t at, len; unsigned long value; } fields[] = {
            {4, 4, (unsigned long)h.width}, {8, 4, (unsigned long)h.height},
            {12, 2, h.planes}, {14, 2, h.bits}, {16, 4, h.compression},
            {20, 4, h.sizeImage}, {32, 4, h.clrUsed},
        };
        for (const auto& f : fields) {
            if (f.at + f.len > headerBytes)
                continue;
            if (f.len == 2)
                put16(b, f.at, f.value);
            else
                put32(b, f.at, f.value);
        }
    }
    for (size_t i = 0; i < tableBytes; i++)
        b[headerBytes + i] = (unsigned char)i;
    for (size_t i = 0; i < pixelBytes; i++)
        b[headerBytes + tableBytes + i] = (unsigned char)(0xA0 + i);
    return b;
}

// --- Measures ------------------------------------------------------------

TEST(Dib, FieldsByHeaderForm)
{
    struct Case {
        const char* name;
        Header h;
        unsigned width, height, compression;
    };
    const Case cases[] = {
        {"core", {12, 300, 200, 8, 0, 0, 0, 1}, 300, 200, 0},
        {"width modulo 65536", {40, 65537, 2, 8, 0, 0, 0, 1}, 1, 2, 0},
        {"height modulo 65536", {40, 3, 65536 + 9, 8, 0, 0, 0, 1}, 3, 9, 0},
        {"top-down counts rows", {40, 7, -20, 24, 0, 0, 0, 1}, 7, 20, 0},
        {"16-byte header has no compression", {16, 7, 5, 4, 0, 0, 0, 1}, 7, 5, 0},
        {"V5 bit fields", {124, 9, 4, 32, 3, 0, 0, 1}, 9, 4, 3},
    };
    for (const Case& c : cases) {
        Bytes b = picture(c.h, 0, 0);
        b.resize(40, 0xFF);  // junk where a 16-byte header has no fields
        EXPECT_EQ(c.width, dibWidth(b.data())) << c.name;
        EXPECT_EQ(c.height, dibHeight(b.data())) << c.name;
        EXPECT_EQ(c.h.bits, dibBitCount(b.data())) << c.name;
        EXPECT_EQ(c.compression, dibCompression(b.data())) << c.name;
    }
    // A 32-byte header ends before biClrUsed: the table's first bytes stand
    // where it would be, and 256 entries follow, bits at 32 + 1024.
    Bytes b = picture(info(32, 8), 1024, 4);
    EXPECT_EQ(256u, dibColourCount(b.data()));
    EXPECT_EQ(32 + 1024, dibBits(b.data()) - b.data());
    EXPECT_EQ(0u, dibPaletteCount(nullptr));
}

// --- Pictures that load, and what they measure ---------------------------

struct Valid {
    const char* name;
    Header h;
    size_t tableBytes, pixelBytes;  // worked out by hand
    unsigned long paletteCount;
};

Header sized(Header h, long width, long height)
{
    h.width = width;
    h.height = height;
    return h;
}

// Pictures of 7x5 pixels unless said otherwise; rows are padded to 4 bytes.
const Valid validPictures[] = {
    {"core 1 bit", info(12, 1), 6, 20, 0},
    {"core 4 bits", info(12, 4), 48, 20, 0},
    {"core 8 bits: bits at 780", info(12, 8), 768, 40, 256},
    {"core 24 bits", info(12, 24), 0, 120, 0},
    {"16-byte header, 8 bits", info(16, 8), 1024, 40, 256},
    {"16-byte header, 24 bits", info(16, 24), 0, 120, 0},
    // Any longer size is an info header of that length.
    {"32-byte header, 8 bits: bits at 32 + 1024", info(32, 8), 1024, 40, 256},
    {"36-byte header reads biClrUsed", info(36, 8, 0, 20), 80, 40, 20},
    {"OS/2 64-byte header, 24 bits", info(64, 24), 0, 120, 0},
    {"200-byte header, 4 bits", info(200, 4), 64, 20, 0},
    // The plane count is never read.
    {"core, 0 planes", {12, 7, 5, 8, 0, 0, 0, 0}, 768, 40, 256},
    {"2 planes", {40, 7, 5, 8, 0, 0, 0, 2}, 1024, 40, 256},
    {"1 bit", info(40, 1), 8, 20, 0},
    {"1 bit, 33 wide", sized(info(40, 1), 33, 5), 8, 40, 0},
    {"1 bit, 65535 wide", sized(info(40, 1), 65535, 1), 8, 8192, 0},
    {"4 bits: 16 colours make no palette", info(40, 4), 64, 20, 0},
    {"4 bits, 17 used", info(40, 4, 0, 17), 68, 20, 17},
    {"8 bits", info(40, 8), 1024, 40, 256},
    {"8 bits, 20 used: bits at 120", info(40, 8, 0, 20), 80, 40, 20},
    {"8 bits, 300 used", info(40, 8, 0, 300), 1200, 40, 0},
    {"24 bits", info(40, 24), 0, 120, 0},
    {"24 bits, 200 used", info(40, 24, 0, 200), 800, 120, 200},
    {"24 bits, top-down", sized(info(40, 24), 7, -5), 0, 120, 0},
    {"16 bits 5-5-5", info(40, 16), 0, 80, 0},
    {"16 bits, masks", info(40, 16, 3), 12, 80, 0},
    {"16 bits, masks, 20 used", info(40, 16, 3, 20), 92, 80, 20},
    {"32 bits", info(40, 32), 0, 140, 0},
    {"32 bits, masks, top-down", sized(info(40, 32, 3), 7, -5), 12, 140, 0},
    {"V2 16 bits, masks", info(52, 16, 3), 0, 80, 0},
    {"V3 32 bits, masks", info(56, 32, 3), 0, 140, 0},
    {"V4 16 bits, masks", info(108, 16, 3), 0, 80, 0},
    {"V5 32 bits", info(124, 32), 0, 140, 0},
    {"V5 8 bits", info(124, 8), 1024, 40, 256},
    {"RLE8", info(40, 8, 1, 0, 10), 1024, 10, 256},
    {"RLE4", info(40, 4, 2, 0, 10), 64, 10, 0},
    {"V4 RLE4", info(108, 4, 2, 0, 10), 64, 10, 0},
};

TEST(Dib, ValidPicturesMeasureAndFitExactlyTheirBlock)
{
    for (const Valid& v : validPictures) {
        Bytes b = picture(v.h, v.tableBytes, v.pixelBytes);
        PackedDib dib = b.data();
        EXPECT_EQ(v.tableBytes, dibColourCount(dib) * dibColourEntrySize(dib)) << v.name;
        EXPECT_EQ(v.h.size, (size_t)(dibColours(dib) - dib)) << v.name;
        EXPECT_EQ(v.h.size + v.tableBytes, (size_t)(dibBits(dib) - dib)) << v.name;
        EXPECT_EQ(v.paletteCount, dibPaletteCount(dib)) << v.name;
        EXPECT_TRUE(dibFits(dib, b.size())) << v.name;
        EXPECT_FALSE(dibFits(dib, b.size() - 1)) << v.name;
    }
}

// Pictures that must not load, whatever the block holds.
const struct Refused {
    const char* name;
    Header h;
} refusedPictures[] = {
    {"header size 0", info(0, 8)},
    {"header size 11", info(11, 8)},
    {"header size 13", info(13, 8)},
    {"header size 15", info(15, 8)},
    {"header size 2^32 - 1", info(0xFFFFFFFFUL, 8)},
    // Masks would straddle the end of such a header.
    {"header size 44, masks", info(44, 16, 3)},
    {"header size 36, masks", info(36, 32, 3)},
    {"width 0", sized(info(40, 8), 0, 5)},
    {"negative width", sized(info(40, 8), -7, 5)},
    {"width 65537", sized(info(40, 1), 65537, 1)},
    {"height 0", sized(info(40, 8), 7, 0)},
    {"height 65537", sized(info(40, 1), 1, 65537)},
    {"top-down height -65537", sized(info(40, 1), 1, -65537)},
    {"top-down RLE8", sized(info(40, 8, 1, 0, 10), 7, -5)},
    {"RLE8 without biSizeImage", info(40, 8, 1, 0, 0)},
    {"RLE8 with 4 GiB of bits", info(40, 8, 1, 0, 0xFFFFFFFFUL)},
    // Table sizes that wrap in 32 bits: 2^30 entries of 4 bytes, and
    // three masks added to 2^32 - 2.
    {"2^30 colours", info(40, 8, 0, 0x40000000UL)},
    {"masks and 2^32 - 2 colours", info(40, 16, 3, 0xFFFFFFFEUL)},
};

TEST(Dib, RefusesWhatCannotBeDrawn)
{
    for (const Refused& r : refusedPictures) {
        Bytes b = picture(r.h, 2048, 2048);
        EXPECT_FALSE(dibFits(b.data(), b.size())) << r.name;
    }
    Bytes core = picture(info(12, 8), 768, 40);
    for (unsigned long size : {0, 1, 3, 11})
        EXPECT_FALSE(dibFits(core.data(), size)) << "header cut to " << size;
    EXPECT_FALSE(dibFits(nullptr, 4096));
}

TEST(Dib, EveryBitCountWithEveryCompression)
{
    const unsigned bitCounts[] = {0, 1, 2, 3, 4, 5, 8, 15, 16, 24, 32, 48, 64, 65535};
    for (unsigned bits : bitCounts) {
        bool plain = bits == 1 || bits == 4 || bits == 8 || bits == 24;
        for (unsigned long compression = 0; compression <= 7; compression++) {
            bool expected = (compression == 0 && (plain || bits == 16 || bits == 32)) ||
                            (compression == 1 && bits == 8) || (compression == 2 && bits == 4) ||
                            (compression == 3 && (bits == 16 || bits == 32));
            Bytes b = picture(info(40, bits, compression, 0, 10), 2048, 2048);
            EXPECT_EQ(expected, dibFits(b.data(), b.size()))
                << bits << " bits, compression " << compression;
        }
        // Core headers have no compression, and no 16 or 32 bits.
        Bytes b = picture(info(12, bits), 2048, 2048);
        EXPECT_EQ(plain, dibFits(b.data(), b.size())) << "core, " << bits << " bits";
    }
}

// biSizeImage ends at byte 24: a compressed picture with a shorter header
// states no size, whatever the bytes after its header hold.
TEST(Dib, FieldsPastTheHeaderAreAbsent)
{
    for (unsigned long size = 20; size < 24; size++) {
        for (unsigned bits : {8u, 4u}) {
            unsigned long compression = bits == 8 ? 1 : 2;
            SCOPED_TRACE(testing::Message() << size << "-byte header, RLE" << bits);
            // The table's first bytes stand where biSizeImage would be and
            // read as 10: as many bits as follow the table.
            size_t table = (size_t)4 << bits;
            Bytes b = picture(info(size, bits, compression), table, 10);
            for (size_t i = 20; i < 24; i++)
                b[i] = i == 20 ? 10 : 0;
            EXPECT_EQ(DIB_NO_COMPRESSED_SIZE, dibProblem(b.data(), b.size()));

            // The header alone, in a block of its own: nothing past it is read.
            Bytes alone = picture(info(size, bits, compression), 0, 0);
            unsigned char* block = (unsigned char*)malloc(alone.size());
            ASSERT_TRUE(block != nullptr);
            memcpy(block, alone.data(), alone.size());
            EXPECT_EQ(DIB_NO_COMPRESSED_SIZE, dibProblem(block, alone.size()));
            free(block);
        }
    }
    // From 24 bytes on the header holds the size.
    Bytes b = picture(info(24, 8, 1, 0, 10), 1024, 10);
    EXPECT_EQ(DIB_FITS, dibProblem(b.data(), b.size()));
    EXPECT_EQ(10u, dibImageSize(b.data()));
}

// What draw_win32.cpp cannot see: what stays out of the header GDI gets.
TEST(Dib, DrawInfoKeepsOnlyWhatGdiNeeds)
{
    unsigned char out[DIB_DRAW_INFO_SIZE];
    Bytes many = picture(info(40, 8, 0, 300), 1200, 40);
    EXPECT_EQ(40u + 1024, dibDrawInfo(many.data(), out, sizeof out));
    EXPECT_EQ(256u, get32(out + 32)) << "no more colours than 8 bits index";

    Bytes v5 = picture(info(124, 32, 3), 0, 140);
    put32(v5, 40, 0xFF0000);
    put32(v5, 56, 0x4D424544);  // a colour space GDI must never be shown
    ASSERT_EQ(52u, dibDrawInfo(v5.data(), out, sizeof out));
    EXPECT_EQ(40u, get32(out));
    EXPECT_EQ(0xFF0000u, get32(out + 40));

    // A longer header of another kind is shown to GDI as a plain one.
    Bytes os2 = picture(info(64, 8), 1024, 40);
    put32(os2, 40, 0xFFFFFFFF);  // OS/2 fields GDI must never see
    ASSERT_EQ(40u + 1024, dibDrawInfo(os2.data(), out, sizeof out));
    EXPECT_EQ(40u, get32(out));
    EXPECT_EQ(0x020100u, get32(out + 40)) << "the table read from byte 64";
    Bytes shortHeader = picture(info(13, 8), 1024, 40);
    EXPECT_EQ(0u, dibDrawInfo(shortHeader.data(), out, sizeof out)) << "13-byte header";
    memset(out, 0x5A, sizeof out);
    EXPECT_EQ(0u, dibDrawInfo(many.data(), out, 40 + 1023));
    EXPECT_EQ(0x5A, out[0]) << "nothing written when it does not fit";
}

// --- Reading BMP files ---------------------------------------------------


// "BM", bfSize, reserved, bfOffBits, then the picture.
Bytes bmpFile(const Bytes& dib, unsigned long bfSize, unsigned long offBits = 0)
{
    Bytes f(14, 0);
    f[0] = 'B';
    f[1] = 'M';
    put32(f, 2, bfSize);
    put32(f, 10, offBits);
    f.insert(f.end(), dib.begin(), dib.end());
    return f;
}

Bytes bmpFile(const Bytes& dib)
{
    return bmpFile(dib, 14 + dib.size());
}

class DibFile : public ::testing::Test {
protected:
    std::string dir;
    std::vector<std::string> written;

    void SetUp() override { dir = tempFolder("dib"); }

    void TearDown() override
    {
        for (const std::string& p : written)
            remove(p.c_str());
#ifdef _WIN32
        RemoveDirectoryA(dir.c_str());
#else
        rmdir(dir.c_str());
#endif
    }

    std::string write(const Bytes& bytes)
    {
        char name[32];
        snprintf(name, sizeof name, "/P%u.BMP", (unsigned)written.size());
        std::string path = dir + name;
        FILE* f = fopen(path.c_str(), "wb");
        EXPECT_TRUE(f != nullptr) << path;
        if (f) {
            if (!bytes.empty())
                fwrite(bytes.data(), 1, bytes.size(), f);
            fclose(f);
        }
        written.push_back(path);
        return path;
    }
};

TEST_F(DibFile, LoadsWhatFitsAndNothingElse)
{
    for (const Valid& v : validPictures) {
        Bytes b = picture(v.h, v.tableBytes, v.pixelBytes);
        PackedDib dib = loadDibFile(write(bmpFile(b)).c_str());
        ASSERT_TRUE(dib != nullptr) << v.name;
        EXPECT_EQ(0, memcmp(dib, b.data(), b.size())) << v.name;
        freeDibFile(dib);

        // One byte short, in the file or in the block bfSize gives.
        Bytes cut = bmpFile(b);
        cut.pop_back();
        EXPECT_EQ(nullptr, loadDibFile(write(cut).c_str())) << v.name << ", file short";
        Bytes shortBlock = bmpFile(b, 14 + b.size() - 1);
        EXPECT_EQ(nullptr, loadDibFile(write(shortBlock).c_str())) << v.name << ", block short";
    }
    for (const Refused& r : refusedPictures) {
        Bytes b = picture(r.h, 2048, 2048);
        EXPECT_EQ(nullptr, loadDibFile(write(bmpFile(b)).c_str())) << r.name;
    }
}

TEST_F(DibFile, RefusesBadFiles)
{
    Bytes good = picture(info(40, 24), 0, 120);
    Bytes wrongType = bmpFile(good);
    wrongType[1] = 'A';
    Bytes lower = bmpFile(good);
    lower[0] = 'b';
    lower[1] = 'm';
    Bytes thirteen = bmpFile(good);
    thirteen.resize(13);
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", Bytes()},
        {"13 bytes", thirteen},
        {"BA", wrongType},
        {"bm", lower},
        {"bfSize 0", bmpFile(good, 0)},
        {"bfSize 13", bmpFile(good, 13)},
        {"bfSize 14: no header", bmpFile(good, 14)},
        {"bfSize 25: header cut", bmpFile(good, 25)},
        {"bfSize 2^32 - 1", bmpFile(good, 0xFFFFFFFFUL)},
        {"header bigger than the block", bmpFile(good, 14 + 39)},
        {"bits beyond the block", bmpFile(good, 14 + 40 + 119)},
        {"core header, no bits", bmpFile(picture(info(12, 24), 0, 0))},
        // 34 bytes: the reader's block is the 20-byte header alone.
        {"RLE8 with a 20-byte header", bmpFile(picture(info(20, 8, 1), 0, 0))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nullptr, loadDibFile(write(c.bytes).c_str())) << c.name;
    EXPECT_EQ(nullptr, loadDibFile((dir + "/MISSING.BMP").c_str()));
    EXPECT_EQ(nullptr, loadDibFile(dir.c_str())) << "a folder";
}

TEST_F(DibFile, BitsFollowTheColourTableWhateverBfOffBits)
{
    // 16 bytes of gap between the table and the bits, as bfOffBits says.
    Bytes b = picture(info(40, 8, 0, 20), 80, 40);
    b.insert(b.begin() + 120, 16, 0x11);
    PackedDib dib = loadDibFile(write(bmpFile(b, 14 + b.size(), 14 + 120 + 16)).c_str());
    ASSERT_TRUE(dib != nullptr);
    EXPECT_EQ(120, dibBits(dib) - dib);
    EXPECT_EQ(0x11, *dibBits(dib));
    freeDibFile(dib);

    // Bytes after bfSize are not the picture's.
    Bytes f = bmpFile(picture(info(40, 24), 0, 120));
    f.resize(f.size() + 100, 0xEE);
    dib = loadDibFile(write(f).c_str());
    ASSERT_TRUE(dib != nullptr);
    EXPECT_EQ(0xA0, *dibBits(dib));
    freeDibFile(dib);
}

}  // namespace

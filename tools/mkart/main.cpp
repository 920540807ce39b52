// mkart: draws the menu's built-in artwork and the sample disc's pictures.
//
//   mkart --art DIR       background.bmp ... counter.bmp, menu.ico, click.wav
//   mkart --sample DIR    LOGO.BMP, PIC/*.BMP, BTN/*.BMP
//
// A file whose bytes are already right is left untouched, so that a rebuild
// of MENU.EXE only follows real changes.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "tools/mkart/art.h"

static bool sameAsOnDisk(const std::string& path, const Bytes& bytes)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    Bytes old;
    unsigned char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        old.insert(old.end(), buffer, buffer + n);
    fclose(f);
    return old == bytes;
}

// Creates the folders on the way to path, as far as they are missing.
static bool makeParents(const std::string& path)
{
    for (size_t k = 1; k < path.size(); k++)
        if (path[k] == '/') {
            std::string dir = path.substr(0, k);
            if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
                return false;
        }
    return true;
}

static bool writeFiles(const char* dir, const std::vector<ArtFile>& files)
{
    for (size_t i = 0; i < files.size(); i++) {
        std::string path = std::string(dir) + "/" + files[i].name;
        if (sameAsOnDisk(path, files[i].bytes)) {
            printf("%-40s %6zu bytes, unchanged\n", path.c_str(), files[i].bytes.size());
            continue;
        }
        FILE* f = makeParents(path) ? fopen(path.c_str(), "wb") : 0;
        bool ok = f && fwrite(files[i].bytes.data(), 1, files[i].bytes.size(), f) ==
                           files[i].bytes.size();
        if (f && fclose(f) != 0)
            ok = false;
        if (!ok) {
            fprintf(stderr, "mkart: cannot write %s: %s\n", path.c_str(), strerror(errno));
            return false;
        }
        printf("%-40s %6zu bytes, written\n", path.c_str(), files[i].bytes.size());
    }
    return true;
}

int main(int argc, char** argv)
{
    if (argc < 3 || argc % 2 == 0) {
        fprintf(stderr, "usage: mkart [--art DIR] [--sample DIR]\n");
        return 2;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        std::vector<ArtFile> files;
        if (strcmp(argv[i], "--art") == 0)
            buildMenuArt(&files);
        else if (strcmp(argv[i], "--sample") == 0)
            buildSampleArt(&files);
        else {
            fprintf(stderr, "mkart: unknown option %s\n", argv[i]);
            return 2;
        }
        if (!writeFiles(argv[i + 1], files))
            return 1;
    }
    return 0;
}

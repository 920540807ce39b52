// menucheck [options] [folder]: checks a disc folder (the folder of
// MENU.EXE) before it goes on a disc. Exit status 0 clean, 1 warnings,
// 2 errors, 3 when the check could not run.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tools/menucheck/check.h"
#include "tools/menucheck/host.h"
#include "tools/menucheck/html.h"
#include "tools/menucheck/messages.h"
#include "tools/menucheck/output.h"

static const char usage[] =
    "usage: menucheck [--drive=X] [--json | --html [--title=TEXT]] [--lang=en|ja]\n"
    "                 [--palette=FILE] [--shown-as=TEXT] [folder]\n"
    "  folder         the disc folder, the one MENU.EXE goes into (default: .)\n"
    "  --drive=X      drive letter the disc is checked as (default: Q)\n"
    "  --json         JSON instead of text\n"
    "  --html         the disc's page for browsers (INDEX.HTM) instead of the report;\n"
    "                 --title=TEXT heads it\n"
    "  --shown-as=TEXT  the folder's name in the report, in place of its full path\n"
    "  --lang=en|ja   language of the messages (default: from LC_ALL, LC_MESSAGES, LANG)\n"
    "  --palette=FILE the 8-bit BMP whose colours 256-colour displays get (default: the\n"
    "                 menu's built-in background, picture 102)\n"
    "exit status: 0 clean, 1 warnings, 2 errors, 3 the check could not run\n";

// "--name=value" or "--name value"; returns the value or null.
static const char* optionValue(int argc, char** argv, int* i, const char* name)
{
    size_t n = strlen(name);
    if (strncmp(argv[*i], name, n) != 0)
        return 0;
    if (argv[*i][n] == '=')
        return argv[*i] + n + 1;
    if (argv[*i][n] == 0 && *i + 1 < argc)
        return argv[++*i];
    return 0;
}

int main(int argc, char** argv)
{
    const char* folder = ".";
    const char* paletteFile = 0;
    const char* lang = 0;
    int json = 0, html = 0;
    const char* title = 0;
    const char* shownAs = 0;
    char drive = 'Q';
    for (int i = 1; i < argc; i++) {
        const char* value;
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(usage, stdout);
            return 0;
        } else if (strcmp(argv[i], "--json") == 0) {
            json = 1;
        } else if (strcmp(argv[i], "--html") == 0) {
            html = 1;
        } else if ((value = optionValue(argc, argv, &i, "--title")) != 0) {
            title = value;
        } else if ((value = optionValue(argc, argv, &i, "--shown-as")) != 0) {
            shownAs = value;
        } else if ((value = optionValue(argc, argv, &i, "--drive")) != 0) {
            char c = value[0];
            if (c >= 'a' && c <= 'z')
                c = (char)(c - 'a' + 'A');
            if (c < 'A' || c > 'Z' || (value[1] && strcmp(value + 1, ":") != 0)) {
                fprintf(stderr, "menucheck: --drive wants a letter A-Z\n");
                return 3;
            }
            drive = c;
        } else if ((value = optionValue(argc, argv, &i, "--lang")) != 0) {
            lang = value;
        } else if ((value = optionValue(argc, argv, &i, "--palette")) != 0) {
            paletteFile = value;
        } else if (argv[i][0] == '-' && argv[i][1]) {
            fprintf(stderr, "menucheck: unknown option %s\n%s", argv[i], usage);
            return 3;
        } else {
            folder = argv[i];
        }
    }

    Language language;
    if (lang)
        language = strncmp(lang, "ja", 2) == 0 ? LANGUAGE_JA : LANGUAGE_EN;
    else if (getenv("LC_ALL") || getenv("LC_MESSAGES") || getenv("LANG") ||
             systemWantsJapanese() < 0)
        language = languageFromLocale(getenv("LC_ALL"), getenv("LC_MESSAGES"), getenv("LANG"));
    else
        language = systemWantsJapanese() ? LANGUAGE_JA : LANGUAGE_EN;

    static unsigned char palette[256 * 3];
    int paletteCount = backgroundPaletteCount;
    memcpy(palette, backgroundPalette, sizeof palette);
    if (paletteFile) {
        paletteCount = readPaletteFile(paletteFile, palette);
        if (paletteCount == 0) {
            fprintf(stderr, "menucheck: %s holds no palette of 17 to 256 colours\n", paletteFile);
            return 3;
        }
    }

    CheckOptions options = {folder, drive, palette, paletteCount, 0};
    static CheckReport report;
    if (!runCheck(&options, &report)) {
        fprintf(stderr, "menucheck: cannot check the folder %s\n", folder);
        freeReport(&report);
        return 3;
    }
    OutputText out = {0, 0, 0};
    // A copy checked in a temporary folder reports as the folder it copies.
    if (shownAs && !html)
        snprintf(report.folder, sizeof report.folder, "%s", shownAs);
    static char titleText[HOST_PATH];  // the command line's code page into UTF-8
    hostNameToUtf8(title ? title : "", titleText, sizeof titleText);
    if (html)
        writeHtmlPage(&report, language, titleText, &out);
    else if (json)
        writeJsonReport(&report, language, &out);
    else
        writeTextReport(&report, language, &out);
    int status = reportStatus(&report);
    if (!out.text) {
        fprintf(stderr, "menucheck: out of memory\n");
        status = 3;
    } else {
        writeStandardOutput(out.text, out.length, json || html);
    }
    freeOutput(&out);
    freeReport(&report);
    return status;
}

// Message tables, English and Japanese side by side. Arguments are %1 to
// %4; words that findings pass as codes ("program", "tab2") are put into
// the reader's language here.
#include "tools/menucheck/messages.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tools/menucheck/encoding.h"

struct FindingMessage {
    FindingCode code;
    const char* name;
    const char* en;
    const char* ja;
};

static const FindingMessage findingMessages[] = {
    {F_MENU_MISSING, "menu-missing",
     "MENU.DAT is missing: the menu starts with every tab disabled.",
     "MENU.DAT がありません。メニューはすべてのタブが無効のまま起動します。"},
    {F_NO_PAGES, "no-pages",
     "No page: Page1 of [MENU] is missing or empty, so every tab stays disabled.",
     "ページがありません。[MENU] の Page1 がないか空のため、すべてのタブが無効になります。"},
    {F_BOM_UTF8, "utf8-bom",
     "MENU.DAT starts with a UTF-8 byte-order mark: the menu expects Shift-JIS. Older Windows "
     "reads the mark as part of the first line, and Japanese texts come out garbled.",
     "MENU.DAT の先頭に UTF-8 のバイト順マークがあります。メニューは Shift-JIS を前提とします。"
     "古い Windows はこのマークを 1 行目の一部として読み、日本語も文字化けします。"},
    {F_BOM_UTF16, "utf16",
     "MENU.DAT is UTF-16: the menu reads Shift-JIS. Save it as Shift-JIS.",
     "MENU.DAT が UTF-16 です。メニューは Shift-JIS を読みます。Shift-JIS で保存してください。"},
    {F_UTF8_TEXT, "utf8-text",
     "MENU.DAT is written in UTF-8: the menu shows its texts as Shift-JIS, so Japanese "
     "captions come out garbled. Save it as Shift-JIS.",
     "MENU.DAT が UTF-8 で書かれています。メニューは Shift-JIS として表示するため、日本語の"
     "見出しが文字化けします。Shift-JIS で保存してください。"},
    {F_BAD_SJIS, "bad-shift-jis",
     "The bytes %1 are no Shift-JIS character; they show as garbage.",
     "バイト %1 は Shift-JIS の文字ではなく、正しく表示されません。"},
    {F_LIST_GAP, "list-gap",
     "%1 is never read: %2 is missing or empty, so the list ends after %3.",
     "%1 は読まれません。%2 がないか空のため、リストは %3 個で終わります。"},
    {F_PAGE_BEYOND_FIVE, "page-beyond-five",
     "%1 is never read: there are five page tabs, and only Page1 to Page5 are read.",
     "%1 は読まれません。ページタブは 5 つで、Page1～Page5 だけが読まれます。"},
    {F_KEY_ABOVE_COUNT, "key-above-count",
     "%1 is never read: the entry has %2 command(s), and such keys are read only up to that "
     "number.",
     "%1 は読まれません。このエントリのコマンドは %2 個で、この種のキーはその番号までしか"
     "読まれません。"},
    {F_KEY_NUMBER_FORM, "key-number-form",
     "%1 is never read: the menu numbers keys 1, 2, 3, ... with no leading zero or sign.",
     "%1 は読まれません。キーの番号は 1, 2, 3, ... で、先頭の 0 や符号は付けません。"},
    {F_UNKNOWN_KEY, "unknown-key",
     "%1 is no key the menu reads in this section; it has no effect.",
     "%1 はこのセクションでメニューが読むキーではなく、効果はありません。"},
    {F_KEYS_BEFORE_SECTION, "key-before-section",
     "%1 stands before the first section header and is never read.",
     "%1 は最初のセクション見出しより前にあり、読まれません。"},
    {F_MISSING_SECTION, "missing-section",
     "Section [%1] does not exist: this shows with an empty caption, no buttons and no "
     "pictures.",
     "セクション [%1] がありません。空の見出しで、ボタンも画像もなく表示されます。"},
    {F_DUPLICATE_SECTION, "duplicate-section",
     "This section already began at line %1; only one of the two is read.",
     "このセクションは %1 行目にもあります。どちらか一方しか読まれません。"},
    {F_DUPLICATE_KEY, "duplicate-key",
     "%1 is written again (first at line %2); only the first is read.",
     "%1 が重複しています（最初は %2 行目）。最初のものだけが読まれます。"},
    {F_UNUSED_SECTION, "unused-section",
     "No Page or Menu key names this section; it is never shown.",
     "このセクションを指す Page や Menu のキーがなく、表示されません。"},
    {F_EMPTY_PAGE, "empty-page",
     "This page has no entries: its tab opens an empty page.",
     "このページにはエントリがありません。タブを選ぶと空のページが表示されます。"},
    {F_NO_COMMANDS, "no-commands",
     "This entry has no command buttons.",
     "このエントリにはコマンドボタンがありません。"},
    {F_VALUE_CUT, "value-cut",
     "The value is %1 bytes; the menu reads %2: \"%3\", and drops \"%4\".",
     "値は %1 バイトです。メニューは %2 バイトまでを「%3」と読み、「%4」は捨てられます。"},
    {F_FIELD_CUT, "field-cut",
     "Field %1 is longer than %2 bytes: the menu keeps \"%3\" and drops \"%4\".",
     "%1 番目の項目が %2 バイトを超えています。「%3」だけが使われ、「%4」は捨てられます。"},
    {F_NO_COMMA, "no-comma",
     "There is no comma: the whole value is the caption, and the button starts nothing.",
     "カンマがありません。値全体が見出しになり、ボタンは何も起動しません。"},
    {F_EMPTY_COMMAND, "empty-command",
     "The command line is empty: the button shows its caption and starts nothing.",
     "コマンドラインが空です。ボタンは見出しを表示するだけで、何も起動しません。"},
    {F_MACRO_CASE, "macro-case",
     "%1 is no macro (they are written $CURDRV and $COMMA) and stays as written.",
     "%1 はマクロではありません（マクロは $CURDRV と $COMMA）。書いたまま残ります。"},
    {F_MACRO_BACKSLASH, "macro-backslash",
     "The backslash right after %1 is dropped; for the disc's root write $CURDRV:\\.",
     "%1 の直後の \\ は捨てられます。ディスクのルートは $CURDRV:\\ と書いてください。"},
    {F_FIXED_DRIVE, "fixed-drive",
     "The program path names drive %1: itself, so it works only when the disc is that "
     "drive. Write $CURDRV: instead.",
     "プログラムのパスにドライブ %1: が直接書かれているため、ディスクがそのドライブの"
     "ときしか動きません。$CURDRV: を使ってください。"},
    {F_QUOTED_PROGRAM, "quoted-program",
     "Quotation marks are not understood: they become part of the program path.",
     "引用符は解釈されず、プログラムのパスの一部になります。"},
    {F_PROGRAM_BLANK, "program-blank",
     "The program path \"%1\" has a blank: only the text before the first blank is the "
     "program, the rest become its arguments.",
     "プログラムのパス「%1」に空白があります。最初の空白より前だけがプログラムになり、"
     "残りは引数になります。"},
    {F_LONG_FILE_NAME, "long-file-name",
     "The file name \"%1\" is %2 bytes; the menu keeps 12: \"%3\".",
     "ファイル名「%1」は %2 バイトです。メニューは 12 バイトまでの「%3」を使います。"},
    {F_SEVERAL_DOTS, "several-dots",
     "The file name \"%1\" has several full stops: the menu takes \"%2\" (after the first) "
     "as the extension and treats it as %3.",
     "ファイル名「%1」にピリオドが複数あります。メニューは最初のピリオドの後の「%2」を"
     "拡張子とみなし、%3として扱います。"},
    {F_EMPTY_FILE_NAME, "empty-file-name",
     "The program path ends in a separator: there is no file name, and Windows is given "
     "the arguments alone.",
     "プログラムのパスが区切り文字で終わっています。ファイル名がなく、引数だけが "
     "Windows に渡されます。"},
    {F_DIRECTORY_MISSING, "directory-missing",
     "The directory %1 is not on the disc: the program starts in %2 instead.",
     "ディレクトリ %1 がディスクにありません。代わりに %2 で起動されます。"},
    {F_TARGET_MISSING, "target-missing",
     "%1 is not on the disc: the click shows the cannot-start message.",
     "%1 がディスクにありません。クリックすると起動できないというメッセージが出ます。"},
    {F_NO_TARGET_NAME, "no-file-name",
     "There is no file name to open: the click shows the cannot-start message.",
     "開くファイル名がありません。クリックすると起動できないというメッセージが出ます。"},
    {F_UNKNOWN_PROGRAM, "unknown-program",
     "%1 is not on the disc and is no program of Windows' own: the click fails unless the "
     "user's machine has it in its Windows folders or on its PATH.",
     "%1 はディスクになく、Windows 付属のプログラムでもありません。利用者のパソコンの "
     "Windows フォルダーか PATH になければ起動に失敗します。"},
    {F_TARGET_OFF_DISC, "off-disc",
     "%1 is not on the disc's drive; it cannot be checked here.",
     "%1 はディスクのドライブにないため、ここでは確かめられません。"},
    {F_SYSTEM_PROGRAM, "system-program",
     "%1 is not on the disc; Windows starts its own.",
     "%1 はディスクにありません。Windows 付属のものが起動されます。"},
    {F_SHADOWED, "shadowed",
     "%1 beside MENU.EXE is found first and starts instead of %2.",
     "MENU.EXE と同じ場所の %1 が先に見つかり、%2 の代わりに起動されます。"},
    {F_ARGUMENT_MISSING, "argument-missing",
     "The argument %1 names a file that is not on the disc.",
     "引数 %1 のファイルがディスクにありません。"},
    {F_PICTURE_UNREADABLE, "picture-unreadable",
     "The picture %1 is not drawn: %2.",
     "画像 %1 は表示されません。理由: %2。"},
    {F_BUTTON_PICTURE, "button-picture-unreadable",
     "The picture %1 is not drawn: %2. The button stays invisible, caption included, yet "
     "a click on its place still starts its command.",
     "画像 %1 は表示されません。理由: %2。ボタンは見出しも含めて見えませんが、その場所を"
     "クリックするとコマンドが起動します。"},
    {F_PICTURE_OFF_DISC, "picture-off-disc",
     "The picture %1 is not on the disc's drive; it cannot be checked here.",
     "画像 %1 はディスクのドライブにないため、ここでは確かめられません。"},
    {F_OUTSIDE_CONTENT, "outside-content",
     "It covers %1, not wholly inside the ContentArea (11,105)-(396,481): what lies outside "
     "is not repainted when another entry is selected.",
     "%1 に置かれ、コンテンツ領域 (11,105)-(396,481) からはみ出しています。はみ出した部分"
     "は別のエントリを選んでも描き直されません。"},
    {F_OVER_CONTROL, "over-control",
     "It lies over the %1 and covers it.",
     "%1に重なり、覆い隠します。"},
    {F_BUTTONS_OVERLAP, "buttons-overlap",
     "Buttons %1 and %2 overlap: button %2 is drawn on top, but a click in the overlap "
     "goes to button %1.",
     "ボタン %1 と %2 が重なっています。上に描かれるのは %2 ですが、重なった部分の"
     "クリックは %1 になります。"},
    {F_CAPTION_WIDE, "caption-wide",
     "The caption \"%1\" is about %2 px wide (an estimate: 8 px for each single-byte, 16 "
     "for each two-byte character), wider than the button's %3 px: it spills over.",
     "見出し「%1」の幅はおよそ %2 ピクセル（推定: 1 バイト文字 8、2 バイト文字 16 "
     "ピクセル）で、ボタンの幅 %3 ピクセルからはみ出します。"},
    {F_TITLE_WIDE, "title-wide",
     "The caption \"%1\" is about %2 px wide (an estimate), more than the %3 px it has.",
     "見出し「%1」の幅はおよそ %2 ピクセル（推定）で、使える %3 ピクセルを超えます。"},
    {F_NAME_CASE, "name-case",
     "%1 is written in another case than the file's own name; Windows finds it all the "
     "same.",
     "%1 の大文字と小文字がファイル名と違います。Windows では見つかります。"},
    {F_ISO_LEVEL1, "iso-level1",
     "This is no ISO 9660 level 1 %1 name (%2): without Joliet the disc shows another name.",
     "ISO 9660 レベル 1 の%1名（%2）ではありません。Joliet なしで読むと別の名前になります。"},
    {F_JOLIET_LONG, "joliet-long",
     "The name is %1 characters long; Joliet allows 64.",
     "名前が %1 文字あります。Joliet では 64 文字までです。"},
    {F_ISO_DEPTH, "iso-depth",
     "This directory lies deeper than the eight levels ISO 9660 allows.",
     "このディレクトリは ISO 9660 で許される 8 階層より深くにあります。"},
    {F_PALETTE_FAR, "palette-far",
     "On 256-colour displays its colours shift: on average %1, at most %2 (RGB distance) "
     "from the background's palette.",
     "256 色の画面では色がずれます。背景のパレットから平均 %1、最大 %2（RGB の距離）"
     "離れています。"},
    {F_NO_MENU_EXE, "no-menu-exe",
     "MENU.EXE is not in the folder yet (scripts/disc.sh adds it).",
     "MENU.EXE はまだフォルダーにありません（scripts/disc.sh が追加します）。"},
    {F_NO_AUTORUN, "no-autorun",
     "There is no autorun.inf: the menu does not start by itself when the disc is inserted.",
     "autorun.inf がありません。ディスクを入れてもメニューは自動で起動しません。"},
    {F_W9X_COORDINATES, "w9x-coordinates",
     "On the surface it spans %1, beyond -32768 to 32767: Windows 95, 98 and Me draw in "
     "16-bit coordinates and would draw it elsewhere than where its clicks are taken.",
     "画面上の範囲 %1 が -32768〜32767 を超えています。Windows 95/98/Me は 16 ビットの座標で"
     "描くため、クリックを受ける場所とは別の場所に描かれます。"},
    {F_W9X_MASKS, "w9x-masks",
     "Its bit-field masks (red %1, green %2, blue %3) are none of 5-5-5, 5-6-5 or 8-8-8: "
     "Windows 95, 98 and Me do not draw it.",
     "ビットフィールドのマスク（赤 %1、緑 %2、青 %3）が 5-5-5、5-6-5、8-8-8 のどれでもありません。"
     "Windows 95/98/Me では描かれません。"},
    {F_W9X_BITMAP_SIZE, "w9x-bitmap-size",
     "Drawn on a 32-bit display it makes a bitmap of %1 bytes, over the 16 MB that "
     "Windows 95, 98 and Me allow a bitmap: there it is not drawn.",
     "32 ビットの画面で描くと %1 バイトのビットマップになり、Windows 95/98/Me の上限 16 MB を"
     "超えます。そこでは描かれません。"},
    {F_W9X_PROFILE_SIZE, "w9x-profile-size",
     "MENU.DAT is %1 bytes, over the 64 KB (65536 bytes) that Windows 95, 98 and Me read of a "
     "profile file: keys past that may never be read there.",
     "MENU.DAT は %1 バイトあり、Windows 95/98/Me が設定ファイルを読む上限 64 KB（65536 バイト）を"
     "超えています。それより後のキーはそこでは読まれないことがあります。"},
    {F_BELOW_ROOT, "below-root",
     "%1 lies one folder down, in %2: is that the folder meant? Windows reads autorun.inf "
     "only at the disc's root, and MENU.EXE reads MENU.DAT only from its own folder.",
     "%1 は 1 つ下のフォルダー %2 にあります。指定するフォルダーは %2 ではありませんか。"
     "Windows は autorun.inf をディスクのルートでしか読まず、MENU.EXE は MENU.DAT を"
     "自分のフォルダーからしか読みません。"},
    {F_AUTORUN_ENCODING, "autorun-encoding",
     "autorun.inf is %1: Windows 95, 98 and Me read it in the system's code page, and a "
     "byte-order mark spoils its first line. Save it as Shift-JIS (or plain ASCII).",
     "autorun.inf が %1 です。Windows 95/98/Me はシステムのコードページで読み、バイト順マークが"
     "あると 1 行目が正しく読まれません。Shift-JIS（または ASCII だけ）で保存してください。"},
    {F_AUTORUN_NO_SECTION, "autorun-no-section",
     "autorun.inf has no [autorun] section: Windows reads nothing of it.",
     "autorun.inf に [autorun] セクションがありません。Windows はこのファイルを何も読みません。"},
    {F_AUTORUN_NO_OPEN, "autorun-no-open",
     "autorun.inf has neither open= nor shellexecute=: the menu does not start when the disc "
     "is inserted.",
     "autorun.inf に open= も shellexecute= もありません。ディスクを入れてもメニューは起動しません。"},
    {F_AUTORUN_MISSING, "autorun-missing",
     "%1 is not on the disc: nothing starts. Names count from the disc's root.",
     "%1 がディスクにありません。何も起動しません。名前はディスクのルートから数えます。"},
    {F_AUTORUN_OFF_DISC, "autorun-off-disc",
     "%1 names another drive: the disc cannot be sure it is there.",
     "%1 は別のドライブを指しています。そこにあるとは限りません。"},
    {F_AUTORUN_OPEN_DOCUMENT, "autorun-open-document",
     "open= starts programs only; the document %1 needs shellexecute= instead.",
     "open= はプログラムしか起動しません。文書 %1 を開くには shellexecute= を使ってください。"},
    {F_AUTORUN_NOT_8_3, "autorun-not-8-3",
     "%1 is no 8.3 name: Windows finds it by its Joliet name, but a system that reads only "
     "ISO 9660 names sees another one.",
     "%1 は 8.3 形式の名前ではありません。Windows は Joliet の名前で見つけますが、ISO 9660 の"
     "名前しか読まないシステムでは別の名前になります。"},
    {F_AUTORUN_ICON, "autorun-icon",
     "The icon file %1 is not on the disc: Windows shows the drive's own icon.",
     "アイコンのファイル %1 がディスクにありません。ドライブの標準のアイコンが表示されます。"},
    {F_AUTORUN_LABEL_LONG, "autorun-label-long",
     "The label has %1 characters: Windows shows at most %2.",
     "ラベルは %1 文字です。Windows が表示するのは %2 文字までです。"},
    {F_AUTORUN_LABEL_CODE, "autorun-label-code",
     "The label \"%1\" is not Shift-JIS (code page 932): Japanese Windows shows it garbled.",
     "ラベル「%1」が Shift-JIS（コードページ 932）ではありません。日本語の Windows では"
     "文字化けします。"},
    {F_AUTORUN_USEAUTOPLAY, "autorun-useautoplay",
     "UseAutoPlay takes open= and shellexecute= away: Windows XP ignores them and Vista and "
     "later do not offer them, so the menu never starts by itself.",
     "UseAutoPlay があると open= と shellexecute= が使われません。Windows XP は無視し、"
     "Vista 以降は選択肢に出さないため、メニューは自動で起動しません。"},
    {F_AUTORUN_CD_IGNORES, "autorun-cd-ignores",
     "%1 is read only from USB drives and hard disks (Windows XP SP2 and later), never from "
     "a CD or DVD.",
     "%1 は USB ドライブやハードディスクでだけ読まれ（Windows XP SP2 以降）、CD や DVD では"
     "読まれません。"},
    {F_AUTORUN_UNKNOWN_KEY, "autorun-unknown-key",
     "%1 is no key Windows reads in autorun.inf; it has no effect.",
     "%1 は Windows が autorun.inf で読むキーではなく、効果はありません。"},
    {F_WALK_CUT, "walk-cut",
     "Only the first %1 files and folders were looked at for their names.",
     "名前を確認したのは最初の %1 個のファイルとフォルダーだけです。"},
};

// Words that findings pass as codes.
struct Word {
    const char* code;
    const char* en;
    const char* ja;
};

static const Word words[] = {
    {"program", "a program started directly", "直接起動するプログラム"},
    {"document", "a document opened through its type", "関連付けで開く文書"},
    {"file", "file", "ファイル"},
    {"directory", "directory", "ディレクトリ"},
    {"exit", "exit button", "終了ボタン"},
    {"previous", "previous-group arrow", "前へ矢印"},
    {"next", "next-group arrow", "次へ矢印"},
    {"tab1", "page tab 1", "ページタブ 1"},
    {"tab2", "page tab 2", "ページタブ 2"},
    {"tab3", "page tab 3", "ページタブ 3"},
    {"tab4", "page tab 4", "ページタブ 4"},
    {"tab5", "page tab 5", "ページタブ 5"},
    {"slot1", "entry slot 1", "エントリ欄 1"},
    {"slot2", "entry slot 2", "エントリ欄 2"},
    {"slot3", "entry slot 3", "エントリ欄 3"},
    {"slot4", "entry slot 4", "エントリ欄 4"},
    {"slot5", "entry slot 5", "エントリ欄 5"},
    {"counter", "page counter", "ページカウンター"},
};

struct Reason {
    PictureReason reason;
    const char* name;
    const char* en;
    const char* ja;
};

static const Reason reasons[] = {
    {PICTURE_OK, "ok", "it is drawn", "表示されます"},
    {PICTURE_NOT_FOUND, "not-found", "the file is not on the disc",
     "ファイルがディスクにありません"},
    {PICTURE_OFF_DISC, "off-disc", "it is on another drive", "別のドライブにあります"},
    {PICTURE_SHORT_HEADER, "short-header", "the file is shorter than a BMP file header",
     "BMP のファイルヘッダーより短いファイルです"},
    {PICTURE_NOT_BM, "not-bmp", "it does not start with \"BM\": it is no BMP file",
     "「BM」で始まらず、BMP ファイルではありません"},
    {PICTURE_BAD_SIZE, "bad-size", "the file size in its header is impossible (or over 64 MB)",
     "ヘッダーのファイルサイズが不正です（または 64 MB を超えています）"},
    {PICTURE_TRUNCATED, "truncated", "the file is shorter than its header says",
     "ファイルがヘッダーに書かれたサイズより短いです"},
    {PICTURE_HEADER, "header",
     "its bitmap header size is impossible (under 16 bytes, or past the end of the file)",
     "ビットマップヘッダーのサイズが不正です（16 バイト未満か、ファイルの終わりを越えています）"},
    {PICTURE_FORMAT, "format",
     "its bit count and compression are not drawn (1, 4, 8 or 24 bits; 16 or 32 with an "
     "info header; RLE with its size stated in a header of 24 bytes or more)",
     "ビット数と圧縮形式が表示できない組み合わせです（1、4、8、24 ビット、情報ヘッダー付き"
     "の 16、32 ビット、24 バイト以上のヘッダーにサイズを記した RLE）"},
    {PICTURE_DIMENSIONS, "dimensions", "its width or height is 0 or over 65535",
     "幅か高さが 0 か 65535 を超えています"},
    {PICTURE_TOP_DOWN_RLE, "top-down-rle", "it is compressed and stored top-down",
     "圧縮されていて上から下の順に格納されています"},
    {PICTURE_TABLE, "colour-table", "its colour table runs past the end of the file",
     "カラーテーブルがファイルの終わりを越えています"},
    {PICTURE_BITS, "pixels", "its pixels run past the end of the file",
     "画素データがファイルの終わりを越えています"},
    {PICTURE_REFUSED, "refused", "the menu's reader refuses it",
     "メニューの読み込み処理が受け付けません"},
};

static const char* const labels[LABEL_COUNT][2] = {
    {"menucheck: %1 (disc drive %2:)", "menucheck: %1（ディスクのドライブ %2:）"},
    {"MENU.DAT: %1, %2 bytes", "MENU.DAT: %1、%2 バイト"},
    {"MENU.DAT: missing", "MENU.DAT: ありません"},
    {"Start screen", "開始画面"},
    {"Page %1 [%2] \"%3\", entries: %4", "ページ %1 [%2]「%3」: エントリ %4 個"},
    {"Page %1 [%2]: the section does not exist", "ページ %1 [%2]: セクションがありません"},
    {"Group %1 of %2", "グループ %1/%2"},
    {"Slot %1: entry %4 [%2] \"%3\"", "欄 %1: エントリ %4 [%2]「%3」"},
    {"Button %1 \"%2\" at %3", "ボタン %1「%2」 位置 %3"},
    {"picture %1", "画像 %1"},
    {"built-in picture", "組み込みの画像"},
    {"not drawn", "表示されません"},
    {"caption %1", "文字色 %1"},
    {"click: starts nothing", "クリック: 何も起動しません"},
    {"click: starts \"%1\" in %2", "クリック: %2 で「%1」を起動"},
    {"click: opens %1 through its document type (arguments \"%2\") in %3",
     "クリック: %3 で %1 を関連付けで開く（引数「%2」）"},
    {"expanded: %1", "展開後: %1"},
    {"on the disc: %1", "ディスク上: %1"},
    {"not on the disc: left to Windows' own folders", "ディスクにはありません（Windows 側で探されます）"},
    {"not found", "見つかりません"},
    {"Decoration %1: %2 at %3", "装飾 %1: %2 位置 %3"},
    {"no decorations", "装飾なし"},
    {"Pictures on 256-colour displays (RGB distance to the background's palette)",
     "256 色の画面での画像（背景のパレットまでの RGB の距離）"},
    {"%1 %2: mean %3, max %4", "%1 %2: 平均 %3、最大 %4"},
    {"no palette given", "パレットが指定されていません"},
    {"Findings", "指摘"},
    {"No findings.", "指摘はありません。"},
    {"line %1", "%1 行目"},
    {"%1 error(s), %2 warning(s), %3 note(s)", "エラー %1 件、警告 %2 件、注記 %3 件"},
    {"error", "エラー"},
    {"warning", "警告"},
    {"note", "注記"},
    {"No page tab is enabled.", "有効なページタブはありません。"},
    {"On Windows, MENU.EXE on this disc shows the full menu with its pictures.",
     "Windows では、このディスクの MENU.EXE が絵の付いたメニューをすべて表示します。"},
    {"Pages", "ページ"},
    {"No entries.", "項目はありません。"},
    {"A program: it runs on Windows.", "プログラムです。Windows で動きます。"},
    {"Opens with %1 of Windows.", "Windows の %1 で開きます。"},
    {"Starts nothing.", "何も起動しません。"},
    {"Not on this disc.", "このディスクにはありません。"},
};

Language languageFromLocale(const char* lcAll, const char* lcMessages, const char* lang)
{
    const char* chosen = lcAll && lcAll[0] ? lcAll
                         : lcMessages && lcMessages[0] ? lcMessages
                                                       : lang;
    return chosen && chosen[0] == 'j' && chosen[1] == 'a' ? LANGUAGE_JA : LANGUAGE_EN;
}

static const FindingMessage* messageOf(FindingCode code)
{
    for (size_t i = 0; i < sizeof findingMessages / sizeof findingMessages[0]; i++)
        if (findingMessages[i].code == code)
            return &findingMessages[i];
    return 0;
}

const char* findingName(FindingCode code)
{
    const FindingMessage* m = messageOf(code);
    return m ? m->name : "unknown";
}

const char* severityName(Severity severity)
{
    return severity == FINDING_ERROR ? "error" : severity == FINDING_WARNING ? "warning" : "note";
}

static const char* wordFor(const char* code, Language language)
{
    for (size_t i = 0; i < sizeof words / sizeof words[0]; i++)
        if (strcmp(words[i].code, code) == 0)
            return language == LANGUAGE_JA ? words[i].ja : words[i].en;
    return code;
}

static const Reason* reasonOf(PictureReason reason)
{
    for (size_t i = 0; i < sizeof reasons / sizeof reasons[0]; i++)
        if (reasons[i].reason == reason)
            return &reasons[i];
    return &reasons[sizeof reasons / sizeof reasons[0] - 1];
}

const char* pictureReasonText(PictureReason reason, Language language)
{
    const Reason* r = reasonOf(reason);
    return language == LANGUAGE_JA ? r->ja : r->en;
}

const char* pictureReasonName(PictureReason reason)
{
    return reasonOf(reason)->name;
}

const char* labelText(Label label, Language language)
{
    return labels[label][language == LANGUAGE_JA ? 1 : 0];
}

void formatText(char* out, size_t size, const char* text, const char* a1, const char* a2,
                const char* a3, const char* a4)
{
    if (!out || size == 0)
        return;
    const char* args[4] = {a1, a2, a3, a4};
    size_t used = 0;
    for (const char* p = text; *p && used + 1 < size; p++) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '4') {
            const char* a = args[p[1] - '1'];
            a = a ? a : "";
            size_t n = strlen(a);
            if (used + n + 1 > size)
                n = size - 1 - used;
            memcpy(out + used, a, n);
            used += n;
            p++;
            continue;
        }
        out[used++] = *p;
    }
    out[used] = 0;
    // A cut argument must not leave half a UTF-8 character.
    char copy[8192];
    if (used < sizeof copy) {
        memcpy(copy, out, used + 1);
        copyUtf8(out, size, copy);
    }
}

void findingText(const Finding* f, Language language, char* out, size_t size)
{
    const FindingMessage* m = messageOf(f->code);
    if (!m) {
        formatText(out, size, "?", 0, 0, 0, 0);
        return;
    }
    const char* a[FINDING_ARGS];
    for (int i = 0; i < FINDING_ARGS; i++)
        a[i] = f->args[i];
    // Words passed as codes, and the picture's reason, in the reader's language.
    if (f->code == F_SEVERAL_DOTS)
        a[2] = wordFor(f->args[2], language);
    if (f->code == F_OVER_CONTROL)
        a[0] = wordFor(f->args[0], language);
    if (f->code == F_ISO_LEVEL1) {
        a[0] = wordFor(f->args[0], language);
        a[1] = strcmp(f->args[0], "directory") == 0
                   ? (language == LANGUAGE_JA ? "英大文字・数字・_ の 8 文字まで、拡張子なし"
                                              : "up to 8 of A-Z, 0-9 and _, no extension")
                   : (language == LANGUAGE_JA ? "英大文字・数字・_ で 8.3 形式"
                                              : "8.3, of A-Z, 0-9 and _");
    }
    if (f->code == F_PICTURE_UNREADABLE || f->code == F_BUTTON_PICTURE)
        a[1] = pictureReasonText((PictureReason)atoi(f->args[1]), language);
    formatText(out, size, language == LANGUAGE_JA ? m->ja : m->en, a[0], a[1], a[2], a[3]);
}

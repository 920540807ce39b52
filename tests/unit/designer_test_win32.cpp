// What the designer tells when Windows' own profile reader reads the file
// otherwise than the designer's editor: a UTF-8 file with a byte-order
// mark, which the system turns into Shift-JIS as it reads.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tools/designer/document.h"
#include "tools/designer/edit.h"
#include "support.h"

namespace {

TEST(DesignerReaderWin32, LinesTheSystemReadsOtherwiseAreTold)
{
    const struct {
        const char* name;
        std::string bytes;
        std::vector<int> lines;
    } cases[] = {
        // The system turns UTF-8 into Shift-JIS; the file's bytes are UTF-8.
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF[MENU]\r\nPage1=A\r\n[A]\r\nTitle=\xE8\xA1\xA8\r\n",
         {4}},
        {"UTF-8 without a mark", "[MENU]\r\nPage1=A\r\n[A]\r\nTitle=\xE8\xA1\xA8\r\n", {}},
        {"plain Shift-JIS", "[MENU]\r\nPage1=A\r\n[A]\r\nTitle=\x95\x5C\r\n", {}},
    };
    std::string dir = tempFolder("designerw");
    for (const auto& c : cases) {
        ASSERT_TRUE(writeFile(dir, "COPY.DAT", c.bytes)) << c.name;
        MenuDocument doc = MenuDocument();
        docOpen(&doc, c.bytes.data(), c.bytes.size());
        std::string path = hostPath(dir, "COPY.DAT");
        // Windows keeps profiles cached; an all-null write lets go of them.
        WritePrivateProfileStringA(NULL, NULL, NULL, path.c_str());
        EXPECT_EQ(c.lines, readerDifferences(&doc, path.c_str())) << c.name;
        docClose(&doc);
    }
}

}  // namespace

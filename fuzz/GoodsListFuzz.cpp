// The register's goods list (the response of TowarMax), read as the goods list page reads it and converted for
// the window as the page converts it.
#include "FuzzSupport.h"
#include "util/Cp1250.h"
#include "util/MyUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz::ScratchDir() + "/TowarMax.out";
    fuzz::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        fuzz::Fail("an existing response could not be read");
    for (const std::string& line : lines) {
        if (line.find('\n') != std::string::npos)
            fuzz::Fail("a line holds a line feed");
        const std::string shown = Win1250ToUtf8(line);
        if (Utf8ToWin1250(shown).size() != line.size())
            fuzz::Fail("a line changed its length on the way to the window and back");
    }
    return 0;
}

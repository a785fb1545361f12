// The result texts "koment.txt" (one line per code: the code padded with blanks to three characters, a tab, the
// text), read as the program reads them at start-up, and the announcement text of every result code.
#include "FuzzSupport.h"
#include "app/ConstUnit.h"
#include "exchange/FmElzab.h"
#include "util/MyUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz::ScratchDir() + "/koment.txt";
    fuzz::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
    ResultTexts.clear();
    if (!ReadLines(path, ResultTexts))
        fuzz::Fail("an existing koment.txt could not be read");
    static TfmE module;
    for (unsigned code = 0; code <= 255; ++code) {
        const std::string text = module.ResultText(code);
        if (text.find('\n') != std::string::npos)
            fuzz::Fail("a result text spans lines: code " + std::to_string(code));
    }
    return 0;
}

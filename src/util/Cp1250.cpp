#include "util/Cp1250.h"

#include <cerrno>
#include <iconv.h>

namespace
{

// Length of the UTF-8 sequence introduced by a lead byte; 1 for bytes that cannot start one.
size_t Utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    return 1;
}

std::string Convert(const std::string& text, const char* to, const char* from, bool sourceIsUtf8)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return text; // glibc always has both code pages; without them the bytes are passed on unchanged
    std::string result;
    result.reserve(text.size() * 2);
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        result.append(buffer, out - buffer);
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ (unmappable or malformed) or EINVAL (cut-off sequence at the end): one "?" for the character.
        result += '?';
        size_t skip = sourceIsUtf8 ? Utf8SequenceLength(static_cast<unsigned char>(*in)) : 1;
        if (errno == EINVAL || skip > inLeft)
            skip = inLeft;
        // A malformed sequence is skipped only up to the first byte that is not a continuation byte.
        if (sourceIsUtf8) {
            size_t valid = 1;
            while (valid < skip && (static_cast<unsigned char>(in[valid]) & 0xC0) == 0x80)
                ++valid;
            skip = valid;
        }
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return result;
}

} // namespace

std::string Win1250ToUtf8(const std::string& text)
{
    return Convert(text, "UTF-8", "CP1250", false);
}

std::string Utf8ToWin1250(const std::string& text)
{
    return Convert(text, "CP1250", "UTF-8", true);
}

bool IsUtf8WithLetters(std::string_view text)
{
    bool beyondAscii = false;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        else
            return false;
        if (i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        beyondAscii = true;
        i += length;
    }
    return beyondAscii;
}

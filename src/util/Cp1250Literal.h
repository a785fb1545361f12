#pragma once
// Polish text written readably in the source and stored as Windows-1250 bytes, the program's inner encoding:
//
//     Komunikat("Nie można zapisać pliku "_cp + path, true);
//
// The source file is UTF-8; the operator below converts the literal at compile time and yields a pointer to a
// zero-terminated Windows-1250 string with static storage. A character that Windows-1250 lacks, or a malformed
// UTF-8 sequence, stops the build: a constant expression may not reach a throw.
//
// The operator is a string literal operator template over the literal's characters (a GNU extension that g++ and
// clang share). A template over one object holding the whole literal would be standard C++20, but clang 14
// crashes when a diagnostic note prints such a literal, which it does while it tries out the constant
// initialization of, for example, a std::vector built from an initializer list.
#include <cstddef>
#include <type_traits>
#include <utility>

namespace cp1250
{

// Unicode code points of the bytes 0x80..0xFF of Windows-1250; 0 where the code page has no character.
inline constexpr char32_t UpperHalf[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021, 0,      0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0,      0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

consteval char ByteOf(char32_t codePoint)
{
    if (codePoint < 0x80)
        return static_cast<char>(codePoint);
    for (int i = 0; i < 128; ++i)
        if (UpperHalf[i] == codePoint)
            return static_cast<char>(0x80 + i);
    throw "character not in Windows-1250";
}

// The converted text of one literal; never longer than its UTF-8 source.
template <std::size_t N> struct Converted {
    char bytes[N]{};
    std::size_t length = 0; // without the terminating zero
};

template <std::size_t N> consteval Converted<N> Convert(const char (&utf8)[N])
{
    Converted<N> result;
    for (std::size_t in = 0; in + 1 < N;) {
        const auto lead = static_cast<unsigned char>(utf8[in]);
        char32_t codePoint = 0;
        std::size_t length = 1;
        if (lead < 0x80)
            codePoint = lead;
        else if ((lead & 0xE0) == 0xC0)
            codePoint = lead & 0x1F, length = 2;
        else if ((lead & 0xF0) == 0xE0)
            codePoint = lead & 0x0F, length = 3;
        else
            throw "malformed UTF-8 in a Polish literal";
        if (in + length >= N)
            throw "cut-off UTF-8 sequence in a Polish literal";
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[in + k]);
            if ((next & 0xC0) != 0x80)
                throw "malformed UTF-8 in a Polish literal";
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        result.bytes[result.length++] = ByteOf(codePoint);
        in += length;
    }
    return result;
}

// The converted bytes as a static array of their own.
template <char... Bytes> struct Stored {
    static constexpr char value[] = {Bytes..., '\0'};
};

template <char... Utf8> struct Literal {
    static constexpr char source[] = {Utf8..., '\0'};
    static constexpr Converted<sizeof source> converted = Convert(source);

    template <std::size_t... I> static consteval const char* Bytes(std::index_sequence<I...>)
    {
        return Stored<converted.bytes[I]...>::value;
    }
};

} // namespace cp1250

#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wgnu-string-literal-operator-template"
#endif

// "Zapisano parametry ogólne"_cp: the Windows-1250 bytes of a UTF-8 literal, converted while compiling.
template <typename Char, Char... Utf8> consteval const char* operator""_cp()
{
    static_assert(std::is_same_v<Char, char>, "_cp takes a plain (UTF-8) string literal");
    using Text = cp1250::Literal<Utf8...>;
    return Text::Bytes(std::make_index_sequence<Text::converted.length>{});
}

#if defined(__clang__)
#pragma clang diagnostic pop
#endif

#include "util/IniFile.h"

#include "util/Cp1250.h"
#include "util/MyUtil.h"

namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Strip(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Key(std::string_view section, std::string_view key)
{
    return UpperCase1250(std::string(Strip(section))) + '\n' + UpperCase1250(std::string(Strip(key)));
}

} // namespace

IniFile::IniFile(const std::string& path)
{
    std::string text;
    if (ReadWholeFile(path, text))
        Parse(text);
}

IniFile IniFile::FromText(std::string_view text)
{
    IniFile ini;
    ini.Parse(text);
    return ini;
}

std::string IniFile::Read(const std::string& section, const std::string& key, const std::string& defaultValue) const
{
    const auto it = values_.find(Key(section, key));
    return it == values_.end() ? defaultValue : it->second;
}

void IniFile::Parse(std::string_view text)
{
    // Keys above the first section header belong to a section without a name.
    sections_.insert(std::string());
    // A file saved as UTF-8 (with the mark some editors put at its start, or without it but with letters in UTF-8)
    // is read in Windows-1250, as every text of the program is. A Windows-1250 file stays as it is: its Polish letters
    // are never valid UTF-8.
    std::string converted;
    const bool marked = text.substr(0, 3) == "\uFEFF"; // the UTF-8 byte-order mark
    if (marked)
        text.remove_prefix(3);
    if (marked || IsUtf8WithLetters(text)) {
        converted = Utf8ToWin1250(std::string(text));
        text = converted;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        ParseLine(text.substr(start, end - start));
        start = end;
        if (start < text.size() && text[start] == '\r')
            ++start;
        if (start < text.size() && text[start] == '\n')
            ++start;
    }
}

void IniFile::ParseLine(std::string_view line)
{
    line = Strip(line);
    if (line.empty() || line.front() == ';')
        return;
    if (line.front() == '[') {
        const size_t close = line.rfind(']');
        if (close != std::string_view::npos) {
            section_ = std::string(Strip(line.substr(1, close - 1)));
            // Only the first section of a name is read, as the Windows reader finds no further ones.
            taking_ = sections_.insert(UpperCase1250(section_)).second;
            return;
        }
    }
    const size_t equals = line.find('=');
    if (!taking_ || equals == std::string_view::npos)
        return;
    std::string_view value = Strip(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    values_.emplace(Key(section_, line.substr(0, equals)), std::string(value));
}

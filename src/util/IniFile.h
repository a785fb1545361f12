#pragma once
// An INI file read by the rules of the Windows INI reader, which the shop's configuration files are written for:
//   - a line whose first non-blank character is ";" is a comment; a ";" anywhere else belongs to the text
//     ("HLDS=tajne ;haslo" gives "tajne ;haslo"); a line starting with "#" is an ordinary line;
//   - "[name]" starts a section; "key=value" lines belong to the section above them; lines without "=" say
//     nothing; blanks around the section name, the key and the value do not count, nor do indents;
//   - one pair of quotes (" or ') around the whole value is removed;
//   - lines are read whole, whatever their length, ended by CR LF, LF or CR; a UTF-8 mark at the start is skipped;
//   - sections and keys are matched without regard to letter case (Windows-1250 letters included); when a
//     section or a key appears twice, the first one counts.
// Texts are taken as bytes (Windows-1250); nothing is ever written back.
#include <map>
#include <set>
#include <string>
#include <string_view>

class IniFile
{
public:
    IniFile() = default;
    // A missing or unreadable file reads as an empty one.
    explicit IniFile(const std::string& path);
    static IniFile FromText(std::string_view text);

    // The value of the key, or the default when the section or the key is missing.
    std::string Read(const std::string& section, const std::string& key, const std::string& defaultValue = {}) const;

private:
    void Parse(std::string_view text);
    void ParseLine(std::string_view line);

    std::map<std::string, std::string> values_; // upper-case section + "\n" + upper-case key
    std::set<std::string> sections_;            // upper-case names of the sections seen
    std::string section_;                       // the section being read; its lines count while taking_
    bool taking_ = true;
};

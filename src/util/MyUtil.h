#pragma once
// Text, number, date and file helpers shared by every module, and the work history logger. All texts are
// 8-bit Windows-1250 strings; positions are 1-based.
#include "DateTime.h"
#include "Decimal.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

// Raised by LeadingInt for a run such as "-" or "1-2"; reaches the application's error handler.
class ConversionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// ---- padding and cutting
std::string PadRight(const std::string& text, int width, const std::string& fill);
std::string PadLeft(const std::string& text, int width, const std::string& fill);
std::string IntToStrPad(int64_t value, int width, const std::string& fill);
std::string TextBefore(const std::string& separator, const std::string& text);
std::string TailFrom(const std::string& text, int position);
std::string DropLast(const std::string& text, int count);
// Removes every character of code 32 or less at both ends.
std::string Trim(const std::string& text);
// Removes the blanks (code 32 only) at the right end, or at both ends.
std::string TrimBlanksRight(const std::string& text);
std::string TrimBlanks(const std::string& text);
// True for a text of one or more of the digits 0 to 9 and nothing else.
bool AllDigits(const std::string& text);
// Upper and lower case in the Windows-1250 alphabet, Polish letters included; independent of the locale.
std::string UpperCase1250(const std::string& text);
std::string LowerCase1250(const std::string& text);
// Upper case of the letters a to z only.
std::string UpperAscii(const std::string& text);

// ---- delimited text
std::string ListItem(const std::string& text, int n, const std::string& separator);
std::string TabField(const std::string& line, int n);
int ListIndex(const std::string& value, const std::string& list, const std::string& separators);
std::string LookupLine(const std::string& key, const std::vector<std::string>& lines, bool prefixMode);
int ComboIndexOf(const std::string& key, const std::vector<std::string>& items, bool prefixMode);

// ---- numbers and dates
int64_t LeadingInt(const std::string& text); // throws ConversionError
double TextToFloat(const std::string& text, double defaultValue);
std::string DateText(const Date& date); // yyyymmdd
// Number pictures: "#" optional digit, "0" required digit, "." decimal point, blank a literal written only
// where a digit stands to its left. Halves round away from zero. FormatFloat("## ##0.00", 1234.5) = "1 234.50".
std::string FormatFloat(const std::string& picture, double value);
std::string FormatFloat(const std::string& picture, const Decimal& value); // exact

// ---- SQL literals (apostrophes are doubled, as standard SQL wants)
std::string SqlQuoteItem(const std::string& value, bool last);
std::string SqlQuote(const std::string& value);
std::string SqlIntItem(int64_t value, bool last);
std::string SqlInt(int64_t value);

// ---- directories and files
// Creates the directory with its parents; false when it is not a directory afterwards (EnsureDirReporting in
// util/SafeFile.h also tells why).
bool EnsureDir(const std::string& path);
std::string AddPathSeparator(const std::string& path, const std::string& separator = "");
// Masks use "*" and "?" and match names without regard to letter case. CountFiles counts regular files that
// are not hidden; an empty directory means the mask carries the path. ListFiles appends directory + name of
// every entry that is not a directory, hidden ones included, sorted by name, and returns the list's size.
int CountFiles(const std::string& directory, const std::string& mask);
int ListFiles(std::vector<std::string>& list, const std::string& directory, const std::string& mask);
// The entry of `directory` whose name equals `name` ignoring letter case (A-Z), as directory + "/" + that entry's
// real name; directory + "/" + name when there is none. An exact match is preferred; no "/" is doubled when the
// directory already ends with one; an empty directory means the current one and gives the bare name. A name of
// several parts ("in/ZTowar.in") is resolved part by part. Existing files keep their own spelling.
std::string FindCaseless(const std::string& directory, const std::string& name);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Whole file as bytes; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content);
// Lines of a text file, CR LF or LF ended, without their line ends; false when it cannot be read.
bool ReadLines(const std::string& path, std::vector<std::string>& lines);
void SaveText(const std::string& text, const std::string& path);
// Copies without overwriting: false when the target exists or the copy failed.
bool CopyFileNoOverwrite(const std::string& source, const std::string& target);

// A text file opened by OpenTextFile: mode 0 append (the file must exist), 1 read, 2 write a new or emptied file.
struct TextFile {
    std::FILE* handle = nullptr;
    std::string path;
    bool failed = false;
    TextFile() = default;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    ~TextFile();
};
bool OpenTextFile(const std::string& path, int mode, TextFile& file);
bool WriteTextLine(const std::string& line, TextFile& file); // line + CR LF
bool CloseTextFile(TextFile& file);

// ---- screen and library buffers
int LineHeightForFontSize(int points);
// Copies text and a zero byte into the 256-byte buffer, filling all of it. A text of 256 bytes or more is
// refused: false, and the buffer holds an empty text.
bool ToCharBuffer(const std::string& text, char (&buffer)[256]);

// ---- work history logger
class TMyEcho
{
public:
    void Init(const std::string& directory, const std::string& fileName, const std::string& tag, bool withoutTime,
              bool withoutDate);
    // Appends one line (CR LF ended), creating the file when needed. Never raises; false when the line was not
    // written, with the reason in Problem (in the system's words).
    bool Echo(const std::string& message);

    std::string LineTag;
    bool WithTime = false;
    bool WithDate = false;
    std::string FileName;
    std::string Problem; // why the last line was not written; empty after a line that was
};

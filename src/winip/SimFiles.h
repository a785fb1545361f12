#pragma once
// File helpers of the register simulator: bounded reads, whole-file writes that never leave half a file, and the
// splitting of text into lines and tab fields. Nothing here throws on bad input.
#include <cstddef>
#include <string>
#include <vector>

namespace winip
{

enum class ReadStatus { Ok, CannotOpen, TooLarge };

// Reads a regular file into `content`, refusing files larger than `limit` bytes.
ReadStatus ReadFileLimited(const std::string& path, std::size_t limit, std::string& content);

// Writes `content` to `path`, replacing it: creation failure and write failure are told apart.
enum class WriteStatus { Ok, CannotCreate, WriteFailed };
WriteStatus WriteWholeFile(const std::string& path, const std::string& content);
// WriteWholeFile through a temporary name beside the file, renamed over it only when complete: a write that fails
// (a full disk, a file-size limit) leaves no partial file under the name.
WriteStatus WriteWholeFileReplacing(const std::string& path, const std::string& content);

// Writes through a temporary file and a rename, so readers see the old or the new content, never a mix.
bool WriteFileAtomic(const std::string& path, const std::string& content);

// Lines split at LF, one trailing CR removed from each; a final line end does not start an empty line.
std::vector<std::string> SplitLines(const std::string& text);
std::vector<std::string> SplitTabs(const std::string& line);

// The name of an entry of `directory` equal to `name` regardless of letter case, or "" when there is none.
std::string FindCaseless(const std::string& directory, const std::string& name);

// Creates the directory and its parents; true when it exists afterwards.
bool MakeDirectories(const std::string& path);
bool IsDirectory(const std::string& path);

// True when the text is not empty and holds only the digits 0-9.
bool AllDigits(const std::string& text);

} // namespace winip

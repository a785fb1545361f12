// Directories, file search, whole-file reading and writing, and the text files of the error report.
#include "util/MyUtil.h"
#include "util/SafeFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace
{

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

// "*" any run of characters, "?" exactly one; letters compared without regard to case.
bool MatchesMask(const std::string& name, const std::string& mask)
{
    size_t n = 0, m = 0;
    size_t starMask = std::string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || FoldAscii(mask[m]) == FoldAscii(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

// Splits "dir/mask" into the directory to search ("." when none) and the name mask.
void SplitMask(const std::string& fullMask, std::string& directory, std::string& mask)
{
    const size_t slash = fullMask.rfind('/');
    if (slash == std::string::npos) {
        directory = ".";
        mask = fullMask;
    } else {
        directory = slash == 0 ? "/" : fullMask.substr(0, slash);
        mask = fullMask.substr(slash + 1);
    }
}

// Names of the entries of a directory, sorted; empty when it cannot be read.
std::vector<std::string> EntryNames(const std::string& directory)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string JoinPath(const std::string& directory, const std::string& name)
{
    if (directory.empty())
        return name;
    return directory.back() == '/' ? directory + name : directory + "/" + name;
}

} // namespace

bool EnsureDir(const std::string& path)
{
    std::string ignored;
    return EnsureDirReporting(path, ignored);
}

std::string AddPathSeparator(const std::string& path, const std::string& separator)
{
    const std::string sep = !separator.empty() ? separator : (path.find('\\') != std::string::npos ? "\\" : "/");
    if (path.empty() || path.back() == ':')
        return path;
    if (path.size() >= sep.size() && path.compare(path.size() - sep.size(), sep.size(), sep) == 0)
        return path;
    return path + sep;
}

int CountFiles(const std::string& directory, const std::string& mask)
{
    const std::string fullMask = directory.empty() ? mask : AddPathSeparator(directory) + mask;
    std::string dir, nameMask;
    SplitMask(fullMask, dir, nameMask);
    int count = 0;
    for (const std::string& name : EntryNames(dir)) {
        if (name.empty() || name[0] == '.' || !MatchesMask(name, nameMask))
            continue;
        std::error_code ec;
        if (fs::is_regular_file(JoinPath(dir, name), ec))
            ++count;
    }
    return count;
}

int ListFiles(std::vector<std::string>& list, const std::string& directory, const std::string& mask)
{
    const std::string prefix = (directory.empty() || directory.back() == '/') ? directory : directory + "/";
    std::string dir, nameMask;
    SplitMask(prefix + mask, dir, nameMask);
    // Entries of a subdirectory named in the mask keep that part in front of their names.
    const std::string maskDir = mask.rfind('/') == std::string::npos ? "" : mask.substr(0, mask.rfind('/') + 1);
    for (const std::string& name : EntryNames(dir)) {
        if (!MatchesMask(name, nameMask))
            continue;
        std::error_code ec;
        if (fs::is_directory(JoinPath(dir, name), ec))
            continue;
        list.push_back(prefix + maskDir + name);
    }
    return static_cast<int>(list.size());
}

std::string FindCaseless(const std::string& directory, const std::string& name)
{
    // A name of several parts ("in/ZTowar.in") is resolved one part at a time.
    const size_t slash = name.find('/');
    if (slash != std::string::npos && slash + 1 < name.size())
        return FindCaseless(FindCaseless(directory, name.substr(0, slash)), name.substr(slash + 1));
    const std::string searched = directory.empty() ? "." : directory;
    std::error_code ec;
    if (fs::exists(JoinPath(searched, name), ec))
        return JoinPath(directory, name);
    for (const std::string& entry : EntryNames(searched))
        if (EqualIgnoringCase(entry, name))
            return JoinPath(directory, entry);
    return JoinPath(directory, name);
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec) && !fs::is_directory(path, ec);
}

bool DirectoryExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool ReadWholeFile(const std::string& path, std::string& content)
{
    content.clear();
    if (!FileExists(path))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines)
{
    lines.clear();
    std::string content;
    if (!ReadWholeFile(path, content))
        return false;
    // Lines end with CR LF, LF or a lone CR; a final line break does not start another line.
    std::string line;
    for (size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return true;
}

void SaveText(const std::string& text, const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

bool CopyFileNoOverwrite(const std::string& source, const std::string& target)
{
    std::error_code ec;
    if (fs::exists(target, ec))
        return false;
    return fs::copy_file(source, target, fs::copy_options::none, ec) && !ec;
}

// ---- text files

TextFile::~TextFile()
{
    if (handle)
        std::fclose(handle);
}

bool OpenTextFile(const std::string& path, int mode, TextFile& file)
{
    if (file.handle) {
        std::fclose(file.handle);
        file.handle = nullptr;
    }
    file.path = path;
    const char* openMode = nullptr;
    switch (mode) {
    case 0:
        // Appending never creates the file.
        openMode = FileExists(path) ? "ab" : nullptr;
        break;
    case 1:
        openMode = "rb";
        break;
    case 2:
        openMode = "wb";
        break;
    default:
        break;
    }
    file.handle = openMode ? std::fopen(path.c_str(), openMode) : nullptr;
    file.failed = file.handle == nullptr;
    return !file.failed;
}

bool WriteTextLine(const std::string& line, TextFile& file)
{
    if (!file.handle)
        return false;
    const std::string data = line + "\r\n";
    const bool ok =
        std::fwrite(data.data(), 1, data.size(), file.handle) == data.size() && std::fflush(file.handle) == 0;
    if (!ok)
        file.failed = true;
    return ok;
}

bool CloseTextFile(TextFile& file)
{
    if (!file.handle)
        return false;
    const bool ok = std::fclose(file.handle) == 0;
    file.handle = nullptr;
    return ok && !file.failed;
}

#include "winip/SimFiles.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace winip
{

namespace
{

// Closes a POSIX file descriptor on every path out.
class Fd
{
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and reports whether the close succeeded (a delayed write error shows up here).
    bool close()
    {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const std::string& content)
{
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

ReadStatus ReadFileLimited(const std::string& path, std::size_t limit, std::string& content)
{
    content.clear();
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return ReadStatus::CannotOpen;
    struct stat st {
    };
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return ReadStatus::CannotOpen;
    if (static_cast<unsigned long long>(st.st_size) > limit)
        return ReadStatus::TooLarge;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ReadStatus::CannotOpen;
        if (n == 0)
            break;
        // The file may grow while it is read: the limit holds for what is actually read.
        if (content.size() + static_cast<std::size_t>(n) > limit)
            return ReadStatus::TooLarge;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    return ReadStatus::Ok;
}

WriteStatus WriteWholeFile(const std::string& path, const std::string& content)
{
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0)
        return WriteStatus::CannotCreate;
    if (!WriteAll(fd.get(), content) || !fd.close())
        return WriteStatus::WriteFailed;
    return WriteStatus::Ok;
}

WriteStatus WriteWholeFileReplacing(const std::string& path, const std::string& content)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string temporary = directory + "." + name + ".tmp";
    const WriteStatus status = WriteWholeFile(temporary, content);
    if (status != WriteStatus::Ok) {
        ::unlink(temporary.c_str());
        return status;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return WriteStatus::WriteFailed;
    }
    return WriteStatus::Ok;
}

bool WriteFileAtomic(const std::string& path, const std::string& content)
{
    const std::string temporary = path + ".tmp";
    if (WriteWholeFile(temporary, content) != WriteStatus::Ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = line.find('\t', start);
        if (end == std::string::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
}

std::string FindCaseless(const std::string& directory, const std::string& name)
{
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr)
        return {};
    std::string found;
    while (dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            // An exact match wins over other spellings of the same name.
            if (found == name)
                break;
        }
    }
    ::closedir(dir);
    return found;
}

bool IsDirectory(const std::string& path)
{
    struct stat st {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectories(const std::string& path)
{
    if (path.empty())
        return false;
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            const std::string part = path.substr(0, pos);
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
    }
    return IsDirectory(path);
}

bool AllDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace winip

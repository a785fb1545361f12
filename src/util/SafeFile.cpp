// Temporary file in the target's folder, checked writes, fsync, then rename (replace) or a move that never
// overwrites. See SafeFile.h.
#include "util/SafeFile.h"
#include "util/Cp1250Literal.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

enum class Placement { Replace, NoOverwrite };

const std::string NotRegularText = "to nie jest zwykły plik"_cp;
const std::string ExistsText = "plik już istnieje"_cp;
const std::string MissingFileText = "brak pliku";

void SplitPath(const std::string& path, std::string& directory, std::string& name)
{
    const size_t slash = path.rfind('/');
    directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path names: a symbolic link to a regular file is followed. False with the reason when the path names
// something that exists and is not a regular file.
bool ResolveTarget(const std::string& path, std::string& target, std::string& reason)
{
    target = path;
    struct stat info {
    };
    if (lstat(path.c_str(), &info) != 0)
        return true; // nothing there yet (a missing folder is reported when the temporary file is made)
    if (S_ISLNK(info.st_mode)) {
        std::error_code ec;
        const fs::path resolved = fs::canonical(path, ec);
        if (ec || stat(resolved.c_str(), &info) != 0) {
            // A link to nothing would be replaced by the file; its target is not known, so it is refused.
            reason = NotRegularText;
            return false;
        }
        target = resolved.string();
    }
    if (!S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? SystemErrorText(EISDIR) : NotRegularText;
        return false;
    }
    return true;
}

// Creates a temporary file beside the target; its descriptor, or -1 with errno set.
int CreateTemporary(const std::string& directory, const std::string& name, std::string& tempPath)
{
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%d.%08llx.tmp", static_cast<int>(getpid()),
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFull));
        tempPath = (directory == "/" ? "" : directory) + "/." + name + suffix;
        // 0666 less the umask: the same rights that a file made with fopen would get.
        const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, const std::string& content)
{
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Moves the temporary file to the target without ever replacing an existing file.
bool MoveNoOverwrite(const std::string& tempPath, const std::string& target)
{
    if (renameat2(AT_FDCWD, tempPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // A file system without RENAME_NOREPLACE: a hard link also fails when the name exists.
    if (link(tempPath.c_str(), target.c_str()) != 0)
        return false;
    unlink(tempPath.c_str());
    return true;
}

// Makes the new name durable; a file system that cannot sync a directory is not an error.
void SyncDirectory(const std::string& directory)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

bool WriteFile(const std::string& path, const std::string& content, Placement placement, bool durable,
               std::string& reason)
{
    reason.clear();
    std::string target;
    if (!ResolveTarget(path, target, reason))
        return false;
    struct stat existing {
    };
    if (placement == Placement::NoOverwrite && lstat(path.c_str(), &existing) == 0) {
        reason = S_ISDIR(existing.st_mode) ? SystemErrorText(EISDIR) : ExistsText;
        return false;
    }
    std::string directory, name;
    SplitPath(target, directory, name);
    if (name.empty()) {
        reason = SystemErrorText(EISDIR);
        return false;
    }
    std::string tempPath;
    const int fd = CreateTemporary(directory, name, tempPath);
    if (fd < 0) {
        reason = SystemErrorText(errno);
        return false;
    }
    bool ok = WriteAll(fd, content) && (!durable || fsync(fd) == 0);
    int error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok) {
        ok = placement == Placement::Replace ? rename(tempPath.c_str(), target.c_str()) == 0
                                             : MoveNoOverwrite(tempPath, target);
        if (!ok)
            error = errno;
    }
    if (!ok) {
        unlink(tempPath.c_str());
        reason = SystemErrorText(error);
        return false;
    }
    if (durable)
        SyncDirectory(directory);
    return true;
}

} // namespace

bool WriteFileReplacing(const std::string& path, const std::string& content, std::string& reason)
{
    return WriteFile(path, content, Placement::Replace, true, reason);
}

bool WriteFileHandedOver(const std::string& path, const std::string& content, std::string& reason)
{
    return WriteFile(path, content, Placement::Replace, false, reason);
}

bool WriteFileNoOverwrite(const std::string& path, const std::string& content, std::string& reason)
{
    return WriteFile(path, content, Placement::NoOverwrite, true, reason);
}

bool CopyToNewFile(const std::string& source, const std::string& target, std::string& reason)
{
    std::FILE* in = std::fopen(source.c_str(), "rb");
    if (!in) {
        reason = "nie można odczytać pliku "_cp + source + " (" + SystemErrorText(errno) + ")";
        return false;
    }
    std::string content;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        content.append(buffer, n);
    const bool readError = std::ferror(in) != 0;
    const int error = errno;
    std::fclose(in);
    if (readError) {
        reason = "nie można odczytać pliku "_cp + source + " (" + SystemErrorText(error) + ")";
        return false;
    }
    return WriteFileNoOverwrite(target, content, reason);
}

bool RenameNoOverwrite(const std::string& from, const std::string& to, std::string& reason)
{
    reason.clear();
    struct stat info {
    };
    if (lstat(from.c_str(), &info) != 0) {
        reason = errno == ENOENT ? MissingFileText : SystemErrorText(errno);
        return false;
    }
    // Without RENAME_NOREPLACE the move links the new name first; the old one must not stay beside it.
    if (!MoveNoOverwrite(from, to) || (lstat(from.c_str(), &info) == 0 && unlink(from.c_str()) != 0)) {
        reason = SystemErrorText(errno);
        return false;
    }
    std::string directory, name;
    SplitPath(to, directory, name);
    SyncDirectory(directory);
    return true;
}

bool EnsureDirReporting(const std::string& path, std::string& reason)
{
    reason.clear();
    if (path.empty()) {
        reason = SystemErrorText(ENOENT);
        return false;
    }
    std::string dir = path;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    std::error_code ec;
    if (fs::is_directory(dir, ec))
        return true;
    fs::create_directories(dir, ec);
    std::error_code checkError; // keeps the reason of the creation
    if (fs::is_directory(dir, checkError))
        return true;
    // A file where a folder must be gives "file exists" or "not a directory"; both are named the same way.
    const int error = ec ? ec.value() : ENOTDIR;
    reason = SystemErrorText(error == EEXIST ? ENOTDIR : error);
    return false;
}

std::string SystemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return "brak miejsca na dysku";
    case EFBIG:
        return "przekroczony dopuszczalny rozmiar pliku (brak miejsca)";
    case EDQUOT:
        return "przekroczony przydział miejsca na dysku"_cp;
    case EACCES:
    case EPERM:
        return "brak uprawnień do zapisu"_cp;
    case EROFS:
        return "dysk tylko do odczytu";
    case ENOTDIR:
        return "w miejscu folderu jest plik";
    case EISDIR:
        return "w miejscu pliku jest folder";
    case ENOENT:
        return "brak folderu";
    case EEXIST:
        return ExistsText;
    case ENAMETOOLONG:
        return "za długa nazwa pliku"_cp;
    case EIO:
        return "błąd wejścia/wyjścia dysku"_cp;
    default:
        return "błąd systemu nr "_cp + std::to_string(error);
    }
}

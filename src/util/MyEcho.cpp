// The work history logger: one line per call, the file opened and closed around each line.
#include "util/MyUtil.h"
#include "util/SafeFile.h"

#include <cerrno>

void TMyEcho::Init(const std::string& directory, const std::string& fileName, const std::string& tag, bool withoutTime,
                   bool withoutDate)
{
    std::string name = fileName;
    if (name.find('.') == std::string::npos)
        name += ".txt";
    FileName = directory.empty() ? name : AddPathSeparator(directory) + name;
    LineTag = tag;
    WithTime = !withoutTime;
    WithDate = !withoutDate;
}

bool TMyEcho::Echo(const std::string& message)
{
    std::string line = message;
    const DateTime now = Now();
    if (WithTime && WithDate)
        line = DateTimeText(now) + ": " + line;
    else if (WithTime)
        line = LongTimeText(now.time) + ": " + line;
    if (!LineTag.empty())
        line = "[" + LineTag + "] " + line;
    line += "\r\n";
    // "ab" appends to an existing file and creates a missing one. A failure raises nothing: the caller is told,
    // and Problem says why.
    errno = 0;
    std::FILE* f = std::fopen(FileName.c_str(), "ab");
    if (!f) {
        Problem = SystemErrorText(errno ? errno : EIO);
        return false;
    }
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    const int writeError = errno;
    const bool closed = std::fclose(f) == 0;
    if (written && closed) {
        Problem.clear();
        return true;
    }
    Problem = SystemErrorText(!written && writeError ? writeError : (errno ? errno : EIO));
    return false;
}

// The work history logger: one line per call, the file opened and closed around each line.
#include "util/MyUtil.h"

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

void TMyEcho::Echo(const std::string& message)
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
    // "ab" appends to an existing file and creates a missing one; every failure is silent.
    std::FILE* f = std::fopen(FileName.c_str(), "ab");
    if (!f)
        return;
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
}

#include "cli/Console.h"

#include "util/Cp1250.h"

#include <cstdio>

namespace cli
{

namespace
{
void Write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}
} // namespace

void PrintLine(const QString& text)
{
    Write(stdout, text);
}

void PrintError(const QString& text)
{
    Write(stderr, text);
}

QString FromCore(const std::string& text)
{
    const std::string utf8 = Win1250ToUtf8(text);
    QString result = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    // Line ends of the core's multi-line messages become one line.
    result.replace(QLatin1String("\r\n"), QLatin1String(" "));
    result.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return result;
}

void ConsoleStatusLine::ShowStatus(const std::string& text, bool error)
{
    if (text.empty())
        return;
    if (error)
        lastError = text;
    else
        PrintLine(FromCore(text));
}

bool ConsoleScreen::AskYesNo(const std::string& /*caption*/, const std::string& text)
{
    PrintError(FromCore(text));
    return false;
}

void ConsoleScreen::ShowMessage(const std::string& text)
{
    PrintLine(FromCore(text));
}

} // namespace cli

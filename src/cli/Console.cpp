#include "cli/Console.h"

#include "util/Cp1250.h"
#include "util/SafeFile.h"

#include <cerrno>
#include <cstdio>

namespace cli
{

namespace
{
bool Write(std::FILE* stream, const QString& text)
{
    QByteArray bytes = text.toUtf8();
    bytes.append('\n');
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream) ==
                             static_cast<size_t>(bytes.size()) &&
                         std::fflush(stream) == 0;
    if (!written)
        std::clearerr(stream);
    return written;
}
} // namespace

OutputState& StandardOutput()
{
    static OutputState state;
    return state;
}

QString OutputFailureText()
{
    return QStringLiteral("Nie można pisać na standardowe wyjście (%1); część komunikatów przepadła.")
        .arg(FromCore(SystemErrorText(StandardOutput().error)));
}

QString& CommandLineText()
{
    static QString text;
    return text;
}

void PrintLine(const QString& text)
{
    OutputState& output = StandardOutput();
    if (output.failed)
        return;
    if (!Write(stdout, text)) {
        output.failed = true;
        output.error = errno ? errno : EIO;
    }
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

void ConsoleStatusLine::ShowRecordFailure(const std::string& text)
{
    PrintError(FromCore(text));
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

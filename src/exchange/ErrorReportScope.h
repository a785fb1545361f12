#pragma once
// The error report around one register operation.
#include "app/ConstUnit.h"
#include "util/Cp1250Literal.h"
#include "util/DateTime.h"
#include "util/MyUtil.h"
#include "util/SafeFile.h"

#include <cerrno>

#include <string>

// Opens ErrorReport for appending and closes it when the scope is left, also by an exception. The report is
// opened only by the outermost scope, so an operation running inside another keeps writing into the same file.
// A missing report file is not created: its lines are dropped quietly.
class ErrorReportScope
{
public:
    ErrorReportScope()
    {
        if (!ErrorReport.handle) {
            const bool exists = FileExists(ErrorReportFile);
            errno = 0;
            if (!OpenTextFile(ErrorReportFile, 0, ErrorReport) && exists)
                ErrorReportWritten(false, SystemErrorText(errno));
            owner_ = true;
        }
    }
    ~ErrorReportScope()
    {
        if (owner_)
            CloseTextFile(ErrorReport);
    }
    ErrorReportScope(const ErrorReportScope&) = delete;
    ErrorReportScope& operator=(const ErrorReportScope&) = delete;

private:
    bool owner_ = false;
};

// Appends a dated line to the open error report. A line that cannot be written is not dropped quietly: the work
// history records it together with the failure.
inline void WriteErrorReportLine(const std::string& text)
{
    if (!ErrorReport.handle)
        return;
    errno = 0;
    const bool written = WriteTextLine(DateTimeText(Now()) + ": " + text, ErrorReport);
    const int error = errno ? errno : EIO;
    if (!written)
        LogLine("Nie można dopisać do raportu błędów "_cp + ErrorReportFile + ": " + text);
    ErrorReportWritten(written, written ? std::string() : SystemErrorText(error));
}

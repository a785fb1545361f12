#include "app/ReadoutFiles.h"

#include "app/ConstUnit.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/SafeFile.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace
{

const std::string ResetReportsFolder = "Zerowania";
// A name is tried again with a higher number this many times when another process took it first.
constexpr int StoreAttempts = 20;

// The sequence of a file named prefix + three digits + anything: 0 when the name is not of that form.
int SequenceOf(const std::string& fileName, const std::string& prefix)
{
    if (fileName.size() < prefix.size() + 3 || UpperAscii(fileName.substr(0, prefix.size())) != UpperAscii(prefix))
        return 0;
    const std::string digits = fileName.substr(prefix.size(), 3);
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoi(digits);
}

int HighestIn(const std::string& folder, const std::string& prefix)
{
    int highest = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file(error))
            highest = std::max(highest, SequenceOf(entry.path().filename().string(), prefix));
    return highest;
}

} // namespace

std::string ReadoutNamePrefix(const std::string& registerCode, const Date& salesDate)
{
    return IntToStrPad(LeadingInt(registerCode), 3, "0") + "_" + DateText(salesDate) + "_";
}

std::string ResetReportsDirOf(const std::string& dayDir)
{
    return FindCaseless(dayDir, ResetReportsFolder) + "/";
}

int HighestReadoutSequence(const std::string& dayDir, const std::string& prefix)
{
    return std::max(HighestIn(dayDir, prefix), HighestIn(ResetReportsDirOf(dayDir), prefix));
}

bool StoreNumberedFile(const std::string& content, const std::string& folder, const std::string& dayDir,
                       const std::string& prefix, int recordedHighest, std::string& storedPath, std::string& reason)
{
    const auto next = [&] { return std::max(HighestReadoutSequence(dayDir, prefix), recordedHighest) + 1; };
    // The name the file would get, for the message when the folder cannot be made.
    storedPath = AddPathSeparator(folder, "/") + prefix + IntToStrPad(next(), 3, "0") + ".txt";
    if (!EnsureDirReporting(folder, reason)) {
        reason = "nie można utworzyć folderu "_cp + folder + ": " + reason;
        return false;
    }
    for (int attempt = 0; attempt < StoreAttempts; ++attempt) {
        const int sequence = next();
        if (sequence > 999) {
            reason = "wyczerpano numery plików "_cp + prefix + "001..999";
            return false;
        }
        storedPath = AddPathSeparator(folder, "/") + prefix + IntToStrPad(sequence, 3, "0") + ".txt";
        if (WriteFileNoOverwrite(storedPath, content, reason))
            return true;
        // Another process stored a file of this number first: the next number is taken.
        std::error_code error;
        if (!fs::exists(storedPath, error))
            return false;
    }
    reason = "nie można nadać wolnego numeru pliku "_cp + prefix + "SSS.txt";
    return false;
}

std::optional<std::string> FindStoredReadout(const std::string& fileName)
{
    if (fileName.size() < 12 || fileName[3] != '_' || fileName[12] != '_')
        return std::nullopt;
    const std::string dateText = fileName.substr(4, 8);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(DataDir, error)) {
        if (!entry.is_directory(error) || UpperAscii(entry.path().filename().string()).rfind("KASA", 0) != 0)
            continue;
        const std::string dayDir = FindCaseless(entry.path().string(), dateText);
        for (const std::string& folder : {dayDir, ResetReportsDirOf(dayDir + "/")}) {
            const std::string candidate = FindCaseless(folder, fileName);
            if (fs::is_regular_file(candidate, error))
                return candidate;
        }
    }
    return std::nullopt;
}

#pragma once
// The stored readouts of the registers: their folders, their names and their numbering, in one place for the window
// and for tarlo-cli.
//
//  - Readouts lie in DayDir ("Dane/KasaKK/yyyymmdd/"), the sales reports stored at counter resets in its subfolder
//    "Zerowania/", where the list of stored readouts does not show them.
//  - Both are named NNN_yyyymmdd_SSS.txt: register number (the register code as a number, 3 digits), sales date,
//    sequence. Readouts and reset reports of one register and day share one sequence, so their names never collide
//    (the name is the key of a hand-over to Wolnar).
//  - The next number is the highest number already used in either folder plus one, and the file is created
//    exclusively: a number is never given twice, even to two processes storing at the same moment, and a gap in
//    the numbering is never filled. A file deleted or moved away leaves no trace in the folders, so the caller also
//    passes the highest number the database has recorded for the register and day: the next number exceeds it
//    too, and a name once recorded (and perhaps handed over) is never given to another readout.
#include "util/DateTime.h"

#include <optional>
#include <string>

// "NNN_yyyymmdd_" for the register code and sales date.
std::string ReadoutNamePrefix(const std::string& registerCode, const Date& salesDate);
// The highest sequence number used by files "prefix" + SSS... in `dayDir` and its reset folder (0 when none).
int HighestReadoutSequence(const std::string& dayDir, const std::string& prefix);
// DayDir + "Zerowania/" (an existing folder of that name in any letter case).
std::string ResetReportsDirOf(const std::string& dayDir);

// Stores `content` as a new file in `folder` (made when missing), named `prefix` + the next free sequence of the
// register and day (`dayDir`) + ".txt", above `recordedHighest` as well (the highest sequence the database
// recorded for the prefix; 0 when it recorded none or cannot be read). True with the path stored; false with the
// reason.
bool StoreNumberedFile(const std::string& content, const std::string& folder, const std::string& dayDir,
                       const std::string& prefix, int recordedHighest, std::string& storedPath, std::string& reason);

// A stored readout or reset report given by its bare name ("001_20261210_001.txt"): looked for in the day folders
// of the registers under DataDir and in their reset folders. Nothing when not found.
std::optional<std::string> FindStoredReadout(const std::string& fileName);

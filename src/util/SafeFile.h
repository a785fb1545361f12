#pragma once
// Writing files that other programs or later runs read (readouts, the Eureka goods file, reports, the files handed
// to the communication library) so that a failure never leaves a partial or empty file behind.
//
// Every writer here writes the whole content to a temporary file in the target's own folder (a hidden name
// "." + target name + "." + a random part + ".tmp"), checks every write, flushes it to the disk (fsync) and only then
// moves it into place:
//   - WriteFileReplacing renames it over the target, so readers see either the old content or the new one;
//   - WriteFileNoOverwrite moves it in only when no file of that name exists (renameat2 with RENAME_NOREPLACE, or link
//   +
//     unlink where the file system lacks it), so a stored file is never overwritten.
// On any failure the temporary file is removed, the target is left as it was, and `reason` receives a Polish
// description of what went wrong (Windows-1250), fit to follow the file name in a message to the operator.
// A target that exists but is not a regular file (a folder, a device, a pipe) is refused; a symbolic link to a
// regular file is followed, so the file it names is written and the link stays.
#include <string>

bool WriteFileReplacing(const std::string& path, const std::string& content, std::string& reason);
// WriteFileReplacing without the flush to the disk, for a file that another program reads at once and that is worth
// nothing after a crash (the request files and KONFIG.txt of the communication library, rewritten for every call).
// Readers still see either the old content or the whole new one, and every write is checked.
bool WriteFileHandedOver(const std::string& path, const std::string& content, std::string& reason);
bool WriteFileNoOverwrite(const std::string& path, const std::string& content, std::string& reason);
// Copies `source` to a new file `target` through WriteFileNoOverwrite; false when the source cannot be read, the
// target exists or the copy cannot be stored.
bool CopyToNewFile(const std::string& source, const std::string& target, std::string& reason);
// Gives the existing file `from` the new name `to`, which must not exist yet (same folder or file system), and makes
// the new name durable; false with the reason when the file is missing, the name is taken or the rename fails.
bool RenameNoOverwrite(const std::string& from, const std::string& to, std::string& reason);
// Creates the directory with its parents; false with the reason when it is not a directory afterwards (a file
// stands in its place, no right to create it, ...).
bool EnsureDirReporting(const std::string& path, std::string& reason);
// The Polish description of a system error number (errno), e.g. "brak miejsca na dysku".
std::string SystemErrorText(int error);

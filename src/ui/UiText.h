#pragma once
// Texts crossing between the core (Windows-1250 bytes in std::string) and the windows (QString).
#include <QString>
#include <string>

// A Windows-1250 text of the core as a QString.
QString FromCp1250(const std::string& text);
// A QString as Windows-1250 bytes for the core; characters outside the code page become "?".
std::string ToCp1250(const QString& text);

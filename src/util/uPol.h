#pragma once
#include <string>

// Code page tables of the Polish letters: 1 ISO 8859-2, 2 Windows-1250, 3 code page 852, 4 Mazovia, ... 20 ASCII.
enum PolishTable { PlIso88592 = 1, PlWin1250 = 2, PlCp852 = 3, PlMazovia = 4, PlAscii = 20 };

// Replaces the 18 Polish letters of the source table by those of the target table, byte by byte. The text is
// returned unchanged when source equals target, source is outside 1..19 or target outside 1..20.
std::string ConvertPolish(const std::string& text, int source, int target);

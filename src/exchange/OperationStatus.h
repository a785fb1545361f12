#pragma once
// The closing lines of the register operations on the status line: what a readout, a counter reset, a goods list
// read and a deletion did. Texts are Windows-1250.
#include <cstddef>
#include <string>
#include <vector>

// The figures of a stored readout or reset report: its goods lines and their total value.
struct StoredSalesFigures {
    std::size_t lines = 0;
    double total = 0; // in the currency unit, rounded to hundredths
};
// False when the file cannot be read.
bool StoredSalesFiguresOf(const std::string& path, StoredSalesFigures& figures);
// The same for the sales report a register gives before a counter reset: its "$" goods lines, and the total of its
// "Razem:" line (the sum of the lines' last fields when there is none).
bool ResetReportFiguresOf(const std::string& path, StoredSalesFigures& figures);

// "Odczyt kasy 01: 12 pozycji, wartość 123.45 zł, zapisany w pliku …/001_20240326_001.txt"
std::string ReadoutStoredText(const std::string& registerCode, const std::string& path);
// "Liczniki sprzedaży kasy 01 wyzerowane; raport przed zerowaniem: 12 pozycji, wartość 123.45 zł, zapisany w pliku …"
std::string ResetStoredText(const std::string& registerCode, const std::string& path);
// The goods lines of a register's goods list (those that begin with "$").
std::size_t GoodsInList(const std::vector<std::string>& lines);
// "Wczytano wykaz towarów kasy 01: 267 towarów"
std::string GoodsListReadText(const std::string& registerCode, std::size_t goods);
// "Nie wczytano wykazu towarów kasy 01: <reason>"
std::string GoodsListFailedText(const std::string& registerCode, const std::string& reason);
// "Skasowano w kasie 01 2 towary z 3 zaznaczonych: 00001, 00002"
std::string DeletedGoodsText(const std::string& registerCode, const std::vector<std::string>& codes,
                             std::size_t picked);

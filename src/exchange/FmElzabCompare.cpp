// "Porównanie z kasą": what the register holds against what the catalogue would send it.
#include "exchange/FmElzab.h"

#include "app/ConstUnit.h"
#include "catalogue/SentStore.h"
#include "db/dbDDM.h"
#include "exchange/ExchangeView.h"
#include "util/MyUtil.h"
#include "util/SafeFile.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

// Polish texts are Windows-1250 bytes; each escaped literal is followed by its readable form.

namespace
{

// The catalogue as the comparison needs it: every good, active or not, with its price lock.
DataSet ReadCatalogue(const std::string& priceField)
{
    const bool plainName = !priceField.empty() && std::all_of(priceField.begin(), priceField.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
    const std::vector<std::string> fields = dm->ListaPol(GoodsTable, false, false);
    const bool present = std::any_of(fields.begin(), fields.end(), [&](const std::string& field) {
        return UpperAscii(field) == UpperAscii(priceField);
    });
    if (!plainName || !present)
        throw FieldError("Brak pola " + priceField + " w kartotece towar\xF3w " + GoodsTable); // towarów
    DataSet rows;
    dm->OpenSds(rows, "select coalesce(b.blok,0) as blok,k.asort,k.nazwa,k.stawka_vat,k.jm,k.nieaktywny,k." +
                          priceField + " from " + GoodsTable + " k left join BLOK_CEN b using(asort)");
    return rows;
}

} // namespace

std::string TfmE::ComparisonReportPath() const
{
    return DataDir + "Porownanie_kasa" + RegisterCode + ".txt";
}

bool TfmE::PorownajZKasa()
{
    WczytajTowary();
    if (ExchangeResult != 0) {
        // Porównanie niemożliwe: nie odczytano wykazu towarów z kasy
        Komunikat("Por\xF3wnanie niemo\xBFliwe: nie odczytano wykazu towar\xF3w z kasy " + RegisterCode, true);
        return false;
    }
    std::vector<std::string> listLines;
    if (!ReadLines(ResponseFile, listLines))
        throw std::runtime_error("Nie mo\xBFna odczyta\xE6 pliku " + ResponseFile); // Nie można odczytać pliku

    int unreadable = 0;
    const std::vector<RegisterGood> held = ParseRegisterGoodsList(listLines, unreadable);
    const RecordLists lists = CurrentRecordLists();
    const std::vector<SendableGood> catalogue = CatalogueGoods(ReadCatalogue(lists.priceField), lists);
    const bool memoryTable = SentTableExists();
    const SentMemory previous = memoryTable ? LoadSentMemory(CurrentRegisterId) : SentMemory();
    const RegisterComparison comparison = CompareWithRegister(held, catalogue, previous, unreadable);

    // Porównanie z kasą 01 - 10.12.2026 13:40:05, kartoteka Kartas2026, pole ceny CENA_1
    comparisonReport = comparison.ReportLines("Por\xF3wnanie z kas\xB9 " + RegisterCode + " - " + DateTimeText(Now()) +
                                              ", kartoteka " + GoodsTable + ", pole ceny " + lists.priceField);
    comparisonToSend = comparison.ToSend();
    comparisonRegisterId = CurrentRegisterId;
    if (view)
        view->SetRegisterGoods(comparisonReport);

    // Porównanie z kasą 01: brak w kasie 3, różne 2, spoza kartoteki 1, zgodne 120, wspólny kod 1
    const std::string summary =
        "Por\xF3wnanie z kas\xB9 " + RegisterCode + ": brak w kasie " + std::to_string(comparison.missing.size()) +
        ", r\xF3\xBFne " + std::to_string(comparison.differing.size()) + ", spoza kartoteki " +
        std::to_string(comparison.extra.size()) + ", zgodne " + std::to_string(comparison.agreeing) +
        ", wsp\xF3lny kod " + std::to_string(comparison.collisions.size());
    if (!memoryTable) {
        Komunikat(summary + ". " + MissingSentTableText(), true);
    } else if (!ReplaceSentMemory(CurrentRegisterId, comparison.memory)) {
        // nie zapisano pamięci wysłanych towarów (szczegóły w historii pracy)
        Komunikat(summary + ". Nie zapisano pami\xEA"
                            "ci wys\xB3\x61nych towar\xF3w (szczeg\xF3\xB3y w historii pracy)",
                  true);
    } else {
        Komunikat(summary, false);
    }
    return true;
}

bool TfmE::ZapiszPorownanie()
{
    const std::string path = ComparisonReportPath();
    if (comparisonReport.empty()) {
        Komunikat("Brak raportu - najpierw uruchom \"Por\xF3wnanie z kas\xB9\"", true); // Porównanie z kasą
        return false;
    }
    // A reader never finds half a report: the old one stays until the new one is complete.
    std::string text, reason;
    for (const std::string& line : comparisonReport)
        text += line + "\r\n";
    if (!WriteFileReplacing(path, text, reason)) {
        Komunikat("Nie mo\xBFna zapisa\xE6 pliku " + path + " (" + reason + ")", true); // Nie można zapisać pliku
        return false;
    }
    Komunikat("Raport zapisany w pliku " + path, false);
    return true;
}

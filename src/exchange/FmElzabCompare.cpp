// "Porównanie z kasą": what the register holds against what the catalogue would send it.
#include "exchange/FmElzab.h"

#include "app/ConstUnit.h"
#include "catalogue/SentStore.h"
#include "db/dbDDM.h"
#include "exchange/ExchangeView.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/SafeFile.h"

#include <stdexcept>

std::string TfmE::ComparisonReportPath() const
{
    return DataDir + "Porownanie_kasa" + RegisterCode + ".txt";
}

bool TfmE::PorownajZKasa()
{
    WczytajTowary();
    if (ExchangeResult != 0) {
        Komunikat("Porównanie niemożliwe: nie odczytano wykazu towarów z kasy "_cp + RegisterCode, true);
        return false;
    }
    std::vector<std::string> listLines;
    if (!ReadLines(ResponseFile, listLines))
        throw std::runtime_error("Nie można odczytać pliku "_cp + ResponseFile);

    int unreadable = 0;
    const std::vector<RegisterGood> held = ParseRegisterGoodsList(listLines, unreadable);
    const RecordLists lists = CurrentRecordLists();
    const std::vector<SendableGood> catalogue = CatalogueGoods(ReadWholeCatalogue(lists.priceField), lists);
    const bool memoryTable = SentTableExists();
    const SentMemory previous = memoryTable ? LoadSentMemory(CurrentRegisterId) : SentMemory();
    const RegisterComparison comparison = CompareWithRegister(held, catalogue, previous, unreadable);

    // Porównanie z kasą 01 - 10.12.2026 13:40:05, kartoteka Kartas2026, pole ceny CENA_1
    comparisonReport = comparison.ReportLines("Porównanie z kasą "_cp + RegisterCode + " - " + DateTimeText(Now()) +
                                              ", kartoteka " + GoodsTable + ", pole ceny " + lists.priceField);
    comparisonToSend = comparison.ToSend();
    comparisonRegisterId = CurrentRegisterId;
    if (view)
        view->SetRegisterGoods(comparisonReport);

    // Porównanie z kasą 01: brak w kasie 3, różne 2, spoza kartoteki 1, zgodne 120, wspólny kod 1
    const std::string summary =
        "Porównanie z kasą "_cp + RegisterCode + ": brak w kasie " + std::to_string(comparison.missing.size()) +
        ", różne "_cp + std::to_string(comparison.differing.size()) + ", spoza kartoteki " +
        std::to_string(comparison.extra.size()) + ", zgodne " + std::to_string(comparison.agreeing) +
        ", wspólny kod "_cp + std::to_string(comparison.collisions.size());
    if (!memoryTable) {
        Komunikat(summary + ". " + MissingSentTableText(), true);
    } else if (!ReplaceSentMemory(CurrentRegisterId, comparison.memory)) {
        Komunikat(summary + ". Nie zapisano pamięci wysłanych towarów (szczegóły w historii pracy)"_cp, true);
    } else {
        Komunikat(summary, false);
    }
    return true;
}

bool TfmE::ZapiszPorownanie()
{
    const std::string path = ComparisonReportPath();
    if (comparisonReport.empty()) {
        Komunikat("Brak raportu - najpierw uruchom \"Porównanie z kasą\""_cp, true);
        return false;
    }
    // A reader never finds half a report: the old one stays until the new one is complete.
    std::string text, reason;
    for (const std::string& line : comparisonReport)
        text += line + "\r\n";
    if (!WriteFileReplacing(path, text, reason)) {
        Komunikat("Nie można zapisać pliku "_cp + path + " (" + reason + ")", true);
        return false;
    }
    Komunikat("Raport zapisany w pliku " + path, false);
    return true;
}

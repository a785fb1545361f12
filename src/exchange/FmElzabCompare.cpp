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

std::string TfmE::ComparisonReportPath(const std::string& registerCode)
{
    return DataDir + "Porownanie_kasa" + registerCode + ".txt";
}

ComparisonResult TfmE::PorownajZKasa()
{
    ComparisonResult result;
    result.registerId = CurrentRegisterId;
    result.registerCode = RegisterCode;
    const RegisterGoodsResult list = WczytajTowary();
    if (!list.ok) {
        result.code = list.code;
        result.text = "Porównanie niemożliwe: nie odczytano wykazu towarów z kasy "_cp + RegisterCode;
        Komunikat(result.text, true);
        return result;
    }

    int unreadable = 0;
    const std::vector<RegisterGood> held = ParseRegisterGoodsList(list.lines, unreadable);
    const RecordLists lists = CurrentRecordLists();
    const std::vector<SendableGood> catalogue = CatalogueGoods(ReadWholeCatalogue(lists.priceField), lists);
    const bool memoryTable = SentTableExists();
    const SentMemory previous = memoryTable ? LoadSentMemory(CurrentRegisterId) : SentMemory();
    const RegisterComparison comparison = CompareWithRegister(held, catalogue, previous, unreadable);

    // Porównanie z kasą 01 - 10.12.2026 13:40:05, kartoteka Kartas2026, pole ceny CENA_1
    result.report = comparison.ReportLines("Porównanie z kasą "_cp + RegisterCode + " - " + DateTimeText(Now()) +
                                           ", kartoteka " + GoodsTable + ", pole ceny " + lists.priceField);
    result.toSend = comparison.ToSend();
    if (view)
        view->SetRegisterGoods(result.report);

    // Porównanie z kasą 01: brak w kasie 3, różne 2, spoza kartoteki 1, zgodne 120, wspólny kod 1
    const std::string summary =
        "Porównanie z kasą "_cp + RegisterCode + ": brak w kasie " + std::to_string(comparison.missing.size()) +
        ", różne "_cp + std::to_string(comparison.differing.size()) + ", spoza kartoteki " +
        std::to_string(comparison.extra.size()) + ", zgodne " + std::to_string(comparison.agreeing) +
        ", wspólny kod "_cp + std::to_string(comparison.collisions.size());
    // The comparison itself succeeded also when the memory of sent goods could not be made what the register
    // holds; the text says so in red.
    result.ok = true;
    if (!memoryTable) {
        result.text = summary + ". " + MissingSentTableText();
        Komunikat(result.text, true);
    } else if (!ReplaceSentMemory(CurrentRegisterId, comparison.memory)) {
        result.text = summary + ". Nie zapisano pamięci wysłanych towarów (szczegóły w historii pracy)"_cp;
        Komunikat(result.text, true);
    } else {
        result.text = summary;
        Komunikat(result.text, false);
    }
    return result;
}

bool TfmE::ZapiszPorownanie(const ComparisonResult& comparison)
{
    if (comparison.report.empty()) {
        Komunikat("Brak raportu - najpierw uruchom \"Porównanie z kasą\""_cp, true);
        return false;
    }
    const std::string path = ComparisonReportPath(comparison.registerCode);
    // A reader never finds half a report: the old one stays until the new one is complete.
    std::string text, reason;
    for (const std::string& line : comparison.report)
        text += line + "\r\n";
    if (!WriteFileReplacing(path, text, reason)) {
        Komunikat("Nie można zapisać pliku "_cp + path + " (" + reason + ")", true);
        return false;
    }
    Komunikat("Raport zapisany w pliku " + path, false);
    return true;
}

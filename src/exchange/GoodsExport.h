#pragma once
// The inputs and the outcome of one goods export to a register (TfmE::ExportGoods). Texts are Windows-1250 bytes.
#include "catalogue/SentGoods.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct GoodsExportRequest {
    // The goods to send and what each needs, in sending order. Called once, after the register lock is taken, so
    // that the list reflects what every earlier export (of this program or another) has done.
    std::function<std::vector<GoodToSend>()> goods;
    // The operation the busy registers are announced under when the lock is not had.
    std::string busyOperation = "ZTowar";
    // Stop at the first good the register refuses; the goods after it are not tried.
    bool stopOnFirstError = false;
    // The window's marks (BLOK_CEN.WYBOR): a good sent loses its mark, with its memory row in one transaction.
    // The unattended tool leaves the marks alone.
    bool clearMarks = true;
    // A price-only call that the register refuses because it lacks the good, while the memory said it held it, is
    // followed at once by a call with full data.
    bool fullWhenMissing = false;
    // Asked before each good; true stops the export between two goods.
    std::function<bool()> stopRequested;
    // After each good: goods handled so far, of `total`, and the symbol just handled.
    std::function<void(std::size_t done, std::size_t total, const std::string& symbol)> progress;
};

struct GoodsNotSent {
    std::string symbol;
    std::string reason; // Polish
    uint8_t code = 0;   // the library's result, or one of our own codes; 0 when no call was made
};

struct GoodsExportResult {
    bool ran = false;                        // false: the register lock was not had, nothing was tried
    std::vector<GoodToSend> goods;           // what was asked for
    std::vector<std::string> sent;           // the register accepted them and the memory records them
    std::vector<GoodsNotSent> notSent;       // refused here or by the register, or their memory was not written
    std::vector<std::string> skipped;        // no active catalogue row
    std::vector<std::string> priceOnlyStale; // price sent, but the register's name/VAT/unit differ (also in notSent)
    std::vector<std::string> notices; // told to the operator: a code taken from a withdrawn good, a memory mended
    bool stoppedByOperator = false;
    bool stoppedOnError = false;
    std::string summary; // the closing line
    bool summaryIsError = false;
    // True when every good asked for was sent and nothing was stopped.
    bool Complete() const { return ran && notSent.empty() && skipped.empty() && !stoppedByOperator && !stoppedOnError; }
};

#pragma once
// What the register operations of TfmE reach in the main window: the readout page's text area, the register goods
// page's text area and the (hidden) deletion page's grid. Controls are disabled during an operation by the window's
// operation runner alone (ui/OperationRunner.h), never through this interface. The Qt window implements it;
// without a view (TfmE::view == nullptr) the operations run the same and show nothing. Texts are Windows-1250.
#include <string>
#include <vector>

// A row picked in the deletion grid: its position in the grid and the register code of the good it shows.
struct PickedGood {
    int row = 0;
    std::string code;
};

class IExchangeView
{
public:
    virtual ~IExchangeView() = default;

    // ---- readout page: the text area `Memo`
    virtual void MemoClear() = 0;
    // Inserts one line above everything already there.
    virtual void MemoInsertFirst(const std::string& line) = 0;
    // Adds lines at the end.
    virtual void MemoAppend(const std::vector<std::string>& lines) = 0;

    // ---- register goods page: the text area `Memo1`, its content replaced by the lines
    virtual void SetRegisterGoods(const std::vector<std::string>& lines) = 0;

    // ---- deletion page: the grid `XDBGK`
    // The selected rows in the order of the selection.
    virtual std::vector<PickedGood> PickedGoods() const = 0;
    virtual void UnpickRow(int row) = 0;
};

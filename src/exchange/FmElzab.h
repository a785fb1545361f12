#pragma once
// The register exchange module: every operation on a cash register through the communication library.
#include <memory>
#include <string>
#include <vector>

class WinIPLibrary;   // exchange/WinIP.h: the loaded communication library
class IExchangeView;  // exchange/ExchangeView.h: the readout and register-goods pages, the deletion grid
class IExportPage;    // exchange/ExportView.h: the goods export page's choices

class TfmE {
public:
    TfmE();
    ~TfmE();
    TfmE(const TfmE&) = delete;
    TfmE& operator=(const TfmE&) = delete;

    // Windows that the operations write into; null means "no window" (nothing is shown).
    IExchangeView* view = nullptr;
    IExportPage* exportPage = nullptr;

    // ---- the frame
    void TwKonfig();
    void TwInFile(const std::string& operation);
    void TwOutFile(const std::string& operation);
    void ErrAnnouncement(const std::string& operation);
    void ErrAnnouncement2(const std::string& operation);
    std::vector<std::string> RequestLines;

    // ---- sales readout, counter reset, report
    void ElzabSprz();
    void aOtSpMaxExecute();
    void WCzytaj(const std::string& path);
    void aZerujLicznikiExecute();
    void aOSprzedExecute();

    // ---- register goods list and deletion
    void WczytajTowary();
    void aKasujTowarExecute();
    void aKasujWszystkieTowaryExecute();

    // ---- goods export (FmElzabExport.cpp)
    void aExpoTowarExecute();
    void aExpoTowarEureka();

    WinIPLibrary& Library();

private:
    std::unique_ptr<WinIPLibrary> library_;
};

extern std::unique_ptr<TfmE> fmE;

#pragma once
// The goods export page as the export operations (TfmE::aExpoTowarExecute, TfmE::aExpoTowarEureka) see it. The Qt
// window implements it; tests fake it. Texts are Windows-1250 bytes.
#include <cstddef>
#include <string>

class IExportPage
{
public:
    virtual ~IExportPage() = default;

    // rgDane " Dane o towarach ": false for the first item "częściowe (cena)" (__ZCTowar), true for "pełne "
    // (__ZTowar).
    virtual bool FullData() const = 0;
    // cbStopExpo "Zatrzymaj eksport po pierwszym błędzie".
    virtual bool StopOnFirstError() const = 0;
    // lbePlikE "Nazwa pliku " of the Eureka panel.
    virtual std::string EurekaFileName() const = 0;
    // Progress while exporting: `done` goods handled of `total`, the last one `symbol`.
    virtual void ShowProgress(std::size_t done, std::size_t total, const std::string& symbol) = 0;
    // Unticks every entry of the goods group list cbGrupy.
    virtual void UntickGroups() = 0;
    // Whether the operator asked to stop the export (the stop button, Escape, closing the window). Asked before
    // each good: the export stops between two goods, and the goods not yet sent keep their selection. A page
    // without a way to stop never asks.
    virtual bool StopRequested() const { return false; }
};

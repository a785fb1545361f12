#pragma once
// The register maker's communication library, loaded at run time from the path named in "Foldery.ini"
// (WinIPLibraryPath), otherwise from the program's own directory (ExeDir + "libWinIP.so"). Eight functions, C calling
// convention, zero-terminated file paths in 256-byte buffers, one unsigned byte as result: 0 for success, any other
// value an error code.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

// The eight functions of the library. The operation name (the function name without its two leading
// underscores) names the request and response files and appears in every announcement.
enum class WinIPFunction : int { OTSpMax, OSprzed, KSprOp, TowarMax, ZCTowar, ZTowar, KTowar, KTowMax };

// "OTSpMax" for WinIPFunction::OTSpMax, and so on.
std::string OperationName(WinIPFunction function);
// True for the three functions that take a response path as their second argument.
bool HasResponseFile(WinIPFunction function);

// Result codes of our own, above every code the library uses; the call was not made, and the announcement
// carries a text saying why instead of a line of "koment.txt":
// the library file or the function could not be loaded (WinIPLibrary::Problem() says what is missing),
constexpr uint8_t WinIPNotLoaded = 250;
// a good to be deleted has a code that is not a number, so no request can name it.
constexpr uint8_t WinIPBadGoodsCode = 251;
// a file the operation must store could not be written completely: the readout, the sales report kept before a
// counter reset, "KONFIG.txt" or the request file. Its line of "koment.txt" ("Nie zapisano pliku") is followed by
// the file and the reason. No call is made after a configuration or request file that could not be written.
constexpr uint8_t WinIPFileNotStored = 252;
// The register's own code for a record whose price is not 1 to 9 digits of hundredths; the export gives it to a
// good whose price is outside that range, which it never sends.
constexpr uint8_t WinIPBadPrice = 106;
// another program (Tarlo_db or tarlo-cli) is talking to a register, or the register lock cannot be taken
// (exchange/RegisterLock.h).
constexpr uint8_t WinIPRegistersBusy = 254;
// A request or response path of 256 bytes or more cannot be handed to the library: no call is made and the
// library's own code for an invalid path argument is reported, with its line of "koment.txt".
constexpr uint8_t WinIPFileNameError = 6;

// The library's own prototypes: paths are only read, so they are `const char*`. Calling through a pointer of
// another type would be undefined behaviour, even where the bytes passed are the same.
using WinIPOnePathFunction = uint8_t (*)(const char* request);
using WinIPTwoPathFunction = uint8_t (*)(const char* request, const char* response);

class WinIPLibrary
{
public:
    // `directory` holds "libWinIP.so" (found whatever its letter case); empty means WinIPLibraryPath when it is set,
    // otherwise ExeDir, read when the library is first needed.
    explicit WinIPLibrary(std::string directory = {});
    ~WinIPLibrary();
    WinIPLibrary(const WinIPLibrary&) = delete;
    WinIPLibrary& operator=(const WinIPLibrary&) = delete;

    // Copies the paths into buffers of their own (the response path first where the function takes one) and
    // calls the function. The library is opened on the first call; a library that could not be opened is tried
    // again on the next call. Returns the function's result, WinIPNotLoaded when the library or the function is
    // missing, or WinIPFileNameError when a path is too long; in the last two cases Problem() tells why in
    // Polish, otherwise it is empty.
    uint8_t Call(WinIPFunction function, const std::string& requestPath, const std::string& responsePath = {});

    // Why the last call was not made; empty when it was made.
    const std::string& Problem() const { return problem_; }

    // For benchmarks: when set, told of every call made into the library, with its result and how long the
    // function took (calls that were not made are not told).
    std::function<void(WinIPFunction, uint8_t result, std::chrono::steady_clock::duration)> onCallMade;
    // The path the library is (or would be) loaded from.
    std::string LibraryPath() const;

private:
    bool Load();
    void* Resolve(WinIPFunction function);

    std::string directory_;
    void* handle_ = nullptr;
    void* functions_[8] = {};
    std::string problem_;
};

// Whole calls of the stand-in communication library on inputs of every file it reads: KONFIG.txt in the current
// directory, the request file, and the four state files of the register that KONFIG.txt names (towary.txt,
// sprzedaz.txt, stan.txt, awarie.txt). Every input starts from fresh files; an empty one is left out. The same
// call is made twice, so that the state the first call stored is read back by the second. Simulated waits are
// switched off (WINIP_TIME_SCALE=0): a time-out of 999 s would stop the run.
//
// Input layout (FuzzedDataProvider): six strings, each ended by a backslash and one more character, in the order
// KONFIG.txt, request, towary.txt, sprzedaz.txt, stan.txt, awarie.txt (a backslash inside is written twice);
// the last byte of the input chooses the function (its value modulo 8, in the order of the names below).
#include "FuzzSupport.h"
#include "winip/ResultCodes.h"
#include "winip/SimConfig.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>
#include <unistd.h>

extern "C" {
unsigned char WinIP_OTSpMax(const char* request, const char* response) __asm__("__OTSpMax");
unsigned char WinIP_OSprzed(const char* request, const char* response) __asm__("__OSprzed");
unsigned char WinIP_KSprOp(const char* request) __asm__("__KSprOp");
unsigned char WinIP_TowarMax(const char* request, const char* response) __asm__("__TowarMax");
unsigned char WinIP_ZCTowar(const char* request) __asm__("__ZCTowar");
unsigned char WinIP_ZTowar(const char* request) __asm__("__ZTowar");
unsigned char WinIP_KTowar(const char* request) __asm__("__KTowar");
unsigned char WinIP_KTowMax(const char* request) __asm__("__KTowMax");
}

namespace
{

namespace fs = std::filesystem;

const std::string& Work()
{
    static const std::string dir = fuzz::ScratchDir() + "/work";
    return dir;
}

const std::string& Simulator()
{
    static const std::string dir = fuzz::ScratchDir() + "/sym";
    return dir;
}

unsigned char Call(int function, const std::string& request, const std::string& response)
{
    const char* req = request.c_str();
    const char* resp = response.c_str();
    switch (function) {
    case 0:
        return WinIP_OTSpMax(req, resp);
    case 1:
        return WinIP_OSprzed(req, resp);
    case 2:
        return WinIP_KSprOp(req);
    case 3:
        return WinIP_TowarMax(req, resp);
    case 4:
        return WinIP_ZCTowar(req);
    case 5:
        return WinIP_ZTowar(req);
    case 6:
        return WinIP_KTowar(req);
    default:
        return WinIP_KTowMax(req);
    }
}

void WriteIfAny(const std::string& path, const std::string& content)
{
    if (!content.empty())
        fuzz::WriteFile(path, content);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("WINIP_TIME_SCALE", "0", 1);
    setenv("WINIP_SYM_DIR", Simulator().c_str(), 1);
    fs::create_directories(Work());
    if (chdir(Work().c_str()) != 0)
        fuzz::Fail("cannot enter " + Work());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int function = in.ConsumeIntegral<uint8_t>() % 8;
    const std::string konfig = in.ConsumeRandomLengthString();
    const std::string request = in.ConsumeRandomLengthString();
    const std::string state[4] = {in.ConsumeRandomLengthString(), in.ConsumeRandomLengthString(),
                                  in.ConsumeRandomLengthString(), in.ConsumeRandomLengthString()};

    std::error_code ec;
    fs::remove_all(Simulator(), ec);
    fs::remove_all(Work(), ec);
    fs::create_directories(Work());
    WriteIfAny(Work() + "/KONFIG.txt", konfig);
    const std::string requestPath = Work() + "/request.in";
    const std::string responsePath = Work() + "/response.out";
    WriteIfAny(requestPath, request);
    winip::RegisterConfig config;
    if (winip::ParseRegisterConfig(konfig, config) == winip::kOk) {
        char folder[16];
        std::snprintf(folder, sizeof folder, "/kasa%02d", config.number);
        const std::string dir = Simulator() + folder;
        fs::create_directories(dir);
        const char* const names[4] = {"towary.txt", "sprzedaz.txt", "stan.txt", "awarie.txt"};
        for (int i = 0; i < 4; ++i)
            WriteIfAny(dir + "/" + names[i], state[i]);
    }

    const bool withResponse = function == 0 || function == 1 || function == 3;
    for (int round = 0; round < 2; ++round) {
        fs::remove(responsePath, ec);
        const unsigned char result = Call(function, requestPath, responsePath);
        if (result == winip::kOk && withResponse && !fs::is_regular_file(responsePath))
            fuzz::Fail("a reading call succeeded without writing its response");
    }
    return 0;
}

#include "exchange/WinIP.h"

#include "app/ConstUnit.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"

#include <dlfcn.h>

namespace
{

struct FunctionInfo {
    const char* symbol;
    bool hasResponse;
};

// In the order of WinIPFunction.
constexpr FunctionInfo Functions[8] = {
    {"__OTSpMax", true},  {"__OSprzed", true}, {"__KSprOp", false}, {"__TowarMax", true},
    {"__ZCTowar", false}, {"__ZTowar", false}, {"__KTowar", false}, {"__KTowMax", false},
};

const FunctionInfo& Info(WinIPFunction function)
{
    return Functions[static_cast<int>(function)];
}

const std::string LibraryFileName = "libWinIP.so";

const std::string CannotLoadText = "Nie można załadować biblioteki komunikacyjnej "_cp;
const std::string PathTooLongText =
    "Ścieżka pliku jest za długa dla biblioteki komunikacyjnej (najwyżej 255 znaków): "_cp;

} // namespace

std::string OperationName(WinIPFunction function)
{
    return std::string(Info(function).symbol + 2);
}

bool HasResponseFile(WinIPFunction function)
{
    return Info(function).hasResponse;
}

WinIPLibrary::WinIPLibrary(std::string directory) : directory_(std::move(directory)) {}

WinIPLibrary::~WinIPLibrary()
{
    if (handle_)
        dlclose(handle_);
}

std::string WinIPLibrary::LibraryPath() const
{
    if (directory_.empty() && !WinIPLibraryPath.empty())
        return WinIPLibraryPath;
    std::string directory = directory_.empty() ? ExeDir : directory_;
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    if (directory.empty())
        directory = ".";
    return FindCaseless(directory, LibraryFileName);
}

bool WinIPLibrary::Load()
{
    if (handle_)
        return true;
    const std::string path = LibraryPath();
    if (!FileExists(path)) {
        problem_ = "Brak biblioteki komunikacyjnej " + path;
        return false;
    }
    dlerror();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        problem_ = "Nie można załadować biblioteki komunikacyjnej "_cp + path;
        if (reason)
            problem_ += " (" + std::string(reason) + ")";
        return false;
    }
    return true;
}

void* WinIPLibrary::Resolve(WinIPFunction function)
{
    void*& slot = functions_[static_cast<int>(function)];
    if (!slot && Load()) {
        dlerror();
        slot = dlsym(handle_, Info(function).symbol);
        if (!slot)
            problem_ =
                "Brak funkcji " + std::string(Info(function).symbol) + " w bibliotece komunikacyjnej " + LibraryPath();
    }
    return slot;
}

uint8_t WinIPLibrary::Call(WinIPFunction function, const std::string& requestPath, const std::string& responsePath)
{
    problem_.clear();
    char request[256];
    char response[256];
    const bool withResponse = HasResponseFile(function);
    for (const std::string* path : {&responsePath, &requestPath}) {
        if (path == &responsePath && !withResponse)
            continue;
        if (!ToCharBuffer(*path, path == &responsePath ? response : request)) {
            problem_ = PathTooLongText + *path;
            return WinIPFileNameError;
        }
    }
    void* address = Resolve(function);
    if (!address)
        return WinIPNotLoaded;
    const auto start = std::chrono::steady_clock::now();
    const uint8_t result = withResponse ? reinterpret_cast<WinIPTwoPathFunction>(address)(request, response)
                                        : reinterpret_cast<WinIPOnePathFunction>(address)(request);
    if (onCallMade)
        onCallMade(function, result, std::chrono::steady_clock::now() - start);
    return result;
}

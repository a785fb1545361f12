// winip-sim: drives a simulated register from outside the application, for the demo, training and tests: rings
// up sales, shows goods and totals, plans faults, marks a register absent or slow, resets it. It works on the same
// state files as libWinIP.so ("symulator" beside this program, or WINIP_SYM_DIR).
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <exception>
#include <iconv.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "winip/SimFiles.h"
#include "winip/SimRegister.h"
#include "winip/SimReports.h"

using namespace winip;

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "Symulator kas ELZAB - sterowanie kasą symulowaną przez libWinIP.so\n"
    "\n"
    "Użycie: winip-sim POLECENIE KASA [argumenty]\n"
    "  KASA to numer kasy 1..99 (ten z pliku KONFIG.txt).\n"
    "\n"
    "  sell KASA KOD ILOŚĆ      sprzedaż towaru, np.: sell 1 123 2,5\n"
    "  goods KASA               wykaz towarów w kasie\n"
    "  totals KASA              sumy sprzedaży (jak odpowiedź OTSpMax)\n"
    "  status KASA              znaczniki kasy i zaplanowane awarie\n"
    "  fail KASA FUNKCJA KOD [raz|zawsze]\n"
    "                           FUNKCJA (OTSpMax, OSprzed, KSprOp, TowarMax, ZCTowar, ZTowar, KTowar, KTowMax\n"
    "                           lub * dla wszystkich) zwróci KOD 1..249 lub 253..255 raz (domyślnie) albo zawsze\n"
    "  clear KASA               usuwa zaplanowane awarie i znacznik nieobecności\n"
    "  absent KASA on|off       kasa nie odpowiada: kod 20 po czasie oczekiwania z KONFIG.txt\n"
    "  delay KASA on|off        transmisja trwa tyle, ile przy prędkości z KONFIG.txt\n"
    "  reset KASA               kasa pusta: bez towarów, sprzedaży, awarii i znaczników\n"
    "\n"
    "Folder symulatora: WINIP_SYM_DIR albo \"symulator\" obok programu.\n"
    "Kod wyjścia: 0 wykonano, 1 odmowa (np. nieznany towar), 2 błędne wywołanie.\n";

// The folder of this program, where libWinIP.so lies too.
std::string ProgramDir()
{
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return ".";
    const std::string file(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

// The simulator's texts are Windows-1250 with CR LF; the terminal wants UTF-8 and LF.
std::string ForTerminal(const std::string& text)
{
    std::string plain;
    for (char c : text)
        if (c != '\r')
            plain += c;
    iconv_t cd = ::iconv_open("UTF-8", "CP1250");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return plain;
    std::string out;
    std::vector<char> buffer(plain.size() * 3 + 16);
    char* in = plain.data();
    std::size_t inLeft = plain.size();
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t rc = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), static_cast<std::size_t>(outPtr - buffer.data()));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += '?'; // a byte undefined in Windows-1250
            ++in;
            --inLeft;
        }
    }
    ::iconv_close(cd);
    return out;
}

int Fail(const std::string& message, int exitCode)
{
    std::fprintf(stderr, "winip-sim: %s\n", message.c_str());
    return exitCode;
}

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "winip-sim: %s\nPomoc: winip-sim help\n", message.c_str());
    return kExitUsage;
}

int StateError(const SimRegister& reg, Result r)
{
    if (r == kStateDamaged)
        return Fail("uszkodzony plik stanu kasy w " + reg.Dir() + " (popraw go albo: winip-sim reset " +
                        std::to_string(reg.Number()) + ")",
                    kExitRefused);
    return Fail("nie można zapisać stanu kasy w " + reg.Dir(), kExitRefused);
}

bool ParseNumber(const std::string& text, int low, int high, int& value)
{
    if (!AllDigits(text) || text.size() > 6)
        return false;
    value = std::stoi(text);
    return value >= low && value <= high;
}

bool ParseSwitch(const std::string& text, bool& on)
{
    if (text == "on" || text == "tak") {
        on = true;
        return true;
    }
    if (text == "off" || text == "nie") {
        on = false;
        return true;
    }
    return false;
}

int Sell(SimRegister& reg, const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return UsageError("sell wymaga: KASA KOD ILOŚĆ");
    std::string codeText = args[0];
    if (!codeText.empty() && codeText[0] == '$')
        codeText.erase(0, 1);
    int code = 0;
    if (!ParseNumber(codeText, 1, 99999, code) || codeText.size() > 5)
        return UsageError("błędny kod towaru \"" + args[0] + "\" (1..99999, np. 123 lub $00123)");
    long long quantity = 0;
    if (!ParseQuantity(args[1], quantity))
        return UsageError("błędna ilość \"" + args[1] + "\" (więcej niż 0, najwyżej 99999.999, np. 2 lub 1,5)");
    const auto good = reg.goods.find(code);
    if (good == reg.goods.end())
        return Fail("kasa " + std::to_string(reg.Number()) + " nie ma towaru " + CodeText(code), kExitRefused);
    // Value of the sale rounded to whole hundredths, half up.
    const long long value = (good->second.price * quantity + 500) / 1000;
    Sale& sale = reg.sales[code];
    // Totals beyond what the sales file can be read back with would make every later call fail with 121.
    if (sale.quantity > kMaxTotalQuantity - quantity || sale.value > kMaxTotalValue - value)
        return Fail("sumy sprzedaży towaru " + CodeText(code) + " przekroczyłyby " + QuantityText(kMaxTotalQuantity) +
                        " szt. lub " + MoneyText(kMaxTotalValue) +
                        " zł; najpierw raport i zerowanie (sprzedaż odrzucona)",
                    kExitRefused);
    sale.quantity += quantity;
    sale.value += value;
    // A sale after the sales report must not be zeroed without being reported.
    reg.afterReport = false;
    if (const Result r = reg.SaveSales(); r != kOk)
        return StateError(reg, r);
    if (const Result r = reg.SaveFlags(); r != kOk)
        return StateError(reg, r);
    std::printf("%s\n",
                ForTerminal("Sprzedano: " + CodeText(code) + " " + NameForText(good->second.name) + "  " +
                            QuantityText(quantity) + " x " + MoneyText(good->second.price) + " = " + MoneyText(value))
                    .c_str());
    return kExitOk;
}

int Status(const SimRegister& reg)
{
    std::printf("Kasa %d (%s)\n", reg.Number(), reg.Dir().c_str());
    std::printf("  towarów: %zu, pozycji sprzedaży: %zu\n", reg.goods.size(), reg.sales.size());
    std::printf("  nieobecna: %s, opóźnienie transmisji: %s, po raporcie OSprzed: %s\n", reg.absent ? "tak" : "nie",
                reg.delay ? "tak" : "nie", reg.afterReport ? "tak" : "nie");
    if (reg.faults.empty())
        std::printf("  brak zaplanowanych awarii\n");
    for (const Fault& fault : reg.faults)
        std::printf("  awaria: %s -> kod %d, %s\n", fault.function.c_str(), fault.code,
                    fault.always ? "zawsze" : "raz");
    return kExitOk;
}

int PlanFault(SimRegister& reg, const std::vector<std::string>& args)
{
    if (args.size() != 2 && args.size() != 3)
        return UsageError("fail wymaga: KASA FUNKCJA KOD [raz|zawsze]");
    std::string function = args[0];
    if (function.rfind("__", 0) == 0)
        function.erase(0, 2);
    if (function != "*" && !IsOperationName(function))
        return UsageError("nieznana funkcja \"" + args[0] + "\"");
    int code = 0;
    if (!ParseNumber(args[1], 1, 255, code))
        return UsageError("błędny kod \"" + args[1] + "\" (1..255)");
    // The application's own codes never come from the library; a planned one would be taken for the application's.
    if (std::find(std::begin(kApplicationCodes), std::end(kApplicationCodes), code) != std::end(kApplicationCodes))
        return UsageError("kod " + args[1] + " jest kodem programu Tarlo, nie biblioteki (dozwolone 1..249, 253..255)");
    bool always = false;
    if (args.size() == 3) {
        if (args[2] == "zawsze" || args[2] == "always")
            always = true;
        else if (args[2] != "raz" && args[2] != "once")
            return UsageError("trzeci argument to raz albo zawsze");
    }
    // A new plan for a function replaces the old one.
    std::erase_if(reg.faults, [&](const Fault& f) { return f.function == function; });
    reg.faults.push_back({function, code, always});
    if (const Result r = reg.SaveFaults(); r != kOk)
        return StateError(reg, r);
    std::printf("Kasa %d: %s zwróci kod %d %s\n", reg.Number(), function.c_str(), code,
                always ? "przy każdym wywołaniu" : "przy najbliższym wywołaniu");
    return kExitOk;
}

int SetFlag(SimRegister& reg, bool SimRegister::*flag, const std::vector<std::string>& args, const std::string& command,
            const char* what)
{
    bool on = false;
    if (args.size() != 1 || !ParseSwitch(args[0], on))
        return UsageError(command + " wymaga: KASA on|off");
    reg.*flag = on;
    if (const Result r = reg.SaveFlags(); r != kOk)
        return StateError(reg, r);
    std::printf("Kasa %d: %s: %s\n", reg.Number(), what, on ? "tak" : "nie");
    return kExitOk;
}

int Run(const std::vector<std::string>& argv)
{
    if (argv.empty() || argv[0] == "help" || argv[0] == "-h" || argv[0] == "--help") {
        std::fputs(kUsage, argv.empty() ? stderr : stdout);
        return argv.empty() ? kExitUsage : kExitOk;
    }
    const std::string& command = argv[0];
    static const std::vector<std::string> kCommands = {"sell",  "goods",  "totals", "status", "fail",
                                                       "clear", "absent", "delay",  "reset"};
    if (std::find(kCommands.begin(), kCommands.end(), command) == kCommands.end())
        return UsageError("nieznane polecenie \"" + command + "\"");
    int number = 0;
    if (argv.size() < 2 || !ParseNumber(argv[1], 1, 99, number))
        return UsageError("podaj numer kasy 1..99 po poleceniu " + command);
    const std::vector<std::string> args(argv.begin() + 2, argv.end());

    SimRegister reg(SymulatorDir(ProgramDir()), number);
    if (command == "reset") {
        if (!args.empty())
            return UsageError("reset nie ma dalszych argumentów");
        if (const Result r = reg.Reset(); r != kOk)
            return StateError(reg, r);
        std::printf("Kasa %d wyczyszczona\n", number);
        return kExitOk;
    }
    if (const Result r = reg.Open(); r != kOk)
        return StateError(reg, r);

    if (command == "sell")
        return Sell(reg, args);
    if (command == "fail")
        return PlanFault(reg, args);
    if (command == "absent")
        return SetFlag(reg, &SimRegister::absent, args, command, "nieobecna (nie odpowiada)");
    if (command == "delay")
        return SetFlag(reg, &SimRegister::delay, args, command, "opóźnienie transmisji");
    if (!args.empty())
        return UsageError(command + " nie ma dalszych argumentów");
    if (command == "goods") {
        std::fputs(ForTerminal(GoodsListText(reg)).c_str(), stdout);
        return kExitOk;
    }
    if (command == "totals") {
        std::fputs(ForTerminal(SalesTotalsText(reg, std::time(nullptr))).c_str(), stdout);
        return kExitOk;
    }
    if (command == "status")
        return Status(reg);
    // clear
    reg.faults.clear();
    reg.absent = false;
    if (const Result r = reg.SaveFaults(); r != kOk)
        return StateError(reg, r);
    if (const Result r = reg.SaveFlags(); r != kOk)
        return StateError(reg, r);
    std::printf("Kasa %d: bez awarii, odpowiada\n", number);
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    // The state files are shared with the register library in the programs of every operator of the group.
    ::umask(0002);
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        return Fail(std::string("błąd wewnętrzny: ") + e.what(), kExitRefused);
    }
}

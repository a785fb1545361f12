#pragma once
// What the benchmarks share: timing, the checks that end a run, the table of ratios, the program's surroundings
// (a work folder with the stand-in register library and the settings of register 01) and filling a register.
// Output is UTF-8 for the terminal; a failed check throws std::runtime_error.
#include "catalogue/SentGoods.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class TfmE;

namespace bench
{

double Seconds(const std::function<void()>& work);
double Median(std::vector<double> values);
// The median of `runs` results of `run`.
double MedianOf(int runs, const std::function<double()>& run);

// Throws with `what` when the condition does not hold.
void Check(bool condition, const std::string& what);
// A time that cannot be right (zero or less) ends the run instead of giving a ratio.
double Positive(double seconds, const std::string& what);

// One row of the table: our time against a reference time, and the ratio's target.
struct Row {
    std::string what;
    double ours = 0;
    double reference = 0;
    std::string unit;  // of both times: "" for a whole operation, "na towar" per good
    double target = 0; // the ratio must not exceed it
};

// Adds a row (both times must be positive) and prints it at once; true when the ratio is within its target.
bool Report(const std::string& what, double ours, double reference, const std::string& unit, double target);
// Prints every row reported so far as a Markdown table; true when every ratio is within its target.
bool PrintTable();

// A program folder of its own in a temporary work folder: the stand-in library beside a program file, koment.txt in
// the current directory, the simulated registers in "sym", and the settings of register 01 (system number 1,
// price from CENA_1). The work folder is removed at the end.
class Surroundings
{
public:
    explicit Surroundings(const std::string& name);
    ~Surroundings();
    Surroundings(const Surroundings&) = delete;
    Surroundings& operator=(const Surroundings&) = delete;

    const std::string& Work() const { return work_; }
    const std::string& Simulator() const { return simulator_; }
    // Goods records that the simulated register 1 holds.
    std::size_t RegisterGoods() const;

private:
    std::string work_;
    std::string simulator_;
};

// Database login of the generated catalogues, embedded engine.
void UseDatabase(const std::string& path);
// Reads every row of BLOK_CEN once, so that the engine cleans up the record versions a preparing change left
// behind now, and not during the next timed step.
void Settle();

// Programs register 1 with up to `limit` active, sendable goods of `goods` in one library call, as the register
// would hold them after a full export; `changed` (may be empty) alters each good before it is written. Returns the
// number of goods written; the register must accept them all.
std::size_t FillRegister(TfmE& module, const std::vector<SendableGood>& goods, std::size_t limit,
                         const std::function<void(std::size_t index, RegisterGood&)>& changed = {});

} // namespace bench

// mkdemodb: creates a Firebird database holding what the trade system owns (parameters, goods catalogues, groups,
// registers), through the embedded engine, for demonstrations and benchmarks.
//
//   mkdemodb --demo PATH [--force]         a Polish grocery catalogue of a few hundred goods
//   mkdemodb --large PATH [N] [--force]    N generated goods (default 100000) for the benchmarks
//   mkdemodb --schema PATH [--force]       the tables, parameters and registers without goods
//
// An existing file is never overwritten unless --force is given.
#include "DemoDb.h"

#include "db/Firebird.h"
#include "util/DateTime.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace
{

int Usage()
{
    std::cerr << "Użycie:\n"
                 "  mkdemodb --demo PATH [--force]\n"
                 "  mkdemodb --large PATH [N] [--force]   (N domyślnie 100000)\n"
                 "  mkdemodb --schema PATH [--force]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    bool force = false;
    std::vector<std::string> positional;
    for (const std::string& arg : args) {
        if (arg == "--force")
            force = true;
        else
            positional.push_back(arg);
    }
    if (positional.size() < 2 || positional.size() > 3)
        return Usage();

    demodb::Content content;
    if (positional[0] == "--demo")
        content = demodb::Content::Demo;
    else if (positional[0] == "--large")
        content = demodb::Content::Large;
    else if (positional[0] == "--schema")
        content = demodb::Content::Schema;
    else
        return Usage();

    int count = 100000;
    if (positional.size() == 3) {
        if (content != demodb::Content::Large)
            return Usage();
        try {
            size_t used = 0;
            count = std::stoi(positional[2], &used);
            if (used != positional[2].size() || count < 0)
                throw std::invalid_argument(positional[2]);
        } catch (const std::exception&) {
            std::cerr << "Niepoprawna liczba towarów: " << positional[2] << "\n";
            return 2;
        }
    }

    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(positional[1], error);
    if (error) {
        std::cerr << "Niepoprawna ścieżka: " << positional[1] << "\n";
        return 2;
    }
    if (std::filesystem::exists(path)) {
        if (!force) {
            std::cerr << "Plik " << path.string()
                      << " już istnieje; nie nadpisuję go. Użyj --force, aby utworzyć bazę od nowa.\n";
            return 1;
        }
        if (!std::filesystem::remove(path, error) || error) {
            std::cerr << "Nie można usunąć pliku " << path.string() << ": " << error.message() << "\n";
            return 1;
        }
    }

    auto start = std::chrono::steady_clock::now();
    try {
        FbConnection connection;
        // The generated catalogue is throw-away benchmark data: it is loaded without synchronous writes.
        demodb::CreateDatabaseFile(connection, path.string(), content != demodb::Content::Large);
        demodb::BuildTradeDatabase(connection, content, Today().year, count);
        connection.Close();
    } catch (const std::exception& e) {
        std::cerr << "Błąd bazy danych:\n" << e.what() << "\n";
        return 1;
    }
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "Utworzono " << path.string() << " (" << seconds << " s)\n";
    return 0;
}

#pragma once
// What the fuzz targets share: a private scratch folder, made once per process, and whole-file writes.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fuzz
{

// A folder of this process under the system's temporary folder, removed when the process ends normally.
inline const std::string& ScratchDir()
{
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarlo-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        static struct Remover {
            std::string path;
            ~Remover()
            {
                std::error_code ec;
                std::filesystem::remove_all(path, ec);
            }
        } remover{pattern};
        return pattern;
    }();
    return dir;
}

// Writes `content` to `path`; aborts when the scratch folder cannot take it, which no input may cause.
inline void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}

// Stops the run with a message: an input broke a rule the code promises.
[[noreturn]] inline void Fail(const std::string& what)
{
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n", what.c_str());
    std::abort();
}

} // namespace fuzz

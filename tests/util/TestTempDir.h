#pragma once
// A fresh directory under the system's temporary directory, removed with everything in it at the end of a test.
#include <filesystem>
#include <string>

#include <cstdlib>

class TestTempDir
{
public:
    TestTempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarlo-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TestTempDir()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TestTempDir(const TestTempDir&) = delete;
    TestTempDir& operator=(const TestTempDir&) = delete;

    // The directory, without a trailing "/".
    const std::string& Path() const { return path_; }
    // The directory with "/" and the given relative name.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A fresh folder under /tmp for one test, removed with everything in it when the test is done.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

class TempFolder {
public:
    // The folder is /tmp/quelm-<name>-XXXXXX; a folder that cannot be made throws, so a test never
    // writes into a folder it does not own.
    explicit TempFolder(const std::string& name = "test")
    {
        std::string pattern = "/tmp/quelm-" + name + "-XXXXXX";
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder like " + pattern);
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // A name inside the folder.
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The engine's resource pack: assets are copied on request out of "data.res" into a temporary
// folder in the current directory, opened there by their loaders, and removed at the end.
#pragma once

#include "assets/pack_format.h"

#include <cstdint>
#include <string>
#include <vector>

class ResourcePack {
public:
    ResourcePack() = default;
    ~ResourcePack();   // process exit: the clean-up once more
    ResourcePack(const ResourcePack&) = delete;
    ResourcePack& operator=(const ResourcePack&) = delete;

    // Reads the directory and creates the temporary folder ("ScrTempFd", else "ScrTempFd0", ...).
    void open(const char* packPath);
    // Copies the entry (name ignoring case) to tempPath(outputName or name), under the stored name.
    void extract(const char* name, const char* outputName = nullptr);
    // The folder prefix followed by the name.
    std::string tempPath(const char* name) const;
    // Deletes every file the directory could have produced and the folder; empties the directory.
    void removeTempFiles();
    void close();

    // Runs before the message when the pack cannot be opened (the engine stops its run).
    void (*onOpenFailure)() = nullptr;

    int32_t entryCount() const { return entryCount_; }
    const std::vector<PackRecord>& directory() const { return directory_; }
    const std::string& folderName() const { return folderName_; }

private:
    const PackRecord* find(const std::string& name) const;
    bool createFolder();
    bool claimFolder(const std::string& name);

    int32_t entryCount_ = 0;
    std::string packPath_;
    std::string folderName_ = "ScrTempFd";
    std::string folderPrefix_ = "ScrTempFd/";
    std::vector<PackRecord> directory_;   // lookup order: the pack's last record first
    // Open on the folder this engine made and has not yet removed, holding its lock; -1 otherwise.
    int folderLock_ = -1;
};

// How many numbered folder names are tried before giving up.
constexpr int kMaxTempFolderTries = 1000;

// The engine's resource pack: assets are copied on request out of "data.res" into a temporary
// folder in the current directory, opened there by their loaders, and removed at the end.
#pragma once

#include "assets/pack_format.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <vector>

class ResourcePack {
public:
    ResourcePack() = default;
    ~ResourcePack();   // process exit: the clean-up once more
    ResourcePack(const ResourcePack&) = delete;
    ResourcePack& operator=(const ResourcePack&) = delete;

    // Reads the directory and creates the temporary folder ("ScrTempFd", else "ScrTempFd0", ...).
    // A pack that cannot be opened, or a folder that cannot be made, is a fatal message.
    void open(const char* packPath);
    // Copies the entry (name ignoring case) to tempPath(outputName or name), under the stored name.
    // Once the folder has been removed it writes nothing.
    void extract(const char* name, const char* outputName = nullptr);
    // The folder prefix followed by the name.
    std::string tempPath(const char* name) const;
    // Deletes every file the directory could have produced and the folder this engine made;
    // empties the directory. Safe from another thread while a file is extracted: it waits for
    // that copy, and only the first call removes anything.
    void removeTempFiles();
    void close();

    // The file lock the folder choice uses (flock's contract); a test puts a failing one here.
    int (*lockCall)(int fd, int operation) = ::flock;

    int32_t entryCount() const { return entryCount_; }
    const std::vector<PackRecord>& directory() const { return directory_; }
    const std::string& folderName() const { return folderName_; }

private:
    enum class Copy { Done, NotInPack, Failed };
    const PackRecord* find(const std::string& name) const;
    Copy copyEntry(const char* name, const char* outputName);
    bool createFolder();
    bool claimFolder(const std::string& name, bool withLocks);
    bool reclaimLeftover(const std::string& name);

    int32_t entryCount_ = 0;
    std::string packPath_;
    std::string folderName_ = "ScrTempFd";
    std::string folderPrefix_ = "ScrTempFd/";
    std::vector<PackRecord> directory_;   // lookup order: the pack's last record first
    // Extraction and removal never overlap: the removal runs whole, once, and nothing is written
    // into the folder after it.
    mutable std::mutex folderMutex_;
    bool madeFolder_ = false;     // this engine's mkdir made folderName_, which is not yet removed
    bool folderRemoved_ = false;  // the clean-up has run on the folder this engine made
    bool choseWithLocks_ = false; // the folder was chosen under the choosing lock
    std::string folderMark_;      // the lock file or the no-lock mark inside the folder
    int folderLock_ = -1;         // holds the lock on the folder's lock file; -1 without one
    int lockError_ = 0;           // why a lock could not be taken
};

// How many numbered folder names are tried before giving up.
constexpr int kMaxTempFolderTries = 1000;
// Beside the folders in the program directory: the lock engines take while they choose their
// folders. It lives only while one is held.
constexpr const char* kChoosingLockName = "ScrTempFd.lock";
// Inside a folder: the lock file its engine holds while it runs, or, where no lock could be
// taken, the mark that says so. Both are longer than a pack entry's name can be, so no copy
// ever overwrites them.
constexpr const char* kFolderLockName = ".lock-of-this-folder";
constexpr const char* kNoLockMarkName = ".made-without-locks";

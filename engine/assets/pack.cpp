// Resource pack reading, extraction into the temporary folder, and its clean-up.
#include "assets/pack.h"

#include "base/messages.h"
#include "base/names.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

static constexpr const char* kFolderBase = "ScrTempFd";

ResourcePack::~ResourcePack() { close(); }

void ResourcePack::open(const char* packPath)
{
    packPath_ = packPath;
    std::FILE* file = std::fopen(packPath, "rb");
    if (!file) {
        if (onOpenFailure) onOpenFailure();
        showMessage("Res File Not Found!", "ERROR");
        return;
    }
    std::fseek(file, 0, SEEK_END);
    int64_t length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    std::vector<uint8_t> head(4, 0);
    size_t got = std::fread(head.data(), 1, 4, file);
    int32_t count = 0;
    if (got == 4) {
        count = static_cast<int32_t>(head[0] | head[1] << 8 | head[2] << 16 | static_cast<uint32_t>(head[3]) << 24);
        head.resize(static_cast<size_t>(packDirectoryBytes(count, length)));
        head.resize(4 + std::fread(head.data() + 4, 1, head.size() - 4, file));
    }
    std::fclose(file);
    entryCount_ = count;
    directory_ = parsePackDirectory(head, length);

    if (!createFolder()) {
        directory_.clear();
        if (onOpenFailure) onOpenFailure();
        showMessage("Temporary folder could not be created!", "ERROR");
    }
}

// Several engines can start in one program directory at once (a screensaver daemon runs one per
// monitor). They choose their folders one at a time, under a lock on the directory, and each keeps
// a lock on the folder it made for as long as it lives. A folder whose lock is held belongs to a
// running engine and is never taken for an empty leftover; a crashed engine's lock goes with it.
namespace {

int openFolder(const std::string& name) { return ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

class ChoosingLock {
public:
    ChoosingLock() : fd_(openFolder("."))
    {
        if (fd_ >= 0)
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~ChoosingLock()
    {
        if (fd_ >= 0) ::close(fd_);   // closing lets the lock go
    }
    ChoosingLock(const ChoosingLock&) = delete;
    ChoosingLock& operator=(const ChoosingLock&) = delete;

private:
    int fd_;
};

bool heldByAnotherEngine(const std::string& name)
{
    const int fd = openFolder(name);
    if (fd < 0) return false;
    const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

}  // namespace

bool ResourcePack::claimFolder(const std::string& name)
{
    if (mkdir(name.c_str(), 0755) != 0) return false;
    folderLock_ = openFolder(name);
    if (folderLock_ < 0) {   // a folder that cannot be opened cannot be used either
        rmdir(name.c_str());
        return false;
    }
    flock(folderLock_, LOCK_EX | LOCK_NB);
    return true;
}

bool ResourcePack::createFolder()
{
    ChoosingLock choosing;
    // "ScrTempFd", then "ScrTempFd0", "ScrTempFd1", ...: each name is made, or, when an empty
    // leftover of an earlier run holds it, removed and made again. A running engine's folder is
    // never removed, and rmdir refuses one with files in it.
    for (int i = -1; i < kMaxTempFolderTries; ++i) {
        const std::string name = i < 0 ? std::string(kFolderBase) : kFolderBase + std::to_string(i);
        if (claimFolder(name) || (!heldByAnotherEngine(name) && rmdir(name.c_str()) == 0 && claimFolder(name))) {
            folderName_ = name;
            folderPrefix_ = name + "/";
            return true;
        }
    }
    return false;
}

const PackRecord* ResourcePack::find(const std::string& name) const
{
    for (const PackRecord& r : directory_)
        if (sameNameIgnoringCase(r.name, name)) return &r;
    return nullptr;
}

void ResourcePack::extract(const char* name, const char* outputName)
{
    std::FILE* pack = std::fopen(packPath_.c_str(), "rb");
    if (!pack) {
        showMessage("File Not Found!", "ERROR");
        return;
    }
    const PackRecord* record = isPlainEntryName(name) ? find(name) : nullptr;
    if (!record) {
        std::fclose(pack);
        showMessage("RES NOT FOUND", name);
        return;
    }
    // Written under the stored name so the clean-up, which deletes by stored names, finds it;
    // lookups by any spelling find it too.
    std::string out = outputName ? std::string(outputName) : record->name;
    if (!isPlainEntryName(out)) out = record->name;
    std::string path = folderPrefix_ + out;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fclose(pack);
        showMessage("File Not Found!", "ERROR");
        return;
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(record->size));
    bool ok = std::fseek(pack, record->offset, SEEK_SET) == 0 &&
              std::fread(buffer.data(), 1, buffer.size(), pack) == buffer.size() &&
              std::fwrite(buffer.data(), 1, buffer.size(), file) == buffer.size();
    std::fclose(pack);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) {
        std::remove(path.c_str());   // never leave a short copy behind
        showMessage("File Not Found!", "ERROR");
    }
}

std::string ResourcePack::tempPath(const char* name) const
{
    // Loaders ask by their own spelling; the copy carries the stored one.
    const PackRecord* record = isPlainEntryName(name) ? find(name) : nullptr;
    return folderPrefix_ + (record ? record->name : std::string(name));
}

void ResourcePack::removeTempFiles()
{
    for (const PackRecord& r : directory_) std::remove((folderPrefix_ + r.name).c_str());
    directory_.clear();
    // Only a folder this engine made, and only once: by the time of the exit's clean-up another
    // engine may have made a folder of the same name.
    if (folderLock_ < 0) return;
    rmdir(folderName_.c_str());   // fails, as it should, when something else is left inside
    ::close(folderLock_);
    folderLock_ = -1;
}

void ResourcePack::close()
{
    removeTempFiles();
    entryCount_ = 0;
}

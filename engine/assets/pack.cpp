// Resource pack reading, extraction into the temporary folder, and its clean-up.
#include "assets/pack.h"

#include "base/messages.h"
#include "base/names.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
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
        showFatalMessage("Res File Not Found!", "ERROR", FailurePointer::Shown);
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
    bool made;
    {
        std::lock_guard<std::mutex> guard(folderMutex_);
        entryCount_ = count;
        directory_ = parsePackDirectory(head, length);   // read first: it tells litter from foreign files
        made = createFolder();
        folderRemoved_ = false;
        if (!made) directory_.clear();
    }
    if (!made) {
        showFatalMessage("Temporary folder could not be created!", "ERROR", FailurePointer::Shown);
    }
}

// Several engines can start in one program directory at once (a screensaver daemon runs one per
// monitor), and the directory may be on NFS, shared with other machines. The engines choose their
// folders one at a time, under a lock on a file beside the folders, and each holds a lock on a
// file inside the folder it made for as long as it lives. Locks are taken on regular files opened
// for writing: NFS locks nothing else. A folder counts as nobody's only when its lock was taken;
// a lock that fails for any other reason than another holder says nothing, and such a folder is
// left alone. Where no lock can be had at all, the engine takes only a name nobody has made (an
// atomic mkdir) and marks its folder as one whose engine cannot be told to be gone.
namespace {

// The file the descriptor holds is still the one the name links to: the engine that held the
// lock before may have removed it meanwhile, and a lock on a removed file guards nothing.
bool stillNamed(int fd, const std::string& path)
{
    struct stat held {}, named {};
    return fstat(fd, &held) == 0 && held.st_nlink > 0 && stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// The lock the engines take while they choose or remove their folders. The file exists only
// while one is held: its holder removes it before letting the lock go, and an engine that
// waited on the removed file looks again at the one the name links to now.
class ChoosingLock {
public:
    explicit ChoosingLock(int (*lockCall)(int, int))
    {
        constexpr int kTries = 100;   // each try follows another engine's whole turn
        for (int i = 0; i < kTries; ++i) {
            bool made = true;
            int fd = ::open(kChoosingLockName, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0 && errno == EEXIST) {
                made = false;
                fd = ::open(kChoosingLockName, O_RDWR | O_CLOEXEC);
                if (fd < 0 && errno == ENOENT) continue;   // its holder has just removed it
            }
            if (fd < 0) {
                error_ = errno;
                return;
            }
            int taken;
            while ((taken = lockCall(fd, LOCK_EX)) != 0 && errno == EINTR) {
            }
            if (taken != 0) {
                error_ = errno;
                ::close(fd);
                if (made) unlink(kChoosingLockName);   // nothing lingers where nothing locks
                return;
            }
            if (stillNamed(fd, kChoosingLockName)) {
                fd_ = fd;
                return;
            }
            ::close(fd);
        }
        error_ = EAGAIN;
    }
    ~ChoosingLock()
    {
        if (fd_ < 0) return;
        unlink(kChoosingLockName);
        ::close(fd_);   // closing lets the lock go
    }
    ChoosingLock(const ChoosingLock&) = delete;
    ChoosingLock& operator=(const ChoosingLock&) = delete;

    bool held() const { return fd_ >= 0; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

std::string inFolder(const std::string& folder, const char* name) { return folder + "/" + name; }

// The names of the files in the folder when it holds nothing but copies under the pack's
// stored names and its lock file: what an engine that did not reach its clean-up leaves.
std::optional<std::vector<std::string>> engineLitter(const std::string& folder, const std::vector<PackRecord>& records)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::vector<std::string> copies;
    bool onlyLitter = true;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || name == kFolderLockName) continue;
        struct stat info {};
        const bool packName =
            std::any_of(records.begin(), records.end(), [&](const PackRecord& r) { return r.name == name; });
        if (!packName || fstatat(dirfd(dir), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
            onlyLitter = false;
            break;
        }
        copies.push_back(name);
    }
    closedir(dir);
    if (!onlyLitter) return std::nullopt;
    return copies;
}

// An engine of an earlier version locks the folder itself, not a file in it; one still running
// (an update while the screensaver runs) must keep its folder. Only a lock held by another says
// so: where folders cannot be locked (NFS), such an engine held nothing either.
bool lockedAsFolder(const std::string& name, int (*lockCall)(int, int))
{
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = lockCall(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

}  // namespace

// Under the choosing lock: the leftover is removed when no engine holds its lock and it holds
// only the pack's copies. A leftover without a lock file (an engine that died before it made
// one, an empty folder of an older run) gets one for the look, and loses it again when it stays.
bool ResourcePack::reclaimLeftover(const std::string& name)
{
    const std::string lockPath = inFolder(name, kFolderLockName);
    bool madeLockFile = false;
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        madeLockFile = fd >= 0;
    }
    if (fd < 0) return false;
    const bool nobodys =
        lockCall(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(fd, lockPath) && !lockedAsFolder(name, lockCall);
    const std::optional<std::vector<std::string>> copies =
        nobodys ? engineLitter(name, directory_) : std::nullopt;
    // Let go before the removal: NFS keeps a removed file that is still open as a hidden one,
    // which would keep the folder. The choosing lock keeps every other engine away meanwhile.
    ::close(fd);
    if (!copies) {
        if (madeLockFile) unlink(lockPath.c_str());
        return false;
    }
    for (const std::string& copy : *copies) unlink(inFolder(name, copy.c_str()).c_str());
    unlink(lockPath.c_str());
    return rmdir(name.c_str()) == 0;
}

bool ResourcePack::claimFolder(const std::string& name, bool withLocks)
{
    if (mkdir(name.c_str(), 0755) != 0) return false;
    // From here the folder is this engine's, whatever comes of its lock.
    if (withLocks) {
        const std::string lockPath = inFolder(name, kFolderLockName);
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 && lockCall(fd, LOCK_EX | LOCK_NB) == 0) {
            folderLock_ = fd;
            folderMark_ = lockPath;
            return true;
        }
        lockError_ = errno;
        if (fd >= 0) {
            ::close(fd);
            unlink(lockPath.c_str());
        }
    }
    const std::string markPath = inFolder(name, kNoLockMarkName);
    const int mark = ::open(markPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (mark < 0) {   // a folder nothing can be written into is of no use
        rmdir(name.c_str());
        return false;
    }
    ::close(mark);
    folderMark_ = markPath;
    return true;
}

bool ResourcePack::createFolder()
{
    ChoosingLock choosing(lockCall);
    choseWithLocks_ = choosing.held();
    lockError_ = choosing.error();
    // "ScrTempFd", then "ScrTempFd0", "ScrTempFd1", ...: each name is made, or, with locks, taken
    // from the leftover of an engine that is gone and left only its copies (an empty one too).
    for (int i = -1; i < kMaxTempFolderTries; ++i) {
        const std::string name = i < 0 ? std::string(kFolderBase) : kFolderBase + std::to_string(i);
        if (claimFolder(name, choseWithLocks_) ||
            (choseWithLocks_ && reclaimLeftover(name) && claimFolder(name, true))) {
            madeFolder_ = true;
            folderName_ = name;
            folderPrefix_ = name + "/";
            if (folderLock_ < 0)
                logLine("no file lock can be taken here (%s): running without locks in the fresh folder %s",
                        std::strerror(lockError_), name.c_str());
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
    Copy result;
    {
        std::lock_guard<std::mutex> guard(folderMutex_);
        if (folderRemoved_) return;   // the run is ending: the loader finds no file and says so
        result = copyEntry(name, outputName);
    }
    if (result == Copy::NotInPack) showMessage("RES NOT FOUND", name);
    if (result == Copy::Failed) showMessage("File Not Found!", "ERROR");
}

ResourcePack::Copy ResourcePack::copyEntry(const char* name, const char* outputName)
{
    std::FILE* pack = std::fopen(packPath_.c_str(), "rb");
    if (!pack) return Copy::Failed;
    const PackRecord* record = isPlainEntryName(name) ? find(name) : nullptr;
    if (!record) {
        std::fclose(pack);
        return Copy::NotInPack;
    }
    // Written under the stored name so the clean-up, which deletes by stored names, finds it;
    // lookups by any spelling find it too.
    std::string out = outputName ? std::string(outputName) : record->name;
    if (!isPlainEntryName(out)) out = record->name;
    std::string path = folderPrefix_ + out;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fclose(pack);
        return Copy::Failed;
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(record->size));
    bool ok = std::fseek(pack, record->offset, SEEK_SET) == 0 &&
              std::fread(buffer.data(), 1, buffer.size(), pack) == buffer.size() &&
              std::fwrite(buffer.data(), 1, buffer.size(), file) == buffer.size();
    std::fclose(pack);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) {
        std::remove(path.c_str());   // never leave a short copy behind
        return Copy::Failed;
    }
    return Copy::Done;
}

std::string ResourcePack::tempPath(const char* name) const
{
    std::lock_guard<std::mutex> guard(folderMutex_);
    // Loaders ask by their own spelling; the copy carries the stored one.
    const PackRecord* record = isPlainEntryName(name) ? find(name) : nullptr;
    return folderPrefix_ + (record ? record->name : std::string(name));
}

void ResourcePack::removeTempFiles()
{
    std::lock_guard<std::mutex> guard(folderMutex_);
    // Only a folder this engine made, and only once: by the time of the exit's clean-up another
    // engine may have made a folder of the same name.
    if (madeFolder_) {
        // Under the choosing lock, so that no engine choosing meanwhile meets the folder half gone.
        std::optional<ChoosingLock> choosing;
        if (choseWithLocks_) choosing.emplace(lockCall);
        for (const PackRecord& r : directory_) std::remove((folderPrefix_ + r.name).c_str());
        if (folderLock_ >= 0) ::close(folderLock_);   // before its file goes, as NFS wants
        folderLock_ = -1;
        unlink(folderMark_.c_str());
        rmdir(folderName_.c_str());   // fails, as it should, when something else is left inside
        madeFolder_ = false;
        folderRemoved_ = true;
    }
    directory_.clear();
}

void ResourcePack::close()
{
    removeTempFiles();
    entryCount_ = 0;
}

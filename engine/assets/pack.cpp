// Resource pack reading, extraction into the temporary folder, and its clean-up.
#include "assets/pack.h"

#include "base/messages.h"
#include "base/names.h"

#include <cstdio>
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

bool ResourcePack::createFolder()
{
    std::string name = kFolderBase;
    if (mkdir(name.c_str(), 0755) != 0) {
        bool made = false;
        for (int i = 0; i < kMaxTempFolderTries && !made; ++i) {
            rmdir(name.c_str());   // succeeds only for an empty leftover of an earlier run
            if (mkdir(name.c_str(), 0755) == 0) {
                made = true;
                break;
            }
            name = kFolderBase + std::to_string(i);
            made = mkdir(name.c_str(), 0755) == 0;
        }
        if (!made) return false;
    }
    folderName_ = name;
    folderPrefix_ = name + "/";
    return true;
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
    rmdir(folderName_.c_str());   // fails, as it should, when something else is left inside
}

void ResourcePack::close()
{
    removeTempFiles();
    entryCount_ = 0;
}

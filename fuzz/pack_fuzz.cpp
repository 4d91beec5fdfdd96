// Fuzzes the pack directory reader and extraction: any bytes as "data.res", every entry
// extracted, then the clean-up. Nothing may be read or written out of bounds, and nothing
// may be left outside the temporary folder.
#include "assets/pack.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("ZERO_MESSAGES", "stderr", 1);
    static char pattern[] = "/tmp/quelm-packfuzz-XXXXXX";
    fs::current_path(mkdtemp(pattern));
    std::atexit([] {   // the working folder goes with the run
        std::error_code ec;
        fs::remove_all(pattern, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> head(data, data + size);
    // The reader on its own, as the engine calls it.
    for (const PackRecord& r : parsePackDirectory(head, static_cast<int64_t>(size)))
        if (r.offset < 0 || r.size < 0 || static_cast<uint64_t>(r.offset) + r.size > size || !isPlainEntryName(r.name))
            std::abort();

    if (std::FILE* f = std::fopen("data.res", "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    {
        ResourcePack pack;
        pack.open("data.res");
        for (const PackRecord& r : pack.directory()) pack.extract(r.name.c_str());
        pack.removeTempFiles();
    }
    // Only data.res may remain in the working folder.
    for (const fs::directory_entry& e : fs::directory_iterator(fs::current_path()))
        if (e.path().filename() != "data.res") std::abort();
    return 0;
}

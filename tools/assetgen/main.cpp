// assetgen: writes the pack's generated assets, the same bytes from the same seed every time.
//   assetgen [--seed N] [--preview DIR] OUTDIR [NAME...]
//                                           all assets, or only those named, into OUTDIR; with
//                                           --preview also pictures of the world to look at
//   assetgen --list                         the names it can make, one a line
#include "asset_catalogue.h"
#include "world_assets.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

static int usage()
{
    std::fprintf(stderr, "usage: assetgen [--seed N] [--preview DIR] OUTDIR [NAME...] | assetgen --list\n");
    return 2;
}

// Written beside the target and renamed, so a failed or interrupted run leaves no half file.
static bool writeFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    fs::path part = path;
    part += ".part";
    {
        std::ofstream out(part, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::error_code ec;
            fs::remove(part, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(part, path, ec);
    if (ec) fs::remove(part, ec);
    return !ec;
}

int main(int argc, char** argv)
{
    const std::vector<AssetMaker>& catalogue = assetCatalogue();
    int arg = 1;
    uint64_t seed = kAssetSeed;
    if (arg < argc && std::strcmp(argv[arg], "--list") == 0) {
        for (const AssetMaker& a : catalogue) std::printf("%s\n", a.name);
        return 0;
    }
    if (arg + 1 < argc && std::strcmp(argv[arg], "--seed") == 0) {
        char* end = nullptr;
        seed = std::strtoull(argv[arg + 1], &end, 0);
        if (!end || *end) {
            std::fprintf(stderr, "assetgen: '%s' is not a seed\n", argv[arg + 1]);
            return 2;
        }
        arg += 2;
    }
    fs::path previewDir;
    if (arg + 1 < argc && std::strcmp(argv[arg], "--preview") == 0) {
        previewDir = argv[arg + 1];
        arg += 2;
    }
    if (arg >= argc) return usage();
    fs::path outDir = argv[arg++];

    std::vector<const AssetMaker*> wanted;
    for (; arg < argc; ++arg) {
        const AssetMaker* found = nullptr;
        for (const AssetMaker& a : catalogue)
            if (std::strcmp(a.name, argv[arg]) == 0) found = &a;
        if (!found) {
            std::fprintf(stderr, "assetgen: no asset named '%s' (see --list)\n", argv[arg]);
            return 2;
        }
        wanted.push_back(found);
    }
    if (wanted.empty())
        for (const AssetMaker& a : catalogue) wanted.push_back(&a);

    std::error_code ec;
    fs::create_directories(outDir, ec);
    if (ec) {
        std::fprintf(stderr, "assetgen: cannot create %s: %s\n", outDir.c_str(), ec.message().c_str());
        return 1;
    }

    // Assets are independent: one worker per core takes the next one. Each asset's bytes depend
    // only on the seed, never on which worker made it.
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    auto worker = [&] {
        for (size_t i; (i = next++) < wanted.size();) {
            // A maker that refuses its input (an exception) fails its asset, not the whole process.
            std::vector<uint8_t> bytes;
            try {
                bytes = wanted[i]->make(seed);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "assetgen: %s: %s\n", wanted[i]->name, e.what());
            }
            fs::path path = outDir / wanted[i]->name;
            if (bytes.empty() || !writeFile(path, bytes)) {
                std::fprintf(stderr, "assetgen: could not make %s\n", path.c_str());
                failed = true;
            }
        }
    };
    unsigned workers = std::max(1u, std::min<unsigned>(std::thread::hardware_concurrency(), static_cast<unsigned>(wanted.size())));
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w) threads.emplace_back(worker);
    for (std::thread& t : threads) t.join();
    if (!previewDir.empty()) {
        fs::create_directories(previewDir, ec);
        if (ec || !writeWorldPreview(seed, previewDir.string())) {
            std::fprintf(stderr, "assetgen: could not write the preview into %s\n", previewDir.c_str());
            failed = true;
        }
    }
    return failed ? 1 : 0;
}

// respack: writes, lists and unpacks resource packs.
//   respack create PACK FILE...     entries named after the files, in the order given
//   respack list PACK               name, offset and size of every entry, in file order
//   respack extract PACK NAME OUT   one entry's bytes into OUT
#include "assets/pack_format.h"
#include "base/names.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

static bool readFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

static int usage()
{
    std::fprintf(stderr, "usage: respack create PACK FILE... | list PACK | extract PACK NAME OUT\n");
    return 2;
}

static int create(const std::string& packPath, int count, char** files)
{
    std::vector<std::pair<std::string, std::vector<uint8_t>>> entries;
    for (int i = 0; i < count; ++i) {
        std::string name = fs::path(files[i]).filename().string();
        if (name.size() > 15 || !isPlainEntryName(name)) {
            std::fprintf(stderr, "respack: '%s' is not a pack name (at most 15 characters)\n", name.c_str());
            return 1;
        }
        for (const auto& e : entries)
            if (sameNameIgnoringCase(e.first, name)) {
                std::fprintf(stderr, "respack: '%s' is packed twice\n", name.c_str());
                return 1;
            }
        std::vector<uint8_t> bytes;
        if (!readFile(files[i], bytes)) {
            std::fprintf(stderr, "respack: cannot read %s\n", files[i]);
            return 1;
        }
        entries.emplace_back(name, std::move(bytes));
    }
    std::vector<uint8_t> pack = buildPack(entries);
    std::string temp = packPath + ".part";
    {
        std::ofstream out(temp, std::ios::binary);
        out.write(reinterpret_cast<const char*>(pack.data()), static_cast<std::streamsize>(pack.size()));
        if (!out.flush()) {
            fs::remove(temp);
            std::fprintf(stderr, "respack: cannot write %s\n", packPath.c_str());
            return 1;
        }
    }
    fs::rename(temp, packPath);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc < 3) return usage();
    std::string command = argv[1], packPath = argv[2];
    if (command == "create") return create(packPath, argc - 3, argv + 3);

    std::vector<uint8_t> pack;
    if (!readFile(packPath, pack)) {
        std::fprintf(stderr, "respack: cannot read %s\n", packPath.c_str());
        return 1;
    }
    // Lookup order: the pack's last record first, so it wins among equal names.
    std::vector<PackRecord> records = parsePackDirectory(pack, static_cast<int64_t>(pack.size()));
    if (command == "list" && argc == 3) {
        for (auto r = records.rbegin(); r != records.rend(); ++r)
            std::printf("%-15s %10d %10d\n", r->name.c_str(), r->offset, r->size);
        return 0;
    }
    if (command == "extract" && argc == 5) {
        for (const PackRecord& r : records)
            if (sameNameIgnoringCase(r.name, argv[3])) {
                std::ofstream out(argv[4], std::ios::binary);
                out.write(reinterpret_cast<const char*>(pack.data() + r.offset), r.size);
                return out.flush() ? 0 : 1;
            }
        std::fprintf(stderr, "respack: no entry '%s' in %s\n", argv[3], packPath.c_str());
        return 1;
    }
    return usage();
}

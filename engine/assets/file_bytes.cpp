// Reads a file in one go; the size comes from seeking, so a file that shrinks meanwhile fails cleanly.
#include "assets/file_bytes.h"

#include <cstdio>

std::optional<std::vector<uint8_t>> readFileBytes(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    std::vector<uint8_t> bytes;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    long length = ok ? std::ftell(file) : -1;
    ok = length >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<size_t>(length));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    if (!ok) return std::nullopt;
    return bytes;
}

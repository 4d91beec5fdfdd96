// The resource pack's directory: a signed entry count, then 20-byte records (16-byte name,
// 32-bit offset), all little-endian, then the entries' bytes back to back. Sizes are not stored:
// each entry runs to the next record's offset, the last one to the end of the file.
// Parsing is defensive: a pack is a file a user can replace.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PackRecord {
    std::string name;   // as stored, up to 15 characters
    int32_t offset = 0;
    int32_t size = 0;
};

constexpr int kPackRecordBytes = 20;
constexpr int kPackNameBytes = 16;

// Reads the directory from the head of a pack whose whole length is fileLength. head holds the
// file's first bytes (at least the directory, or the whole file when shorter). Records come
// back in lookup order, the pack's last record first; records that cannot be extracted safely
// (sizes that do not fit the file, names with a folder part) are left out.
std::vector<PackRecord> parsePackDirectory(const std::vector<uint8_t>& head, int64_t fileLength);

// How many bytes of the file's head the directory of a pack can need: 4 + 20 × count, bounded by the file.
int64_t packDirectoryBytes(int32_t count, int64_t fileLength);

// A name that stays inside the temporary folder: not empty, no folder separator, no drive, not "." or "..".
bool isPlainEntryName(const std::string& name);

// Lays out a pack in memory from (name, bytes) pairs in the given order.
std::vector<uint8_t> buildPack(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries);

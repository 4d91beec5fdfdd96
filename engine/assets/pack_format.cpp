// Pack directory parsing and pack layout.
#include "assets/pack_format.h"

#include <algorithm>
#include <cstring>

static int32_t readInt32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

static void appendInt32(std::vector<uint8_t>& out, int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool isPlainEntryName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("/\\:") == std::string::npos;
}

int64_t packDirectoryBytes(int32_t count, int64_t fileLength)
{
    if (count <= 0) return 4;
    return std::min<int64_t>(4 + static_cast<int64_t>(count) * kPackRecordBytes, std::max<int64_t>(fileLength, 4));
}

std::vector<PackRecord> parsePackDirectory(const std::vector<uint8_t>& head, int64_t fileLength)
{
    std::vector<PackRecord> records;
    if (head.size() < 4 || fileLength < 4) return records;
    int32_t count = readInt32(head.data());
    if (count <= 0) return records;
    // Only as many records as the file can hold are read.
    int64_t available = (static_cast<int64_t>(head.size()) - 4) / kPackRecordBytes;
    int64_t n = std::min<int64_t>(count, available);
    int64_t dataStart = 4 + static_cast<int64_t>(count) * kPackRecordBytes;

    std::vector<PackRecord> inFileOrder(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) {
        const uint8_t* rec = head.data() + 4 + i * kPackRecordBytes;
        size_t len = strnlen(reinterpret_cast<const char*>(rec), kPackNameBytes);
        inFileOrder[i].name.assign(reinterpret_cast<const char*>(rec), len);
        inFileOrder[i].offset = readInt32(rec + kPackNameBytes);
    }
    // Each entry ends where the next record's data begins; the last at the end of the file.
    for (int64_t i = n - 1; i >= 0; --i) {
        PackRecord& r = inFileOrder[i];
        int64_t end = i == n - 1 ? fileLength : inFileOrder[i + 1].offset;
        int64_t size = end - r.offset;
        bool fits = r.offset >= dataStart && r.offset <= fileLength && size >= 0 && r.offset + size <= fileLength;
        if (!fits || !isPlainEntryName(r.name)) continue;
        r.size = static_cast<int32_t>(size);
        records.push_back(r);
    }
    return records;
}

std::vector<uint8_t> buildPack(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries)
{
    std::vector<uint8_t> out;
    appendInt32(out, static_cast<int32_t>(entries.size()));
    int64_t offset = 4 + static_cast<int64_t>(entries.size()) * kPackRecordBytes;
    for (const auto& [name, bytes] : entries) {
        uint8_t field[kPackNameBytes] = {};
        std::memcpy(field, name.data(), std::min<size_t>(name.size(), kPackNameBytes - 1));
        out.insert(out.end(), field, field + kPackNameBytes);
        appendInt32(out, static_cast<int32_t>(offset));
        offset += static_cast<int64_t>(bytes.size());
    }
    for (const auto& entry : entries) out.insert(out.end(), entry.second.begin(), entry.second.end());
    return out;
}

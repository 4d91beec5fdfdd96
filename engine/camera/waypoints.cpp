// Reading "wp.dat": out of the pack into the temporary folder, then into the fixed table.
#include "camera/waypoints.h"

#include "assets/pack.h"
#include "base/messages.h"
#include "base/whole_file.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <vector>

static constexpr const char* kLoadErrorText = "Error loading WP file.";
static constexpr const char* kLoadErrorCaption = "ERROR";

static uint32_t readLittle32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

static float readFloat(const uint8_t* p) { return std::bit_cast<float>(readLittle32(p)); }

WaypointParseReport parseWaypoints(const uint8_t* data, size_t size, WaypointPath& path)
{
    WaypointParseReport report;
    path.points = {};
    path.count = 0;
    if (size < kWaypointCountBytes) return report;

    report.storedCount = static_cast<int32_t>(readLittle32(data));
    int32_t count = report.storedCount;
    if (count < 0 || count > kMaxWaypoints) {
        report.countClamped = true;
        count = count < 0 ? 0 : kMaxWaypoints;
    }
    size_t available = (size - kWaypointCountBytes) / kWaypointRecordBytes;
    size_t toRead = std::min(static_cast<size_t>(count), available);
    for (size_t i = 0; i < toRead; ++i) {
        const uint8_t* r = data + kWaypointCountBytes + i * kWaypointRecordBytes;
        path.points[i] = {readFloat(r), readFloat(r + 4), readFloat(r + 8), readFloat(r + 12),
                          readFloat(r + 16), readFloat(r + 20), readFloat(r + 24)};
    }
    path.count = count;
    report.recordsRead = static_cast<int32_t>(toRead);
    return report;
}

bool WaypointPath::readFile(const std::string& filePath)
{
    // Never more than the count and a full table can use, whatever the file's length.
    std::optional<std::vector<uint8_t>> bytes =
        readWholeFile(filePath, kWaypointCountBytes + kMaxWaypoints * kWaypointRecordBytes);
    if (!bytes) {
        showFatalMessage(kLoadErrorText, kLoadErrorCaption, FailurePointer::Unchanged);
        return false;
    }
    const size_t got = bytes->size();
    WaypointParseReport report = parseWaypoints(bytes->data(), got, *this);
    if (got < kWaypointCountBytes)
        logLine("%s holds no waypoint count; the path is empty", filePath.c_str());
    else if (report.countClamped)
        logLine("%s states %d waypoints; %d are read", filePath.c_str(), report.storedCount, count);
    if (report.recordsRead < count)
        logLine("%s holds %d of its %d waypoints; the rest stay zero", filePath.c_str(), report.recordsRead, count);
    return true;
}

void WaypointPath::load(ResourcePack& pack, const char* name)
{
    pack.extract(name);
    readFile(pack.tempPath(name));
}

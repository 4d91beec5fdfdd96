// Fuzzes the waypoint reader: any bytes as "wp.dat", parsed directly and read from a file, then
// flown by the camera. The table must never be overrun and the segment must stay on the path.
#include "camera/camera.h"
#include "camera/waypoints.h"
#include "base/numeric.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("ZERO_MESSAGES", "stderr", 1);
    static char pattern[] = "/tmp/quelm-wpfuzz-XXXXXX";
    fs::current_path(mkdtemp(pattern));
    std::atexit([] {   // the working folder goes with the run
        std::error_code ec;
        fs::remove_all(pattern, ec);
    });
    return 0;
}

static void fly(const WaypointPath& path)
{
    int lastSegment = std::max(0, path.count - 4);
    Camera camera;
    for (uint32_t seed : {1u, 77u}) {
        seedRandom(seed);
        camera.restart(path);
        if (camera.segment < 0 || camera.segment > std::max(0, path.count - 3)) std::abort();
        for (float factor : {0.0f, 1.0f, 2.0f, 40.0f, 200.0f}) {
            camera.advance(path, factor);
            if (camera.segment < 0 || camera.segment > lastSegment) std::abort();
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static WaypointPath parsed, fromFile;   // 56 kB each: kept off the stack
    WaypointParseReport report = parseWaypoints(data, size, parsed);
    if (parsed.count < 0 || parsed.count > kMaxWaypoints || report.recordsRead > parsed.count) std::abort();
    fly(parsed);

    if (std::FILE* f = std::fopen("wp.dat", "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    if (!fromFile.readFile("wp.dat") || fromFile.count != parsed.count) std::abort();
    fly(fromFile);
    return 0;
}

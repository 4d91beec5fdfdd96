// wptool: writes camera path files ("wp.dat").
//   wptool orbit OUT RADIUS HEIGHT PITCH COUNT   a closed loop of COUNT waypoints round the island
//   wptool text IN OUT                           from a text file: seven numbers a line
//                                                (x y z qx qy qz qw), '#' starts a comment
#include "waypoints/wp_writer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

static int usage()
{
    std::fprintf(stderr, "usage: wptool orbit OUT RADIUS HEIGHT PITCH COUNT | text IN OUT\n");
    return 2;
}

static bool parseNumber(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

static int write(const std::string& path, const std::vector<Waypoint>& points)
{
    if (points.size() > static_cast<size_t>(kMaxWaypoints)) {
        std::fprintf(stderr, "wptool: %zu waypoints do not fit the engine's %d slots\n", points.size(), kMaxWaypoints);
        return 1;
    }
    std::string error;
    if (!writeWaypointFile(path, points, error)) {
        std::fprintf(stderr, "wptool: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

static int orbit(char** args)
{
    double radius, height, pitch, count;
    if (!parseNumber(args[1], radius) || !parseNumber(args[2], height) || !parseNumber(args[3], pitch) ||
        !parseNumber(args[4], count) || count < 1 || count != static_cast<int>(count)) {
        std::fprintf(stderr, "wptool: orbit takes numbers RADIUS HEIGHT PITCH and a whole COUNT of at least 1\n");
        return 2;
    }
    return write(args[0], orbitPath(static_cast<float>(radius), static_cast<float>(height),
                                    static_cast<float>(pitch), static_cast<int>(count)));
}

static int fromText(const char* inPath, const char* outPath)
{
    std::ifstream in(inPath);
    if (!in) {
        std::fprintf(stderr, "wptool: cannot read %s\n", inPath);
        return 1;
    }
    std::vector<Waypoint> points;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream fields(line);
        std::string word;
        std::vector<float> values;
        while (fields >> word) {
            double v;
            if (!parseNumber(word.c_str(), v)) {
                std::fprintf(stderr, "wptool: %s:%d: '%s' is not a number\n", inPath, number, word.c_str());
                return 1;
            }
            values.push_back(static_cast<float>(v));
        }
        if (values.empty()) continue;
        if (values.size() != 7) {
            std::fprintf(stderr, "wptool: %s:%d: a waypoint is seven numbers, not %zu\n", inPath, number, values.size());
            return 1;
        }
        points.push_back({values[0], values[1], values[2], values[3], values[4], values[5], values[6]});
    }
    return write(outPath, points);
}

int main(int argc, char** argv)
{
    if (argc < 2) return usage();
    std::string command = argv[1];
    if (command == "orbit" && argc == 7) return orbit(argv + 2);
    if (command == "text" && argc == 4) return fromText(argv[2], argv[3]);
    return usage();
}

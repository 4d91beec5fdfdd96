// Fuzzes the reader of the window outlines' "POINTS" resources: the bytes as one list, and split at
// their first zero byte into an x and a y list made into an outline. Every accepted value must
// lie within the limit, and an outline must pair every y value with an x value.
#include "points_resource.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Points_List all = Parse_Points(text);
    if (all.error.empty() == all.values.empty()) std::abort();
    for (int v : all.values)
        if (v < -kPointsLimit || v > kPointsLimit) std::abort();

    const size_t split = text.find('\0');
    if (split == std::string_view::npos) return 0;
    const Points_List x = Parse_Points(text.substr(0, split)), y = Parse_Points(text.substr(split + 1));
    const Outline_Vertices outline = Make_Outline(x.values, y.values);
    if (outline.error.empty()) {
        if (outline.vertices.size() != y.values.size() || outline.vertices.size() < 3) std::abort();
        for (size_t i = 0; i < outline.vertices.size(); ++i)
            if (outline.vertices[i].first != x.values[i] || outline.vertices[i].second != y.values[i]) std::abort();
    } else if (!outline.vertices.empty()) {
        std::abort();
    }
    return 0;
}

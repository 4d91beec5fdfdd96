// Reading the outline resources: integers line by line, then paired into vertices.
#include "points_resource.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The integer on one line, without its line break; false when the line holds anything else.
bool lineValue(std::string_view line, int& value)
{
    size_t i = 0, end = line.size();
    while (i < end && isBlank(line[i])) ++i;
    while (end > i && isBlank(line[end - 1])) --end;
    bool negative = false;
    if (i < end && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
    if (i == end) return false;
    long magnitude = 0;
    for (; i < end; ++i) {
        if (line[i] < '0' || line[i] > '9') return false;
        magnitude = magnitude * 10 + (line[i] - '0');
        if (magnitude > kPointsLimit) return false;
    }
    value = int(negative ? -magnitude : magnitude);
    return true;
}

}  // namespace

Points_List Parse_Points(std::string_view text)
{
    Points_List list;
    if (text.empty()) {
        list.error = "the list is empty";
        return list;
    }
    size_t start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++lineNumber;
        int value = 0;
        if (!lineValue(line, value)) {
            list.values.clear();
            list.error = "line " + std::to_string(lineNumber) + " is not an integer from " +
                         std::to_string(-kPointsLimit) + " to " + std::to_string(kPointsLimit);
            return list;
        }
        list.values.push_back(value);
        start = next;
    }
    return list;
}

Outline_Vertices Make_Outline(const std::vector<int>& x, const std::vector<int>& y)
{
    Outline_Vertices outline;
    if (y.size() < 3) {
        outline.error = "an outline needs at least 3 vertices, the y list has " + std::to_string(y.size());
        return outline;
    }
    if (x.size() < y.size()) {
        outline.error = "the x list has " + std::to_string(x.size()) + " values for " + std::to_string(y.size()) +
                        " vertices";
        return outline;
    }
    outline.vertices.reserve(y.size());
    for (size_t i = 0; i < y.size(); ++i) outline.vertices.emplace_back(x[i], y[i]);
    return outline;
}

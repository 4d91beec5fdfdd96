// The window outlines' "POINTS" resources: one decimal integer per line, lines separated by
// CR LF. Plain C++, so the reader can be driven by tests and the fuzzer without a window.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Outline coordinates beyond this are refused: no window of the host comes near it.
constexpr int kPointsLimit = 32767;

struct Points_List {
    std::vector<int> values;
    std::string error;   // empty when the text was read
};

// Every line must hold one decimal integer (an optional sign, blanks around it allowed); a lone LF
// ends a line as CR LF does, and a line break after the last value adds no line. An empty text,
// an empty or unreadable line, or a value beyond ±kPointsLimit is refused, naming the line.
Points_List Parse_Points(std::string_view text);

struct Outline_Vertices {
    std::vector<std::pair<int, int>> vertices;
    std::string error;
};

// The vertex count is the number of y values; the x list must hold at least as many. An outline
// of fewer than three vertices encloses nothing and is refused, as is a short x list.
Outline_Vertices Make_Outline(const std::vector<int>& x, const std::vector<int>& y);

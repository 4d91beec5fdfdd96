// The engine's one reader of whole files (pictures, models, the camera path, shader sources).
// It fails one way: nothing comes back, and the caller says what failed in its own words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

// The bytes of the regular file at path, at most maxBytes of them from its start; nothing when it
// cannot be opened, is no regular file, or cannot be read as far as its size said when it was
// opened (a file that shrinks meanwhile).
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path,
                                                  size_t maxBytes = std::numeric_limits<size_t>::max());

// Whole small files read into memory for the decoders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<std::vector<uint8_t>> readFileBytes(const std::string& path);

// Names compared without regard to ASCII letter case: the behaviour settings file's sections and
// keys, its file name in the program directory, and the resource pack's entries.
#pragma once

#include <optional>
#include <string>

// Equal length and equal bytes once ASCII letters are folded to one case; other bytes as they are.
bool sameNameIgnoringCase(const std::string& a, const std::string& b);

// The path of name inside folder: the exact spelling when it exists, else the first entry
// (in sorted order) whose name equals it ignoring ASCII case; nothing when neither exists.
std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name);

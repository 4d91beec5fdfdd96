// How a step of the host that can fail tells its caller: whether it worked, and a message for the
// user (why not; or, for a step that says what it did, what happened). A step that also hands
// something back returns a Result, an Outcome with that value beside it. The message is the bytes
// the terminal gets (paths as the file system spells them), so plain C++ and Qt code share it.
#pragma once

#include <string>
#include <utility>

struct Outcome {
    bool Ok = false;
    std::string Message;
};

inline Outcome Succeeded(std::string message = {}) { return {true, std::move(message)}; }
inline Outcome Failed(std::string message) { return {false, std::move(message)}; }

template <typename T>
struct Result : Outcome {
    T Value{};   // meaningful only where Ok
    Result(Outcome outcome, T value = T{}) : Outcome(std::move(outcome)), Value(std::move(value)) {}
};

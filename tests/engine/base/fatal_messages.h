// For a test of a loader's failures: records each run of the fatal-message hook (the pointer it
// asked for) while the recorder lives, and leaves no hook behind.
#pragma once

#include "base/messages.h"

#include <cstddef>
#include <vector>

class FatalMessages {
public:
    FatalMessages()
    {
        calls().clear();
        setFatalMessageHook([](FailurePointer pointer) { calls().push_back(pointer); });
    }
    ~FatalMessages() { setFatalMessageHook(nullptr); }
    FatalMessages(const FatalMessages&) = delete;
    FatalMessages& operator=(const FatalMessages&) = delete;

    // Each fatal message so far, by the pointer it asked for.
    const std::vector<FailurePointer>& pointers() const { return calls(); }
    size_t count() const { return calls().size(); }

private:
    static std::vector<FailurePointer>& calls()
    {
        static std::vector<FailurePointer> list;
        return list;
    }
};

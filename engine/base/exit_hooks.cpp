// One list of exit hooks, run by atexit and by endProcess.
#include "base/exit_hooks.h"

#include <cstdlib>
#include <vector>

static std::vector<ExitHook>& hooks()
{
    static std::vector<ExitHook> list;
    return list;
}

static bool g_registered = false;

void addExitHook(ExitHook hook)
{
    if (!g_registered) {
        hooks();   // the list must be built before atexit so it outlives the handler
        std::atexit(runExitHooks);
        g_registered = true;
    }
    hooks().push_back(hook);
}

void runExitHooks()
{
    std::vector<ExitHook>& list = hooks();
    while (!list.empty()) {
        ExitHook hook = list.back();
        list.pop_back();
        hook();
    }
}

void endProcess(int code)
{
    runExitHooks();
    std::exit(code);
}

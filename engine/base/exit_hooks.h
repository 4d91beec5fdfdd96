// Work that must happen however the process ends: the display's gamma restored, temporary files removed.
// The orderly shutdown does the same work itself; each hook must be safe to run after it (and twice).
#pragma once

using ExitHook = void (*)();

void addExitHook(ExitHook hook);
// Runs every hook once, newest first. Called at process exit and before any early exit.
void runExitHooks();
// Ends the process at once (an unrecoverable loader failure) after running the hooks.
[[noreturn]] void endProcess(int code);

// Capture mode's frames: the back buffer read before the swap and written as a PNG file.
#pragma once

#include <string>

// Reads the back buffer's lower-left width × height pixels and writes them to path. False on failure.
bool captureBackBuffer(const std::string& path, int width, int height);

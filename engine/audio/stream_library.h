// The engine's small audio library: looping file streams mixed into one output device.
// The operations mirror the classic stream library the engine was designed against, with the
// same arguments and results, so the audio player reads as its callers expect.
#pragma once

#include <cstdint>

// Version value the library reports when every runtime library it needs is recent enough.
constexpr uint32_t kStreamLibraryVersion = 0x20002;   // "2.2"

// Stream creation flag: the stream starts again from its beginning when it ends.
constexpr uint32_t kStreamLoop = 4;

// What channelIsActive answers.
constexpr uint32_t kChannelStopped = 0;
constexpr uint32_t kChannelPlaying = 1;
constexpr uint32_t kChannelPaused = 3;

// The device that init opens by default, and the argument values meaning "leave unchanged".
constexpr int kDefaultDevice = -1;
constexpr int kUnchangedFrequency = -1;
constexpr int kUnchangedPan = -101;

// kStreamLibraryVersion when the runtime SDL and libsndfile are at least the versions the engine
// was built against, 0 otherwise.
uint32_t streamLibraryVersion();

// Opens the output device (kDefaultDevice or a device number) at the given rate, stereo.
// The window is the engine's; audio output does not need it. False on failure or when open already.
bool streamLibraryInit(int device, uint32_t frequency, uint32_t flags, void* window);

// Opens a file stream, stopped at its start; 0 on failure. Only files on disk (fromMemory false)
// and whole files (offset 0, length 0) are offered. The file is decoded in small blocks as it plays.
uint32_t streamCreateFile(bool fromMemory, const char* path, uint64_t offset, uint64_t length, uint32_t flags);

// Volume 0 to 100 (linear gain volume / 100); -1 keeps it. Frequency and pan must be "unchanged".
bool channelSetAttributes(uint32_t handle, int frequency, int volume, int pan);

// Starts or resumes the stream; with restart it begins again from the start.
bool channelPlay(uint32_t handle, bool restart);

// kChannelPlaying, kChannelPaused or kChannelStopped (also for an unknown handle).
uint32_t channelIsActive(uint32_t handle);

bool channelPause(uint32_t handle);

// Closes the stream and its file.
bool streamFree(uint32_t handle);

// Frees every stream still open and closes the device.
bool streamLibraryFree();

// True when a runtime version (major, minor, patch) is at least the minimum.
bool versionAtLeast(int major, int minor, int patch, int minMajor, int minMinor, int minPatch);
// Reads "major.minor.patch" out of a text such as "libsndfile-1.2.0"; false when none is there.
bool parseVersionText(const char* text, int& major, int& minor, int& patch);

// The few operating-system services the program needs, behind functions of
// our own. os_linux.cpp implements them for Linux; another system adds a file
// beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Wall-clock time of day in 100-nanosecond ticks (precise, not monotonic).
std::uint64_t wallClockTicks();

// A high-resolution relative sleep of `ticks` 100-nanosecond ticks. Returns
// false when the high-resolution wait could not be made; the caller then falls
// back to sleepMilliseconds.
bool sleepTicksPrecise(std::uint64_t ticks);
void sleepMilliseconds(std::uint32_t milliseconds);

enum class OutputStatus {
    Written,   // every byte was written
    NoOutput,  // the process has no standard output
    Failed,    // a real write failure: closed pipe, full disk, ...
};

// Call first thing in main. A standard stream the process was started without
// is pointed at the null device, so that no file or socket opened later (the
// X connection, an audio file) takes its number and receives our output. A
// reader that closes its end of a pipe makes writes fail with an error
// instead of ending the process by a signal.
void prepareStandardStreams();

// Writes `bytes` to standard output with one write and no buffering of our
// own. `errorNumber` receives errno on failure.
OutputStatus writeStandardOutput(std::string_view bytes, int& errorNumber);

// Writes `bytes` to standard error in one write; failures are ignored (there
// is nowhere left to report them).
void writeStandardError(std::string_view bytes);

// The system's text for an error number from the functions above.
std::string errorText(int errorNumber);

// False when there is no display for a window to appear on and the user has
// not chosen a video driver (SDL_VIDEODRIVER) either. On Linux that is neither
// DISPLAY nor WAYLAND_DISPLAY set: SDL would then fall back to its offscreen
// driver, and the demo would play its song with nothing to be seen.
bool displayAvailable();

// The display the user pointed the demo at, for messages: "DISPLAY=:0",
// "WAYLAND_DISPLAY=wayland-0", both joined by " or ", or empty where the
// system has no such setting.
std::string namedDisplay();

// Fills `buffer` from the operating system's random source. Returns 0 on
// success, else a non-zero error code.
int fillEntropy(std::span<std::uint8_t> buffer);

// Process-wide allocator tuning, for a program's start-up (never a library's):
// blocks of up to `largestBlockBytes` come from the heap and are reused, and
// the heap is trimmed only past `trimSlackBytes` of free space. Programs that
// allocate and free the same canvas-sized blocks every frame call it so that
// each frame does not fault fresh pages in. A no-op where the C library has
// no such knobs.
void keepLargeBlocksOnTheHeap(std::size_t largestBlockBytes, std::size_t trimSlackBytes);

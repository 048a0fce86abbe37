// The operating-system services in a web browser (WebAssembly built with
// emscripten). The page (app/web/index.html) supplies the status line under
// the canvas that stands in for the console.
#include "platform/os.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr double TicksPerMillisecond = 10'000.0;  // 100-nanosecond ticks
constexpr std::string_view LineEnd = "\n";
constexpr std::string_view CursorToPreviousLine = "\x1b[F";  // ESC "[F"

// crypto.getRandomValues fills at most 65536 bytes per call.
constexpr std::size_t LargestEntropyCall = 65536;
constexpr int NoCryptoSource = 1;
}  // namespace

// Time of day in milliseconds with a fraction: the page's time origin plus
// the monotonic time since then, as the page's clock counts it. The page
// (index.html) holds that clock still from the start of a run until its
// sound is heard, so that the demo clock starts with the sound.
EM_JS(double, browserTimeOfDayMilliseconds, (), {
    return performance.timeOrigin + (Module.inviteClock ? Module.inviteClock() : performance.now());
});

// The newest standard-output line goes to the status element; it is written
// into the page at most once per animation frame, however often it changes.
EM_JS(void, browserShowStatusLine, (const char* text, int length), {
    Module.inviteStatusText = UTF8ToString(text, length);
    if (Module.inviteStatusPending) return;
    Module.inviteStatusPending = true;
    requestAnimationFrame(function() {
        Module.inviteStatusPending = false;
        var element = document.getElementById('time-line');
        if (element) element.textContent = Module.inviteStatusText;
    });
});

EM_JS(void, browserShowError, (const char* text, int length), {
    var line = UTF8ToString(text, length);
    if (Module.inviteShowError) {
        Module.inviteShowError(line);
    } else {
        console.error(line);
    }
});

// The browser's cryptographic random source; 0 when it is there.
EM_JS(int, browserRandomBytes, (std::uint8_t* buffer, int length), {
    var source = (typeof crypto === 'object' && crypto.getRandomValues) ? crypto : null;
    if (!source) return 1;
    source.getRandomValues(HEAPU8.subarray(buffer, buffer + length));
    return 0;
});

EM_JS(int, browserHasCanvas, (), {
    return Module.canvas ? 1 : 0;
});

std::uint64_t wallClockTicks() {
    return static_cast<std::uint64_t>(std::floor(browserTimeOfDayMilliseconds() * TicksPerMillisecond));
}

// The browser driver never sleeps: it is called again on the next animation
// frame. Should anything ask for a pause, the main thread has no way to block
// but waiting on the clock.
bool sleepTicksPrecise(std::uint64_t ticks) {
    const double until = emscripten_get_now() + static_cast<double>(ticks) / TicksPerMillisecond;
    while (emscripten_get_now() < until) {
    }
    return true;
}

void sleepMilliseconds(std::uint32_t milliseconds) {
    sleepTicksPrecise(static_cast<std::uint64_t>(milliseconds) * 10'000);
}

void prepareStandardStreams() {}

// Standard output is the page's status line. The console's "move up a line"
// and the newline that keep a terminal's time line in place have no meaning
// there: the line is shown without them.
OutputStatus writeStandardOutput(std::string_view bytes, int& errorNumber) {
    errorNumber = 0;
    if (bytes.ends_with(LineEnd)) bytes.remove_suffix(LineEnd.size());
    if (bytes.ends_with(CursorToPreviousLine)) bytes.remove_suffix(CursorToPreviousLine.size());
    if (const auto lastBreak = bytes.rfind('\n'); lastBreak != std::string_view::npos) {
        bytes.remove_prefix(lastBreak + 1);
    }
    browserShowStatusLine(bytes.data(), static_cast<int>(bytes.size()));
    return OutputStatus::Written;
}

void writeStandardError(std::string_view bytes) {
    if (bytes.ends_with(LineEnd)) bytes.remove_suffix(LineEnd.size());
    browserShowError(bytes.data(), static_cast<int>(bytes.size()));
}

std::string errorText(int errorNumber) { return std::strerror(errorNumber); }

bool displayAvailable() { return browserHasCanvas() != 0; }
std::string namedDisplay() { return {}; }

int fillEntropy(std::span<std::uint8_t> buffer) {
    for (std::size_t done = 0; done < buffer.size(); done += LargestEntropyCall) {
        const std::size_t length = std::min(LargestEntropyCall, buffer.size() - done);
        if (browserRandomBytes(buffer.data() + done, static_cast<int>(length)) != 0) {
            return NoCryptoSource;
        }
    }
    return 0;
}

// emscripten's allocator keeps freed blocks in the WebAssembly memory anyway.
void keepLargeBlocksOnTheHeap(std::size_t, std::size_t) {}

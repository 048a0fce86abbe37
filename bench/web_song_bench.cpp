// The song's render time in a browser: renderSong at the rates audio contexts
// commonly have, compiled to WebAssembly like the page. bench/web_bench.sh
// runs it in headless chromium; it reports through the page's title.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "music/song.h"

EM_JS(void, reportToPage, (const char* text), {
    document.title = 'done: ' + UTF8ToString(text);
});

int main() {
    std::string report;
    for (const int rate : {44100, 48000}) {
        constexpr int Runs = 3;
        double best = 1e300;
        std::size_t samples = 0;
        for (int run = 0; run < Runs; ++run) {
            const double began = emscripten_get_now();
            samples = renderSong(rate).size();
            best = std::min(best, emscripten_get_now() - began);
        }
        char line[96];
        std::snprintf(line, sizeof line, "%s%d Hz: %zu samples in %.1f ms", report.empty() ? "" : "; ",
                      rate, samples, best);
        report += line;
    }
    reportToPage(report.c_str());
    return 0;
}

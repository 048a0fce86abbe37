#include "tools/invite-tool/progress_bar.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

namespace {
constexpr std::int32_t BarWidth = 30;  // cells
constexpr auto RedrawInterval = std::chrono::milliseconds(100);
}  // namespace

std::string formatProgress(std::int64_t done, std::int64_t total, double framesPerSecond,
                           std::int32_t barWidth) {
    assert(total > 0 && barWidth > 0);
    done = std::clamp<std::int64_t>(done, 0, total);
    const std::int64_t filled = done * barWidth / total;
    std::string line = "[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(barWidth - filled), '.');
    char text[96];
    std::snprintf(text, sizeof text, "] %3lld%%  %lld/%lld frames",
                  static_cast<long long>(done * 100 / total), static_cast<long long>(done),
                  static_cast<long long>(total));
    line += text;
    if (framesPerSecond > 0.0) {
        std::snprintf(text, sizeof text, "  %.0f fps", framesPerSecond);
        line += text;
    }
    return line;
}

ProgressBar::ProgressBar(std::ostream& out, std::int64_t total) : out_(out), total_(total) {
    assert(total > 0);
}

void ProgressBar::update(std::int64_t done) {
    const Clock::time_point now = Clock::now();
    if (drawn_ && done < total_ && now - lastDraw_ < RedrawInterval) return;
    draw(done);
}

void ProgressBar::finish(std::int64_t done) {
    draw(done);
    out_ << '\n' << std::flush;
}

void ProgressBar::draw(std::int64_t done) {
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0;
    // Spaces after the text cover a longer line drawn before.
    out_ << '\r' << formatProgress(done, total_, rate, BarWidth) << "   " << std::flush;
    lastDraw_ = now;
    drawn_ = true;
}

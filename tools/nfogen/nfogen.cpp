// nfogen: writes the release's tiral25-invite.nfo to standard output.
//
//   nfogen
//
// The party's name, date, place, entry fee and links, the credits and the
// greetings are taken from the demo's own texts (text/demo_text.h), so the
// .nfo says what the demo shows. Every line is plain ASCII and at most 80
// columns wide.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "text/demo_text.h"

namespace {

constexpr std::string_view Version = INVITE_VERSION;
constexpr std::size_t Width = 80;

// The invitation's lines are laid out in columns: its cells are the runs of
// text between gaps of two or more spaces.
std::vector<std::string> cells(std::string_view line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i == line.size()) break;
        std::size_t end = i;
        while (end < line.size() && !(line[end] == ' ' && (end + 1 == line.size() || line[end + 1] == ' '))) ++end;
        out.emplace_back(line.substr(i, end - i));
        i = end;
    }
    return out;
}

// Cell `index` of invitation line `line`; the layout is fixed, so a missing
// cell is a fault in this program.
std::string cell(int line, std::size_t index) {
    const std::vector<std::string> all = cells(invitationLine(line));
    if (index >= all.size()) {
        std::fprintf(stderr, "nfogen: invitation line %d has no cell %zu\n", line, index);
        std::exit(1);
    }
    return all[index];
}

std::string afterPrefix(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0 ? text.substr(prefix.size()) : text;
}

std::string centred(std::string_view text) {
    return std::string((Width - text.size()) / 2, ' ') + std::string(text);
}

std::string field(std::string_view name, std::string_view value) {
    std::string line = "  " + std::string(name) + " ";
    line.resize(22, '.');
    return line + " " + std::string(value);
}

// Words joined by ", ", wrapped at the page width with an indent.
std::vector<std::string> wrapped(const std::vector<std::string>& words, std::size_t indent) {
    std::vector<std::string> lines;
    std::string line(indent, ' ');
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string word = words[i] + (i + 1 < words.size() ? "," : "");
        if (line.size() > indent && line.size() + 1 + word.size() > Width) {
            lines.push_back(line);
            line.assign(indent, ' ');
        }
        if (line.size() > indent) line += ' ';
        line += word;
    }
    lines.push_back(line);
    return lines;
}

}  // namespace

int main() {
    const std::string party = afterPrefix(cell(0, 0), "Pls come to ");
    const std::string date = cell(1, 0);
    const std::string place = cell(2, 0) + ", " + cell(3, 0) + ", " + cell(4, 0);
    const std::vector<std::string> credits = {cell(1, 1), cell(1, 2), cell(2, 2), cell(3, 2), cell(4, 1)};
    std::vector<std::string> greeted;
    for (int row = 0; row < GreetingRowCount; ++row) {
        for (const std::string& handle : cells(greetingRow(row))) greeted.push_back(handle);
    }
    const std::string group(SignatureText);
    const std::string v(Version);
    const std::string rule(Width - 4, '-');

    std::vector<std::string> page = {
        "",
        centred("T I R A L   2 0 2 5"),
        centred("- the invitation -"),
        "",
        centred("by " + group),
        centred("release " + v),
        "  " + rule,
        "",
        centred(std::string(ComeToText)),
        "",
        field("Party", party),
        field("Date", date),
        field("Place", place),
        field("Entry", cell(2, 1)),
        field("Web", cell(3, 1)),
        field("Matrix", afterPrefix(cell(8, 0), "Matrix: ")),
        field("Mastodon", afterPrefix(cell(8, 1), "Mastodon: ")),
        "",
        "  " + rule,
        "  CREDITS",
        "",
    };
    for (const std::string& line : wrapped(credits, 4)) page.push_back(line);
    for (const std::string& line : std::vector<std::string>{
             "",
             "  " + rule,
             "  WHAT RUNS WHERE",
             "",
             "  The demo: one 640 x 400 window (resizable), its own four-channel tracker",
             "  song, 114 seconds. F11 or Alt+Enter shows it fullscreen, for a projector;",
             "  Escape or closing the window ends it. It needs a sound device.",
             "",
             "  Windows 10/11, 64-bit    tiral25-invite-" + v + "-windows-x64.zip",
             "                           one .exe, nothing to install",
             "  Linux x86-64 (2022 on)   tiral25-invite-" + v + "-linux-x86_64.tar.gz",
             "                           glibc 2.34 or later, X11 or Wayland, and ALSA,",
             "                           PulseAudio or PipeWire; nothing to install",
             "  Debian 12, Ubuntu        tiral25-invite_" + v + "_amd64.deb",
             "                           sudo apt install ./tiral25-invite_" + v + "_amd64.deb",
             "                           (also brings invite-tool, its stills and videos)",
             "  Raspberry Pi 4 and 5,    tiral25-invite_" + v + "_arm64.deb",
             "  64-bit ARM Linux         the same package for Raspberry Pi OS (64-bit)",
             "  Web browsers             tiral25-invite-" + v + "-web.zip",
             "                           any static web server; WebAssembly and Web Audio",
             "  Video, 1920 x 1080       tiral25-invite-" + v + "-1080p.mp4",
             "                           H.264 and AAC, 60 frames per second",
             "  Source                   tiral25-invite-" + v + "-src.tar.gz",
             "",
             "  SHA256SUMS holds every file's checksum: sha256sum -c SHA256SUMS",
             "",
             "  " + rule,
             "  " + std::string(GreetingsHeaderText),
             "",
         }) {
        page.push_back(line);
    }
    for (const std::string& line : wrapped(greeted, 4)) page.push_back(line);
    page.push_back("");
    page.push_back("  " + rule);
    page.push_back(centred(group + " - " + std::string(ComeToText)));
    page.push_back("");

    for (const std::string& line : page) {
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
                std::fprintf(stderr, "nfogen: a character that is not plain ASCII in: %s\n", line.c_str());
                return 1;
            }
        }
        if (line.size() > Width) {
            std::fprintf(stderr, "nfogen: a line wider than %zu columns: %s\n", Width, line.c_str());
            return 1;
        }
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

// songgen: renders the built-in song's score into the bytes of its module.
//   songgen SCORE OUT.mod
#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/songgen/instruments.h"
#include "tools/songgen/module_writer.h"
#include "tools/songgen/score.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: songgen SCORE OUT.mod\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "songgen: cannot read " << argv[1] << '\n';
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto parsed = parseScore(text);
    if (!parsed.error.empty()) {
        std::cerr << "songgen: " << argv[1] << ": " << parsed.error << '\n';
        return 1;
    }
    const std::size_t highest =
        *std::max_element(parsed.score.order.begin(), parsed.score.order.end());
    if (parsed.score.patterns.size() != highest + 1) {
        std::cerr << "songgen: the score defines " << parsed.score.patterns.size()
                  << " patterns; the order table stores patterns 0.." << highest << '\n';
        return 1;
    }
    const auto bytes = writeModule(parsed.score, makeInstruments());
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::cerr << "songgen: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}

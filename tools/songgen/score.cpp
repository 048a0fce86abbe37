#include "tools/songgen/score.h"

#include <charconv>

namespace {

// The ProTracker period table at finetune 0, octaves 1..3, C to B. The values
// are the historical ones (Paula clock / (2 × note frequency), hand-rounded by
// the trackers), so they are listed rather than computed.
constexpr std::array<std::array<std::uint16_t, 12>, 3> NotePeriods = {{
    {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453},  // octave 1
    {428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226},  // octave 2
    {214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113},  // octave 3
}};

constexpr std::array<std::string_view, 12> NoteNames = {"C-", "C#", "D-", "D#", "E-", "F-",
                                                        "F#", "G-", "G#", "A-", "A#", "B-"};

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::vector<std::string_view> split(std::string_view s, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const auto at = s.find(separator, start);
        parts.push_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos
                                                                      : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

std::vector<std::string_view> words(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
        if (j > i) out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

bool parseNumber(std::string_view s, int base, int& value) {
    if (s.empty()) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    return ec == std::errc{} && end == s.data() + s.size();
}

// A comment runs from a '#' at the start of a line or after a blank to the end
// of the line; the '#' of a sharp such as "F#2" follows a letter.
std::size_t commentStart(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) return i;
    }
    return std::string_view::npos;
}

bool allDots(std::string_view s) { return s.find_first_not_of('.') == std::string_view::npos; }

// "NOTE INSTRUMENT EFFECT", for example "D-3 01 C31" or "--- .. ...".
// The instrument is decimal (01..31); the effect is a hex digit and a hex byte.
std::string parseCell(std::string_view text, Cell& cell) {
    const auto parts = words(text);
    if (parts.size() != 3) return "a cell needs note, instrument and effect";
    if (parts[0] != "---") {
        cell.period = periodOfNote(parts[0]);
        if (cell.period == 0) return "unknown note '" + std::string(parts[0]) + "'";
    }
    if (!allDots(parts[1])) {
        int instrument = 0;
        if (!parseNumber(parts[1], 10, instrument) || instrument < 1 || instrument > 31)
            return "instrument must be 01..31 or ..";
        cell.instrument = static_cast<std::uint8_t>(instrument);
    }
    if (!allDots(parts[2])) {
        int effect = 0;
        int param = 0;
        if (parts[2].size() != 3 || !parseNumber(parts[2].substr(0, 1), 16, effect) ||
            !parseNumber(parts[2].substr(1), 16, param))
            return "effect must be three hex digits or ...";
        cell.effect = static_cast<std::uint8_t>(effect);
        cell.param = static_cast<std::uint8_t>(param);
    }
    return {};
}

class Parser {
public:
    std::string line(std::string_view text) {
        text = trim(text.substr(0, commentStart(text)));
        if (text.empty()) return {};
        const auto parts = words(text);
        const auto keyword = parts.front();
        if (keyword == "title") return title(trim(text.substr(keyword.size())));
        if (keyword == "restart") return restart(parts);
        if (keyword == "order") return order(parts);
        if (keyword == "pattern") return pattern(parts);
        return row(text);
    }

    std::string finish() {
        if (auto error = incompletePattern(); !error.empty()) return error;
        if (score_.order.empty()) return "the score has no order line";
        for (const auto entry : score_.order)
            if (entry >= score_.patterns.size())
                return "the order plays pattern " + std::to_string(entry) +
                       ", which the score does not define";
        return {};
    }

    Score& score() { return score_; }

private:
    std::string incompletePattern() const {
        if (!inPattern_ || nextRow_ == RowsPerPattern) return {};
        return "pattern " + std::to_string(score_.patterns.size() - 1) + " has only " +
               std::to_string(nextRow_) + " rows";
    }

    std::string title(std::string_view text) {
        if (text.size() > 20) return "the title holds at most 20 characters";
        score_.title = std::string(text);
        return {};
    }

    std::string restart(const std::vector<std::string_view>& parts) {
        int value = 0;
        if (parts.size() != 2 || !parseNumber(parts[1], 10, value) || value < 0 || value > 127)
            return "restart takes one position 0..127";
        score_.restart = static_cast<std::uint8_t>(value);
        return {};
    }

    std::string order(const std::vector<std::string_view>& parts) {
        if (parts.size() < 2 || parts.size() > OrderTableSize + 1)
            return "order takes 1..128 pattern numbers";
        score_.order.clear();
        for (std::size_t i = 1; i < parts.size(); ++i) {
            int value = 0;
            if (!parseNumber(parts[i], 10, value) || value < 0 || value > 127)
                return "order entries are pattern numbers 0..127";
            score_.order.push_back(static_cast<std::uint8_t>(value));
        }
        return {};
    }

    std::string pattern(const std::vector<std::string_view>& parts) {
        if (auto error = incompletePattern(); !error.empty()) return error;
        int number = 0;
        if (parts.size() < 2 || !parseNumber(parts[1], 10, number) ||
            number != static_cast<int>(score_.patterns.size()))
            return "patterns are numbered 0, 1, 2, ... in order";
        score_.patterns.emplace_back();
        inPattern_ = true;
        nextRow_ = 0;
        return {};
    }

    // "RR | cell | cell | cell | cell" with the row number in decimal.
    std::string row(std::string_view text) {
        if (!inPattern_) return "a row outside any pattern";
        const auto fields = split(text, '|');
        if (fields.size() != ChannelCount + 1) return "a row has a number and 4 cells";
        int number = 0;
        if (!parseNumber(trim(fields[0]), 10, number) || number != nextRow_)
            return "expected row " + std::to_string(nextRow_);
        if (nextRow_ >= RowsPerPattern) return "a pattern has 64 rows";
        auto& cells = score_.patterns.back()[static_cast<std::size_t>(nextRow_)];
        for (std::size_t c = 0; c < ChannelCount; ++c) {
            if (auto error = parseCell(fields[c + 1], cells[c]); !error.empty())
                return "channel " + std::to_string(c + 1) + ": " + error;
        }
        ++nextRow_;
        return {};
    }

    Score score_;
    bool inPattern_ = false;
    int nextRow_ = 0;
};

}  // namespace

std::uint16_t periodOfNote(std::string_view name) {
    if (name.size() != 3 || name[2] < '1' || name[2] > '3') return 0;
    for (std::size_t n = 0; n < NoteNames.size(); ++n) {
        if (name.substr(0, 2) == NoteNames[n])
            return NotePeriods[static_cast<std::size_t>(name[2] - '1')][n];
    }
    return 0;
}

ScoreResult parseScore(std::string_view text) {
    Parser parser;
    int lineNumber = 0;
    for (const auto line : split(text, '\n')) {
        ++lineNumber;
        if (auto error = parser.line(line); !error.empty())
            return {{}, "line " + std::to_string(lineNumber) + ": " + error};
    }
    if (auto error = parser.finish(); !error.empty()) return {{}, error};
    return {std::move(parser.score()), {}};
}

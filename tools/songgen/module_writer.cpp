#include "tools/songgen/module_writer.h"

#include <algorithm>
#include <cassert>

namespace {

void putText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t size) {
    assert(text.size() <= size);
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}

void putWord(std::vector<std::uint8_t>& out, std::size_t value) {
    assert(value <= 0xFFFF);
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

// Lengths and loop points are stored in words of two bytes.
void putSampleHeader(std::vector<std::uint8_t>& out, const Instrument& instrument) {
    putText(out, instrument.name, SampleNameSize);
    putWord(out, instrument.data.size() / 2);
    out.push_back(static_cast<std::uint8_t>(instrument.finetune & 0x0F));  // signed nibble
    out.push_back(instrument.volume);
    putWord(out, instrument.loopStart / 2);
    putWord(out, instrument.loopLength / 2);
}

// b0: instrument bit 4 and period bits 8..11; b1: period bits 0..7;
// b2: instrument bits 0..3 and the effect; b3: the parameter.
void putCell(std::vector<std::uint8_t>& out, const Cell& cell) {
    assert(cell.period <= 0x0FFF && cell.instrument < 32 && cell.effect < 16);
    out.push_back(static_cast<std::uint8_t>((cell.instrument & 0x10) | (cell.period >> 8)));
    out.push_back(static_cast<std::uint8_t>(cell.period & 0xFF));
    out.push_back(static_cast<std::uint8_t>(((cell.instrument & 0x0F) << 4) | cell.effect));
    out.push_back(cell.param);
}

}  // namespace

std::vector<std::uint8_t> writeModule(const Score& score,
                                      const std::array<Instrument, InstrumentCount>& instruments) {
    assert(!score.order.empty() && score.order.size() <= OrderTableSize);
    // A player counts the stored patterns from the highest order entry, so every
    // pattern up to that one is stored and none after it.
    [[maybe_unused]] const std::size_t patternCount =
        1u + *std::max_element(score.order.begin(), score.order.end());
    assert(patternCount == score.patterns.size());

    std::vector<std::uint8_t> out;
    putText(out, score.title, TitleSize);
    for (const auto& instrument : instruments) putSampleHeader(out, instrument);
    out.push_back(static_cast<std::uint8_t>(score.order.size()));
    out.push_back(score.restart);
    for (std::size_t i = 0; i < OrderTableSize; ++i)
        out.push_back(i < score.order.size() ? score.order[i] : 0);
    putText(out, "M.K.", 4);
    assert(out.size() == PatternDataOffset);

    for (const auto& pattern : score.patterns)
        for (const auto& row : pattern)
            for (const auto& cell : row) putCell(out, cell);
    assert(out.size() == PatternDataOffset + patternCount * PatternSize);

    for (const auto& instrument : instruments)
        for (const auto byte : instrument.data) out.push_back(static_cast<std::uint8_t>(byte));
    return out;
}

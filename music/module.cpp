#include "music/module.h"

#include <algorithm>
#include <bitset>
#include <cassert>
#include <cstring>
#include <string>

namespace {

// A signature's four bytes, printable, for an error message.
std::string printableSignature(std::span<const std::uint8_t, 4> signature) {
    std::string text;
    for (std::uint8_t byte : signature) {
        if (byte >= 0x20 && byte < 0x7F) {
            text += static_cast<char>(byte);
        } else {
            static constexpr char Hex[] = "0123456789ABCDEF";
            text += "\\x";
            text += Hex[byte >> 4];
            text += Hex[byte & 15];
        }
    }
    return text;
}

MusicError error(std::string message) { return MusicError{std::move(message)}; }

// Header fields of sample `k` (0-based), in bytes, with the loop repaired.
struct SampleLayout {
    std::int64_t length = 0;
    std::int64_t loopStart = 0;
    std::int64_t loopLength = 0;
};

SampleLayout readSampleLayout(std::span<const std::uint8_t> bytes, std::size_t header) {
    SampleLayout layout;
    layout.length = 2 * std::int64_t{readU16BE(bytes, header + 22)};
    std::int64_t start = 2 * std::int64_t{readU16BE(bytes, header + 26)};
    std::int64_t loop = 2 * std::int64_t{readU16BE(bytes, header + 28)};
    if (start + loop > layout.length) {
        // Some trackers wrote the loop start in bytes instead of words; if
        // halving it makes the loop fit, that is what happened. Otherwise the
        // loop is cut at the sample's end, which may leave nothing of it.
        if (start / 2 + loop <= layout.length) {
            start /= 2;
        } else {
            loop = layout.length - start;
        }
    }
    if (loop < 4) {
        // No loop, or one too short to be meant as a loop (the usual 2-byte
        // "loop" of a one-shot sample): play to the end and stop.
        layout.loopStart = layout.length;
        layout.loopLength = 0;
    } else {
        layout.loopStart = start;
        layout.loopLength = loop;
    }
    return layout;
}

// Instruments named by any cell of the patterns that the song plays.
std::bitset<SampleCount + 1> playedInstruments(const Module& module, std::int64_t playedOrders) {
    std::bitset<SampleCount + 1> used;
    const std::size_t patternBytes =
        static_cast<std::size_t>(RowsPerPattern * module.channelCount * CellBytes);
    for (std::int64_t i = 0; i < playedOrders; ++i) {
        const std::size_t first = module.orderTable[static_cast<std::size_t>(i)] * patternBytes;
        for (std::size_t at = first; at < first + patternBytes; at += CellBytes) {
            used.set(decodeCell(&module.patternData[at]).instrument);
        }
    }
    return used;
}

}  // namespace

std::uint16_t readU16BE(std::span<const std::uint8_t> bytes, std::size_t index) {
    assert(index + 1 < bytes.size());
    return static_cast<std::uint16_t>((bytes[index] << 8) | bytes[index + 1]);
}

PatternCell decodeCell(const std::uint8_t* bytes) {
    PatternCell cell;
    cell.notePeriod = static_cast<std::uint16_t>(((bytes[0] & 0x0F) << 8) | bytes[1]);
    // Bits 5..7 of the first byte are unused by 31-instrument modules.
    cell.instrument = static_cast<std::uint8_t>((bytes[0] & 0x10) | (bytes[2] >> 4));
    cell.effect = static_cast<std::uint8_t>(bytes[2] & 0x0F);
    cell.param = bytes[3];
    return cell;
}

int channelCountForSignature(std::span<const std::uint8_t, 4> signature) {
    const auto is = [&](const char* text) { return std::memcmp(signature.data(), text, 4) == 0; };
    if (is("M.K.") || is("M!K!") || is("FLT4") || is("4CHN")) return 4;
    const auto digit = [](std::uint8_t c) { return c >= '0' && c <= '9' ? c - '0' : -1; };
    // "xCHN": 1..9 channels (FastTracker's and TakeTracker's convention).
    if (digit(signature[0]) >= 1 && signature[1] == 'C' && signature[2] == 'H' &&
        signature[3] == 'N') {
        return digit(signature[0]);
    }
    // "xxCH": 10..16 channels; more would not fit the player's 16 channels.
    if (digit(signature[0]) >= 0 && digit(signature[1]) >= 0 && signature[2] == 'C' &&
        signature[3] == 'H') {
        const int count = 10 * digit(signature[0]) + digit(signature[1]);
        if (count >= 10 && count <= MaxChannels) return count;
    }
    return 0;
}

MusicResult<Module> loadModule(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < ModuleHeaderBytes) {
        return error("module too short: " + std::to_string(bytes.size()) +
                     " bytes, the header alone needs " + std::to_string(ModuleHeaderBytes));
    }
    const std::span<const std::uint8_t, 4> signature = bytes.subspan<SignatureOffset, 4>();
    Module module;
    module.channelCount = channelCountForSignature(signature);
    if (module.channelCount == 0) {
        return error("unsupported signature \"" + printableSignature(signature) +
                     "\": only 4-channel \"M.K.\", \"M!K!\", \"FLT4\", \"4CHN\" and "
                     "1..16-channel \"xCHN\"/\"xxCH\" modules play");
    }
    module.data = bytes;
    module.songLength = bytes[SongLengthOffset];
    if (module.songLength > static_cast<std::int64_t>(OrderTableEntries)) {
        return error("song length " + std::to_string(module.songLength) +
                     " is beyond the 128-entry order table");
    }
    module.orderTable = bytes.subspan(OrderTableOffset, OrderTableEntries);
    module.patternData = bytes.subspan(ModuleHeaderBytes);

    // Every order entry counts for the number of stored patterns, also those
    // beyond the song length. Only here is bit 7 masked off.
    std::uint8_t highest = 0;
    for (std::uint8_t entry : module.orderTable) highest = std::max<std::uint8_t>(highest, entry & 0x7F);
    module.patternCount = 1 + std::int64_t{highest};

    const std::size_t patternBytes =
        static_cast<std::size_t>(module.patternCount * RowsPerPattern * module.channelCount * CellBytes);
    std::size_t offset = ModuleHeaderBytes + patternBytes;
    if (offset > bytes.size()) {
        return error("pattern data truncated: " + std::to_string(module.patternCount) +
                     " patterns end at byte " + std::to_string(offset) + ", the module has " +
                     std::to_string(bytes.size()) + " bytes");
    }
    // The sequencer plays order entries as stored, unmasked; the song always
    // plays position 0, even with a song length of 0.
    const std::int64_t playedOrders = std::max<std::int64_t>(module.songLength, 1);
    for (std::int64_t i = 0; i < playedOrders; ++i) {
        const std::uint8_t pattern = module.orderTable[static_cast<std::size_t>(i)];
        if (pattern >= module.patternCount) {
            return error("order position " + std::to_string(i) + " plays pattern " +
                         std::to_string(pattern) + ", but only " +
                         std::to_string(module.patternCount) + " patterns are stored");
        }
    }

    module.samples[0] = SampleHeader{};
    for (int k = 0; k < SampleCount; ++k) {
        const std::size_t header = SampleHeaderOffset + SampleHeaderBytes * static_cast<std::size_t>(k);
        const SampleLayout layout = readSampleLayout(bytes, header);
        // An empty sample holds no bytes, wherever it would start; after a
        // truncated last sample the empty ones that follow start past the end.
        if (offset > bytes.size() && layout.length > 0) {
            return error("sample " + std::to_string(k + 1) + " starts at byte " +
                         std::to_string(offset) + ", past the end of the module (" +
                         std::to_string(bytes.size()) + " bytes)");
        }
        SampleHeader& sample = module.samples[static_cast<std::size_t>(k + 1)];
        sample.data = bytes.subspan(std::min(offset, bytes.size()));
        sample.loopStart = static_cast<std::uint64_t>(layout.loopStart) * PositionOne;
        sample.loopLength = static_cast<std::uint64_t>(layout.loopLength) * PositionOne;
        // Bit 7 of the volume byte is ignored; anything above 64 is full volume.
        sample.volume = static_cast<std::uint8_t>(std::min(bytes[header + 25] & 0x7F, 64));
        // The signed nibble -8..+7 becomes the index 0..15, with 0 at 8.
        sample.finetune = static_cast<std::uint8_t>((bytes[header + 24] & 0x0F) ^ 8);
        offset += static_cast<std::size_t>(layout.length);
    }

    // The mixer reads a sample below loopStart + loopLength only; check that
    // this lies inside the module for every sample the song can play, so the
    // mixing loop needs no bounds check of its own.
    const auto used = playedInstruments(module, playedOrders);
    for (int k = 1; k <= SampleCount; ++k) {
        if (!used.test(static_cast<std::size_t>(k))) continue;
        const SampleHeader& sample = module.samples[static_cast<std::size_t>(k)];
        const std::uint64_t end = (sample.loopStart + sample.loopLength) >> PositionFractionBits;
        if (end > sample.data.size()) {
            const std::size_t start = bytes.size() - sample.data.size();
            return error("sample " + std::to_string(k) + " is played but ends at byte " +
                         std::to_string(start + end) + ", past the end of the module (" +
                         std::to_string(bytes.size()) + " bytes)");
        }
    }
    return module;
}

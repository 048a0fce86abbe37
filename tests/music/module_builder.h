// A tiny in-memory module writer for tests: an "M.K." (or other signature)
// module with a few patterns, cells written one by one, and samples.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "music/module.h"

class ModuleBuilder {
public:
    struct Sample {
        std::vector<std::int8_t> content;  // even length
        int loopStartBytes = 0;
        int loopLengthBytes = 2;  // 2 = one-shot, as trackers store it
        std::uint8_t volume = 64;
        std::uint8_t finetuneByte = 0;
    };

    explicit ModuleBuilder(int patternCount = 1, int channelCount = 4, const char* signature = "M.K.")
        : patterns_(patternCount), channels_(channelCount), signature_(signature),
          patternData_(static_cast<std::size_t>(patternCount * 64 * channelCount * 4), 0) {
        order_[0] = 0;
    }

    ModuleBuilder& orders(std::initializer_list<std::uint8_t> entries) {
        std::size_t i = 0;
        for (std::uint8_t e : entries) order_[i++] = e;
        songLength_ = static_cast<std::uint8_t>(entries.size());
        return *this;
    }
    ModuleBuilder& songLength(std::uint8_t length) {
        songLength_ = length;
        return *this;
    }
    ModuleBuilder& orderEntry(std::size_t index, std::uint8_t value) {
        order_[index] = value;
        return *this;
    }

    // Writes one cell: note period, instrument, effect nibble, parameter.
    ModuleBuilder& cell(int pattern, int row, int channel, int period, int instrument, int effect = 0,
                        int param = 0) {
        std::uint8_t* c = &patternData_[static_cast<std::size_t>(((pattern * 64 + row) * channels_ + channel) * 4)];
        c[0] = static_cast<std::uint8_t>((instrument & 0x10) | ((period >> 8) & 0x0F));
        c[1] = static_cast<std::uint8_t>(period & 0xFF);
        c[2] = static_cast<std::uint8_t>(((instrument & 0x0F) << 4) | (effect & 0x0F));
        c[3] = static_cast<std::uint8_t>(param);
        return *this;
    }
    // An effect alone in a cell.
    ModuleBuilder& effect(int pattern, int row, int channel, int effect, int param) {
        return cell(pattern, row, channel, 0, 0, effect, param);
    }

    ModuleBuilder& sample(int number, Sample s) {
        samples_[number - 1] = std::move(s);
        return *this;
    }
    // A looping sample whose bytes are all `value`.
    ModuleBuilder& constantSample(int number, int lengthBytes, std::int8_t value, bool loop = true,
                                  std::uint8_t volume = 64) {
        Sample s;
        s.content.assign(static_cast<std::size_t>(lengthBytes), value);
        if (loop) s.loopLengthBytes = lengthBytes;
        s.volume = volume;
        return sample(number, std::move(s));
    }
    // Raw header words for loader tests (lengths in words, as stored).
    ModuleBuilder& rawHeader(int number, int lengthWords, std::uint8_t finetune, std::uint8_t volume,
                             int loopStartWords, int loopLengthWords) {
        raw_[number - 1] = {true, lengthWords, finetune, volume, loopStartWords, loopLengthWords};
        return *this;
    }

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> bytes(1084, 0);
        std::memcpy(bytes.data(), "test module", 11);
        for (int k = 0; k < 31; ++k) {
            std::uint8_t* h = &bytes[static_cast<std::size_t>(20 + 30 * k)];
            const Sample& s = samples_[k];
            const Raw& r = raw_[k];
            int length = static_cast<int>(s.content.size()) / 2;
            int loopStart = s.loopStartBytes / 2;
            int loopLength = s.content.empty() ? 1 : s.loopLengthBytes / 2;
            std::uint8_t finetune = s.finetuneByte;
            std::uint8_t volume = s.volume;
            if (r.set) {
                length = r.length;
                loopStart = r.loopStart;
                loopLength = r.loopLength;
                finetune = r.finetune;
                volume = r.volume;
            }
            h[22] = static_cast<std::uint8_t>(length >> 8);
            h[23] = static_cast<std::uint8_t>(length);
            h[24] = finetune;
            h[25] = volume;
            h[26] = static_cast<std::uint8_t>(loopStart >> 8);
            h[27] = static_cast<std::uint8_t>(loopStart);
            h[28] = static_cast<std::uint8_t>(loopLength >> 8);
            h[29] = static_cast<std::uint8_t>(loopLength);
        }
        bytes[950] = songLength_;
        bytes[951] = 0;
        std::memcpy(&bytes[952], order_, 128);
        std::memcpy(&bytes[1080], signature_.data(), 4);
        bytes.insert(bytes.end(), patternData_.begin(), patternData_.end());
        for (const Sample& s : samples_) {
            for (std::int8_t v : s.content) bytes.push_back(static_cast<std::uint8_t>(v));
        }
        return bytes;
    }

private:
    struct Raw {
        bool set = false;
        int length = 0;
        std::uint8_t finetune = 0;
        std::uint8_t volume = 0;
        int loopStart = 0;
        int loopLength = 0;
    };
    int patterns_;
    int channels_;
    std::string signature_;
    std::vector<std::uint8_t> patternData_;
    std::uint8_t order_[128] = {};
    std::uint8_t songLength_ = 1;
    Sample samples_[31];
    Raw raw_[31];
};

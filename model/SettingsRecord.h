#pragma once

// std
#include <array>
#include <cstddef>
#include <cstdint>

// The global settings (28 bytes). Offsets count from the start of the radio's settings frame,
// whose first four bytes are the frame header (zero in a file):
// 0..3 header | 4 battery saving | 5..13 zero | 14 squelch | 15 time-out (seconds: 0/60/120/180)
// | 16 voice | 17 PF1 | 18 PF2 | 19 scan | 20..27 zero.
// Only offsets 4 and 14..19 carry meaning; the program writes every other byte as zero.
struct SettingsRecord
{
    static constexpr std::size_t kSize = 28;
    struct Offset
    {
        enum : std::size_t
        {
            SavePower = 4,
            SquelchLevel = 14,
            TimeOut = 15,
            Voice = 16,
            Pf1 = 17,
            Pf2 = 18,
            Scan = 19
        };
    };

    std::array<std::uint8_t, kSize> bytes{};

    bool operator==(const SettingsRecord&) const = default;
};
static_assert(sizeof(SettingsRecord) == SettingsRecord::kSize);

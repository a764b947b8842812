#pragma once

#include "ChannelRecord.h"
#include "SettingsRecord.h"

// std
#include <array>
#include <cstddef>

// The radio's whole programmable memory (412 bytes): channels 1..16 at offset 24 x (n - 1),
// then the settings record at offset 384.
struct RadioImage
{
    static constexpr std::size_t kSize =
        kChannelCount * ChannelRecord::kSize + SettingsRecord::kSize;
    static constexpr std::size_t kSettingsOffset = kChannelCount * ChannelRecord::kSize;

    std::array<ChannelRecord, kChannelCount> channels{};
    SettingsRecord settings{};

    bool operator==(const RadioImage&) const = default;
};
static_assert(RadioImage::kSize == 412);

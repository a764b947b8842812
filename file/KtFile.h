#pragma once

#include "model/RadioImage.h"

// std
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// A ".kt" data file (420 bytes): 0 "KTZ517" | 6 the 16 channel records | 390 the settings
// record (header bytes zero) | 418 CRC-16 of bytes 0..417, high byte first.
inline constexpr std::size_t kKtFileSize = 420;
inline constexpr char kKtIdentification[] = "KTZ517"; // also the radio's identification

using KtFileBytes = std::array<std::uint8_t, kKtFileSize>;

// The settings record is written as given; callers build it zeroed and fill only the
// meaningful offsets. Its header bytes 0..3 are written as zero.
[[nodiscard]] KtFileBytes EncodeKtFile(const RadioImage& image);

enum class KtDecodeStatus
{
    Ok,
    WrongIdentification,
    WrongChecksum
};

// Checks and decodes a file's bytes. A short input is tested as if zeros followed it; bytes
// past 420 are ignored. `image` is written only when the result is Ok, so a caller can apply
// the whole image or nothing.
[[nodiscard]] KtDecodeStatus DecodeKtFile(std::span<const std::uint8_t> data, RadioImage& image);

#include "KtFile.h"

#include "Crc16.h"

// std
#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kIdSize = 6;
constexpr std::size_t kChannelsOffset = kIdSize;
constexpr std::size_t kSettingsOffset = kChannelsOffset + kChannelCount * ChannelRecord::kSize;
constexpr std::size_t kCrcOffset = kSettingsOffset + SettingsRecord::kSize;
static_assert(kCrcOffset + 2 == kKtFileSize);

} // namespace

KtFileBytes EncodeKtFile(const RadioImage& image)
{
    KtFileBytes bytes{};
    std::memcpy(bytes.data(), kKtIdentification, kIdSize);
    for (int i = 0; i < kChannelCount; ++i) {
        const auto& record = image.channels[i].bytes;
        std::copy(record.begin(), record.end(),
                  bytes.begin() + kChannelsOffset + i * record.size());
    }
    // The frame header bytes of the settings record stay zero in a file.
    std::copy(image.settings.bytes.begin() + 4, image.settings.bytes.end(),
              bytes.begin() + kSettingsOffset + 4);
    const auto crc = ComputeCrc16(bytes.data(), kCrcOffset);
    bytes[kCrcOffset] = crc[0];
    bytes[kCrcOffset + 1] = crc[1];
    return bytes;
}

KtDecodeStatus DecodeKtFile(std::span<const std::uint8_t> data, RadioImage& image)
{
    KtFileBytes bytes{};
    std::copy_n(data.begin(), std::min(data.size(), bytes.size()), bytes.begin());
    if (std::memcmp(bytes.data(), kKtIdentification, kIdSize) != 0)
        return KtDecodeStatus::WrongIdentification;
    const auto crc = ComputeCrc16(bytes.data(), kCrcOffset);
    if (crc[0] != bytes[kCrcOffset] || crc[1] != bytes[kCrcOffset + 1])
        return KtDecodeStatus::WrongChecksum;
    RadioImage decoded;
    for (int i = 0; i < kChannelCount; ++i) {
        auto& record = decoded.channels[i].bytes;
        std::copy_n(bytes.begin() + kChannelsOffset + i * record.size(), record.size(),
                    record.begin());
    }
    std::copy_n(bytes.begin() + kSettingsOffset, SettingsRecord::kSize,
                decoded.settings.bytes.begin());
    image = decoded;
    return KtDecodeStatus::Ok;
}

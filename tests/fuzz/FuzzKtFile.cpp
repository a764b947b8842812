// Fuzz target: the ".kt" decoder. A file is applied whole or not at all, and whatever the
// decoder accepts encodes back to the bytes it came from.

#include "FuzzSupport.h"
#include "file/Crc16.h"
#include "file/KtFile.h"

// std
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kSettingsOffset = 390;
constexpr std::size_t kCrcOffset = 418;

// What the caller's image holds before the decode; a refused file must leave it so.
RadioImage Sentinel()
{
    RadioImage image;
    for (auto& channel : image.channels)
        channel.bytes.fill(0xA5);
    image.settings.bytes.fill(0x5A);
    return image;
}

void CheckDecode(std::span<const std::uint8_t> data)
{
    // The decoder reads a short file as if zeros followed it and ignores bytes past 420.
    KtFileBytes file{};
    std::copy_n(data.begin(), std::min(data.size(), file.size()), file.begin());
    const bool idOk = std::memcmp(file.data(), kKtIdentification, 6) == 0;
    const auto crc = ComputeCrc16(file.data(), kCrcOffset);
    const bool crcOk = crc[0] == file[kCrcOffset] && crc[1] == file[kCrcOffset + 1];

    RadioImage image = Sentinel();
    const KtDecodeStatus status = DecodeKtFile(data, image);
    if (!idOk)
        FUZZ_CHECK(status == KtDecodeStatus::WrongIdentification);
    else if (!crcOk)
        FUZZ_CHECK(status == KtDecodeStatus::WrongChecksum);
    else
        FUZZ_CHECK(status == KtDecodeStatus::Ok);

    if (status != KtDecodeStatus::Ok) {
        FUZZ_CHECK(image == Sentinel());
        return;
    }
    // Re-encoding gives the file back; only the settings header (zero in a saved file) and
    // therefore the checksum may differ when the file carried a nonzero header.
    const KtFileBytes again = EncodeKtFile(image);
    FUZZ_CHECK(std::equal(file.begin(), file.begin() + kSettingsOffset, again.begin()));
    FUZZ_CHECK(std::equal(file.begin() + kSettingsOffset + 4, file.begin() + kCrcOffset,
                          again.begin() + kSettingsOffset + 4));
    const bool headerZero =
        std::all_of(file.begin() + kSettingsOffset, file.begin() + kSettingsOffset + 4,
                    [](std::uint8_t b) { return b == 0; });
    if (headerZero)
        FUZZ_CHECK(again == file);

    // And the re-encoded file decodes to the same channels and settings.
    RadioImage second = Sentinel();
    FUZZ_CHECK(DecodeKtFile(again, second) == KtDecodeStatus::Ok);
    FUZZ_CHECK(second.channels == image.channels);
    FUZZ_CHECK(std::equal(second.settings.bytes.begin() + 4, second.settings.bytes.end(),
                          image.settings.bytes.begin() + 4));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckDecode({data, size});
    // Random bytes almost never carry a matching checksum; seal a copy so that the accepting
    // path sees arbitrary channel and settings bytes too.
    if (size >= 6) {
        std::vector<std::uint8_t> sealed(data, data + size);
        sealed.resize(std::max(size, kKtFileSize));
        const auto crc = ComputeCrc16(sealed.data(), kCrcOffset);
        sealed[kCrcOffset] = crc[0];
        sealed[kCrcOffset + 1] = crc[1];
        CheckDecode(sealed);
    }
    return 0;
}

#include "file/KtFile.h"
#include "file/Crc16.h"

#include <gtest/gtest.h>

// std
#include <algorithm>
#include <random>
#include <vector>

namespace {

RadioImage RandomImage(std::mt19937& random)
{
    RadioImage image;
    for (auto& channel : image.channels)
        std::generate(channel.bytes.begin(), channel.bytes.end(), [&] { return random(); });
    for (std::size_t offset : {4, 14, 15, 16, 17, 18, 19})
        image.settings.bytes[offset] = static_cast<std::uint8_t>(random());
    return image;
}

TEST(KtFile, LayoutOfAnEncodedFile)
{
    std::mt19937 random(1);
    const RadioImage image = RandomImage(random);
    const KtFileBytes bytes = EncodeKtFile(image);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "KTZ517");
    for (int i = 0; i < kChannelCount; ++i) {
        EXPECT_TRUE(std::equal(image.channels[i].bytes.begin(), image.channels[i].bytes.end(),
                               bytes.begin() + 6 + 24 * i))
            << i;
    }
    EXPECT_EQ(bytes[390 + 4], image.settings.bytes[4]);
    EXPECT_EQ(bytes[390 + 15], image.settings.bytes[15]);
    const auto crc = ComputeCrc16(bytes.data(), 418);
    EXPECT_EQ(bytes[418], crc[0]);
    EXPECT_EQ(bytes[419], crc[1]);
}

TEST(KtFile, TheSettingsHeaderIsZeroInAFile)
{
    RadioImage image;
    image.settings.bytes = {0x57, 0x05, 0x00, 0x20};
    const KtFileBytes bytes = EncodeKtFile(image);
    EXPECT_TRUE(
        std::all_of(bytes.begin() + 390, bytes.begin() + 394, [](auto b) { return b == 0; }));
}

// Seeded random images survive encoding and decoding byte for byte, bytes 15..23 included.
TEST(KtFile, RandomImagesRoundTrip)
{
    std::mt19937 random(20261208);
    for (int i = 0; i < 2000; ++i) {
        const RadioImage image = RandomImage(random);
        const KtFileBytes bytes = EncodeKtFile(image);
        RadioImage decoded;
        ASSERT_EQ(DecodeKtFile(bytes, decoded), KtDecodeStatus::Ok);
        ASSERT_EQ(decoded, image);
    }
}

TEST(KtFile, EveryCorruptedByteIsDetectedAndNothingIsDecoded)
{
    std::mt19937 random(7);
    const RadioImage image = RandomImage(random);
    const KtFileBytes good = EncodeKtFile(image);
    const RadioImage untouched = RandomImage(random);
    for (std::size_t offset = 0; offset < kKtFileSize; ++offset) {
        for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
            KtFileBytes bad = good;
            bad[offset] ^= flip;
            RadioImage target = untouched;
            const KtDecodeStatus status = DecodeKtFile(bad, target);
            EXPECT_EQ(status, offset < 6 ? KtDecodeStatus::WrongIdentification
                                         : KtDecodeStatus::WrongChecksum)
                << offset;
            ASSERT_EQ(target, untouched) << offset;
        }
    }
}

TEST(KtFile, SwappedChecksumBytesAreRejected)
{
    std::mt19937 random(3);
    KtFileBytes bytes = EncodeKtFile(RandomImage(random));
    ASSERT_NE(bytes[418], bytes[419]);
    std::swap(bytes[418], bytes[419]);
    RadioImage image;
    EXPECT_EQ(DecodeKtFile(bytes, image), KtDecodeStatus::WrongChecksum);
}

TEST(KtFile, IdentificationIsExactAndCaseSensitive)
{
    KtFileBytes bytes = EncodeKtFile(RadioImage{});
    std::copy_n("ktz517", 6, bytes.begin());
    const auto crc = ComputeCrc16(bytes.data(), 418);
    bytes[418] = crc[0];
    bytes[419] = crc[1];
    RadioImage image;
    EXPECT_EQ(DecodeKtFile(bytes, image), KtDecodeStatus::WrongIdentification);
}

TEST(KtFile, ShortAndLongInputs)
{
    RadioImage image;
    EXPECT_EQ(DecodeKtFile({}, image), KtDecodeStatus::WrongIdentification);

    std::mt19937 random(9);
    const RadioImage original = RandomImage(random);
    const KtFileBytes bytes = EncodeKtFile(original);
    std::vector<std::uint8_t> longer(bytes.begin(), bytes.end());
    longer.insert(longer.end(), {1, 2, 3, 4});
    ASSERT_EQ(DecodeKtFile(longer, image), KtDecodeStatus::Ok);
    EXPECT_EQ(image, original);

    // A file cut short is read as if zeros followed it.
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + 300);
    std::vector<std::uint8_t> padded = cut;
    padded.resize(kKtFileSize, 0);
    RadioImage a = original, b = original;
    EXPECT_EQ(DecodeKtFile(cut, a), KtDecodeStatus::WrongChecksum);
    EXPECT_EQ(DecodeKtFile(padded, b), KtDecodeStatus::WrongChecksum);
    const std::vector<std::uint8_t> idOnly(bytes.begin(), bytes.begin() + 5);
    EXPECT_EQ(DecodeKtFile(idOnly, a), KtDecodeStatus::WrongIdentification);

    // A valid image whose last records are zero: a file whose checksum happens to be 00 00 is
    // valid without its last two bytes; search for one.
    RadioImage zeroTail;
    for (std::uint32_t seed = 0;; ++seed) {
        zeroTail.channels[0].setRxHz(seed);
        const KtFileBytes candidate = EncodeKtFile(zeroTail);
        if (candidate[418] == 0 && candidate[419] == 0) {
            const std::vector<std::uint8_t> shorter(candidate.begin(), candidate.begin() + 418);
            RadioImage decoded;
            ASSERT_EQ(DecodeKtFile(shorter, decoded), KtDecodeStatus::Ok);
            EXPECT_EQ(decoded, zeroTail);
            break;
        }
    }
}

} // namespace

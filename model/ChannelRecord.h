#pragma once

#include "Bytes.h"

// std
#include <array>
#include <cstddef>
#include <cstdint>

// The radio has exactly 16 channels; row index = channel number - 1.
inline constexpr int kChannelCount = 16;

// One channel as the radio stores it (24 bytes, little-endian):
// 0 rx Hz u32 | 4 tx Hz u32 | 8 rx tone u16 | 10 tx tone u16 | 12 power | 13 width | 14 scan
// | 15..23 not interpreted, carried unchanged between radio, file and grid.
// Power, width and scan: 0x00 = low / narrow / not scanned, anything else the other choice.
struct ChannelRecord
{
    static constexpr std::size_t kSize = 24;
    struct Offset
    {
        enum : std::size_t
        {
            RxHz = 0,
            TxHz = 4,
            RxTone = 8,
            TxTone = 10,
            Power = 12,
            Width = 13,
            Scan = 14
        };
    };
    // What the program writes for "high", "wide" and "scanned".
    static constexpr std::uint8_t kOn = 0xFF;

    std::array<std::uint8_t, kSize> bytes{};

    [[nodiscard]] std::uint32_t rxHz() const { return ReadLe32(&bytes[Offset::RxHz]); }
    [[nodiscard]] std::uint32_t txHz() const { return ReadLe32(&bytes[Offset::TxHz]); }
    [[nodiscard]] std::uint16_t rxTone() const { return ReadLe16(&bytes[Offset::RxTone]); }
    [[nodiscard]] std::uint16_t txTone() const { return ReadLe16(&bytes[Offset::TxTone]); }
    [[nodiscard]] std::uint8_t power() const { return bytes[Offset::Power]; }
    [[nodiscard]] std::uint8_t width() const { return bytes[Offset::Width]; }
    [[nodiscard]] std::uint8_t scan() const { return bytes[Offset::Scan]; }

    void setRxHz(std::uint32_t hz) { WriteLe32(&bytes[Offset::RxHz], hz); }
    void setTxHz(std::uint32_t hz) { WriteLe32(&bytes[Offset::TxHz], hz); }
    void setRxTone(std::uint16_t code) { WriteLe16(&bytes[Offset::RxTone], code); }
    void setTxTone(std::uint16_t code) { WriteLe16(&bytes[Offset::TxTone], code); }
    void setPower(std::uint8_t v) { bytes[Offset::Power] = v; }
    void setWidth(std::uint8_t v) { bytes[Offset::Width] = v; }
    void setScan(std::uint8_t v) { bytes[Offset::Scan] = v; }

    bool operator==(const ChannelRecord&) const = default;
};
static_assert(sizeof(ChannelRecord) == ChannelRecord::kSize);

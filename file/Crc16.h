#pragma once

// std
#include <array>
#include <cstddef>
#include <cstdint>

// CRC-16/MODBUS (initial 0xFFFF, reflected polynomial 0xA001, no final XOR), delivered high
// byte first, the order in which the data file and the radio frames store it.
// "123456789" gives {0x4B, 0x37}.
[[nodiscard]] std::array<std::uint8_t, 2> ComputeCrc16(const std::uint8_t* data,
                                                       std::size_t length);

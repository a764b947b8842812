#pragma once

// std
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

// Cuts the byte stream from the radio into its messages, however a USB-serial adapter splits
// or merges them: the identification "KTZ517" (what follows it in the same delivery is passed
// over), the acknowledgement 0x06 and the 34-byte data reply that begins with 'W'. Bytes that
// begin no message are dropped.
//
// A message still incomplete at the end of a delivery waits for the next one, as long as that
// comes within kMaxDeliveryGap and does not begin with the identification (the radio starting
// over); otherwise its bytes are dropped, so a reply the radio broke off is never completed by
// unrelated bytes.
//
// Threads: one thread feeds it (the port's reader thread); it keeps no lock.
class CReplyAssembler
{
public:
    using Clock = std::chrono::steady_clock;
    using MessageSink = std::function<void(const std::uint8_t* message, std::uint32_t count)>;

    static constexpr std::size_t kReplySize = 34;
    static constexpr std::uint8_t kAck = 0x06;
    static constexpr std::array<std::uint8_t, 6> kIdentification = {'K', 'T', 'Z', '5', '1', '7'};
    // The longest silence inside one message: an FTDI adapter's 16 ms latency timer, hub
    // jitter and a radio that pauses mid-reply all stay well inside it, while the radio sends
    // nothing unasked, so no other message can follow that soon. Far below the watchdog's 1 s.
    static constexpr std::chrono::milliseconds kMaxByteGap{100};
    // Deliveries lag their first byte by up to the port's read window (50 bytes: 55 ms), so
    // two deliveries of one message may lie that much further apart than its bytes.
    static constexpr std::chrono::milliseconds kMaxDeliveryGap =
        kMaxByteGap + std::chrono::milliseconds(55);

    // Feeds one delivery received at `now`; calls `sink` for every message it completes, in
    // order, before it returns.
    void Feed(const std::uint8_t* data, std::uint32_t count, Clock::time_point now,
              const MessageSink& sink);
    // Forgets an incomplete message (a new port, a new operation).
    void Reset() { m_pendingSize = 0; }

    [[nodiscard]] bool HasPending() const { return m_pendingSize != 0; }
    // Bytes dropped since construction (noise, broken-off messages).
    [[nodiscard]] std::size_t DroppedBytes() const { return m_dropped; }

private:
    // The start of an incomplete message; never longer than a reply.
    std::array<std::uint8_t, kReplySize> m_pending{};
    std::size_t m_pendingSize = 0;
    Clock::time_point m_lastDelivery{};
    std::size_t m_dropped = 0;
};

#include "link/ReplyAssembler.h"

// std
#include <algorithm>
#include <cstring>
#include <vector>

void CReplyAssembler::Feed(const std::uint8_t* data, std::uint32_t count, Clock::time_point now,
                           const MessageSink& sink)
{
    if (count == 0 || data == nullptr)
        return;
    // A delivery that begins with the identification is the radio starting over: what it
    // broke off before is not completed by it.
    const bool startsOver = count >= kIdentification.size() &&
                            std::memcmp(data, kIdentification.data(), kIdentification.size()) == 0;
    if (m_pendingSize != 0 && (startsOver || now - m_lastDelivery > kMaxDeliveryGap)) {
        m_dropped += m_pendingSize;
        m_pendingSize = 0;
    }
    m_lastDelivery = now;

    // The pending start of a message, then this delivery.
    std::vector<std::uint8_t> work(m_pending.begin(), m_pending.begin() + m_pendingSize);
    work.insert(work.end(), data, data + count);
    m_pendingSize = 0;

    const std::size_t size = work.size();
    std::size_t pos = 0;
    while (pos < size) {
        const std::uint8_t* at = work.data() + pos;
        const std::size_t left = size - pos;
        if (*at == kAck) {
            sink(at, 1);
            pos += 1;
        } else if (*at == kIdentification[0]) {
            const std::size_t seen = std::min(left, kIdentification.size());
            if (std::memcmp(at, kIdentification.data(), seen) != 0) {
                ++m_dropped; // a 'K' that begins no identification
                pos += 1;
                continue;
            }
            if (left < kIdentification.size())
                break; // the rest of the identification is still on its way
            sink(at, static_cast<std::uint32_t>(kIdentification.size()));
            // What the radio sends after its identification in the same burst is not ours.
            m_dropped += left - kIdentification.size();
            pos = size;
        } else if (*at == 'W') {
            if (left < kReplySize)
                break;
            sink(at, static_cast<std::uint32_t>(kReplySize));
            pos += kReplySize;
        } else {
            ++m_dropped;
            pos += 1;
        }
    }
    // Whatever is left is the start of one message (at most a reply less one byte).
    m_pendingSize = size - pos;
    std::copy(work.begin() + static_cast<std::ptrdiff_t>(pos), work.end(), m_pending.begin());
}

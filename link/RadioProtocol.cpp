#include "link/RadioProtocol.h"

#include "file/Crc16.h"
#include "link/CommPort.h"

// std
#include <algorithm>
#include <cstring>

namespace {

// Reply bytes past the delivery read as zero, as from the port's zeroed receive buffer.
std::uint8_t ByteAt(const std::uint8_t* data, std::uint32_t count, std::uint32_t index)
{
    return index < count ? data[index] : 0;
}

// Counters stop at 255 instead of wrapping to 0 and restarting a finished write.
std::uint8_t Incremented(std::uint8_t value)
{
    return value == 0xFF ? value : static_cast<std::uint8_t>(value + 1);
}

} // namespace

CRadioProtocol::CRadioProtocol(IRadioProtocolHost& host) : m_host(host) {}

void CRadioProtocol::StartOperation(bool isRead)
{
    m_isRead.store(isRead ? 1 : 0);
    m_blockCounter.store(0);
    m_skippedChannels.store(0);
}

bool CRadioProtocol::BeginDialog()
{
    m_endReported.store(false);
    m_watchdogMax.store(0);
    m_resetFraming.store(true);
    m_inProgress.store(true);
    try {
        m_host.WritePort(kHandshake.data(), static_cast<std::uint32_t>(kHandshake.size()));
    } catch (const CErrorSetOutput&) {
        m_inProgress.store(false);
        End(RESULT_PORT_FAILED);
        return false;
    }
    return true;
}

bool CRadioProtocol::WatchdogTick()
{
    if (!m_inProgress.load())
        return false;
    const std::uint8_t counter = m_blockCounter.load();
    if (counter > m_watchdogMax.load()) {
        m_watchdogMax.store(counter);
        return false;
    }
    m_inProgress.store(false);
    End(TIMER_WATCHDOG);
    return true;
}

void CRadioProtocol::DialogEnded()
{
    m_inProgress.store(false);
}

void CRadioProtocol::End(int result)
{
    // The watchdog (UI thread) and the last reply (reader thread) may race to the end.
    if (!m_endReported.exchange(true))
        m_host.EndOperation(result);
}

void CRadioProtocol::Send(const std::uint8_t* data, std::uint32_t count)
{
    // A cancelled write (0) is not an error: the watchdog ends a stalled operation anyway.
    m_host.WritePort(data, count);
}

void CRadioProtocol::OnReceive(const std::uint8_t* data, std::uint32_t count)
{
    if (count == 0 || data == nullptr)
        return;
    if (m_resetFraming.exchange(false))
        m_assembler.Reset(); // what came before the handshake belongs to no reply of this one
    m_assembler.Feed(
        data, count, CReplyAssembler::Clock::now(),
        [this](const std::uint8_t* message, std::uint32_t size) { HandleMessage(message, size); });
}

void CRadioProtocol::HandleMessage(const std::uint8_t* data, std::uint32_t count)
{
    if (count == 0 || data == nullptr)
        return;
    try {
        Handle(data, count);
    } catch (const CErrorSetOutput&) {
        // The port failed under a write; nothing more can be exchanged in this operation.
        m_inProgress.store(false);
        End(RESULT_PORT_FAILED);
    }
}

void CRadioProtocol::Handle(const std::uint8_t* data, std::uint32_t count)
{
    m_frameBuffer.fill(0);

    if (count >= kIdentification.size() &&
        std::memcmp(data, kIdentification.data(), kIdentification.size()) == 0) {
        m_radioFoundEvent.Set();
        if (!m_inProgress.load())
            return; // a probe's answer: never acknowledged
        const std::uint8_t ack = kAck;
        Send(&ack, 1);
        m_sendPending.store(0);
        m_blockCounter.store(0);
    }
    if (!m_inProgress.load())
        return;

    if (m_isRead.load() == 0) {
        // A write takes only acknowledgements: a stray reply must neither skip a block nor
        // overwrite the rows and settings being written, nor send the radio a read request.
        if (data[0] == kAck)
            HandleWriteAck();
        return;
    }
    HandleReadDelivery(data, count);
}

void CRadioProtocol::HandleWriteAck()
{
    const std::uint8_t counter = Incremented(m_blockCounter.load());
    m_blockCounter.store(counter);
    if (counter >= 1 && counter < kSettingsBlock) {
        BuildChannelFrame(counter, m_host.RowRecord(counter - 1), m_frameBuffer.data());
        Send(m_frameBuffer.data(), kFrameSize);
        m_host.StepProgress();
    } else if (counter == kSettingsBlock) {
        std::uint8_t* frame = m_frameBuffer.data();
        frame[0] = 'W';
        frame[1] = 0x05;
        frame[2] = 0x00;
        frame[3] = 0x20;
        m_host.CollectSettings(frame);
        // Only byte 4 and bytes 14..19 are settings; the header and the rest go out as given.
        frame[0] = 'W';
        frame[1] = 0x05;
        frame[2] = 0x00;
        frame[3] = 0x20;
        std::fill(frame + 5, frame + 14, std::uint8_t{0});
        std::fill(frame + 20, frame + 32, std::uint8_t{0});
        SealFrame(frame);
        Send(frame, kFrameSize);
        m_host.StepProgress();
    } else if (counter == kSettingsBlock + 1) {
        m_blockCounter.store(RESULT_DONE);
        End(RESULT_DONE);
    }
}

void CRadioProtocol::HandleReadDelivery(const std::uint8_t* data, std::uint32_t count)
{
    if (m_sendPending.load() == 0) {
        const std::uint8_t counter = m_blockCounter.load();
        if (data[0] == kAck && counter == 0) {
            m_sendPending.store(1);
            m_blockCounter.store(1);
        } else if (data[0] == 'W' && counter != 0) {
            if (ByteAt(data, count, 1) == 0x05 && counter == kSettingsBlock) {
                const std::uint32_t length =
                    std::min<std::uint32_t>(count, static_cast<std::uint32_t>(kFrameBufferSize));
                std::memcpy(m_frameBuffer.data(), data, length);
                m_host.SettingsReceived(m_frameBuffer.data(), length);
                m_blockCounter.store(RESULT_DONE);
                m_host.StepProgress();
                End(m_skippedChannels.load() != 0 ? RESULT_READ_INCOMPLETE : RESULT_DONE);
                m_blockCounter.store(RESULT_DONE + 1);
                m_sendPending.store(1);
            } else if (ByteAt(data, count, 2) == counter && counter < kSettingsBlock) {
                for (std::size_t i = 0; i < ChannelRecord::kSize; ++i)
                    m_channelBuffer.bytes[i] =
                        ByteAt(data, count, static_cast<std::uint32_t>(4 + i));
                m_host.ChannelReceived(counter - 1, m_channelBuffer);
                m_blockCounter.store(Incremented(counter));
                m_sendPending.store(1);
            } else {
                // A reply for another block: that row is skipped and keeps its contents.
                if (counter < kSettingsBlock)
                    m_skippedChannels.fetch_or(static_cast<std::uint16_t>(1u << (counter - 1)));
                m_blockCounter.store(Incremented(counter));
                m_sendPending.store(1);
            }
        }
    }

    const std::uint8_t counter = m_blockCounter.load();
    if (m_sendPending.load() == 1 && counter >= 1 && counter <= kSettingsBlock) {
        const auto request = BuildReadRequest(counter);
        Send(request.data(), static_cast<std::uint32_t>(request.size()));
        m_sendPending.store(0);
        m_host.StepProgress();
    }
}

std::array<std::uint8_t, 4> CRadioProtocol::BuildReadRequest(std::uint8_t block)
{
    return {'R', 0x00, block, 0x20};
}

void CRadioProtocol::BuildChannelFrame(std::uint8_t block, const ChannelRecord& record,
                                       std::uint8_t* frame)
{
    // 0 'W' | 1 0x00 | 2 block | 3 0x20 | 4..27 record | 28..30 0x00 | 31 0xFF | 32 CRC hi, lo
    frame[0] = 'W';
    frame[1] = 0x00;
    frame[2] = block;
    frame[3] = 0x20;
    std::memcpy(frame + 4, record.bytes.data(), ChannelRecord::kSize);
    frame[28] = 0x00;
    frame[29] = 0x00;
    frame[30] = 0x00;
    frame[31] = 0xFF;
    SealFrame(frame);
}

void CRadioProtocol::SealFrame(std::uint8_t* frame)
{
    const auto crc = ComputeCrc16(frame, 32);
    frame[32] = crc[0];
    frame[33] = crc[1];
}

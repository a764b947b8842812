#include "tools/simradio/SimRadioCore.h"

#include "file/Crc16.h"

// std
#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

constexpr std::size_t kFrameSize = 34;
constexpr std::size_t kRequestSize = 4;
constexpr int kSettingsBlock = 17;
const std::vector<std::uint8_t> kNoise = {0x00, 0x13, 0xFE, 0x55, 0xAA};

void PutCrc(std::vector<std::uint8_t>& frame)
{
    const auto crc = ComputeCrc16(frame.data(), 32);
    frame[32] = crc[0];
    frame[33] = crc[1];
}

bool CrcMatches(const std::uint8_t* frame)
{
    const auto crc = ComputeCrc16(frame, 32);
    return frame[32] == crc[0] && frame[33] == crc[1];
}

} // namespace

std::optional<SimFault> ParseSimFault(std::string_view text)
{
    enum class Value
    {
        None,
        Block,
        Amount
    };
    struct Named
    {
        std::string_view name;
        SimFault::Kind kind;
        Value value;
        int max;
    };
    static constexpr Named kNames[] = {
        {"none", SimFault::Kind::None, Value::None, 0},
        {"no-ident", SimFault::Kind::NoIdent, Value::None, 0},
        {"no-settings-ack", SimFault::Kind::NoSettingsAck, Value::None, 0},
        {"stall-after", SimFault::Kind::StallAfter, Value::Block, kSettingsBlock},
        {"wrong-block", SimFault::Kind::WrongBlock, Value::Block, kSettingsBlock},
        {"garbage-before", SimFault::Kind::GarbageBefore, Value::Block, kSettingsBlock},
        {"hangup-after", SimFault::Kind::HangupAfter, Value::Block, kSettingsBlock},
        {"ident-at", SimFault::Kind::IdentAt, Value::Block, kSettingsBlock},
        {"late-ident", SimFault::Kind::LateIdent, Value::Amount, 10000},
        {"short-settings", SimFault::Kind::ShortSettings, Value::Amount, int(kFrameSize) - 1},
    };
    const std::size_t eq = text.find('=');
    const std::string_view name = text.substr(0, eq);
    for (const Named& n : kNames) {
        if (n.name != name)
            continue;
        if (n.value == Value::None)
            return eq == std::string_view::npos ? std::optional(SimFault{n.kind}) : std::nullopt;
        if (eq == std::string_view::npos)
            return std::nullopt;
        const std::string_view number = text.substr(eq + 1);
        int value = -1;
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (ec != std::errc() || end != number.data() + number.size() || value < 0 || value > n.max)
            return std::nullopt;
        return n.value == Value::Block ? SimFault{n.kind, value} : SimFault{n.kind, 0, value};
    }
    return std::nullopt;
}

CSimRadioCore::CSimRadioCore(const RadioImage& image) : m_image(image) {}

RadioImage CSimRadioCore::DefaultImage()
{
    RadioImage image;
    for (int i = 0; i < kChannelCount; ++i) {
        ChannelRecord& r = image.channels[static_cast<std::size_t>(i)];
        const auto hz = static_cast<std::uint32_t>(446006250 + 12500 * i);
        r.setRxHz(hz);
        r.setTxHz(hz + (i % 3 == 0 ? 5000000u : 0u));
        r.setRxTone(i % 4 == 0 ? 0xFFFF : static_cast<std::uint16_t>(670 + 10 * i));
        r.setTxTone(i % 5 == 0 ? static_cast<std::uint16_t>(0x2000 + 23 + i)
                               : static_cast<std::uint16_t>(0xA000 + 754 - i));
        r.setPower(i % 2 ? 0x00 : 0xFF);
        r.setWidth(i % 3 ? 0xFF : 0x00);
        r.setScan(i % 4 == 1 ? 0x01 : 0xFF);
        for (std::size_t b = 15; b < ChannelRecord::kSize; ++b)
            r.bytes[b] = static_cast<std::uint8_t>(0xA0 + i + b);
    }
    std::uint8_t* s = image.settings.bytes.data();
    s[SettingsRecord::Offset::SavePower] = 1;
    s[SettingsRecord::Offset::SquelchLevel] = 6;
    s[SettingsRecord::Offset::TimeOut] = 120;
    s[SettingsRecord::Offset::Voice] = 1;
    s[SettingsRecord::Offset::Pf1] = 2;
    s[SettingsRecord::Offset::Pf2] = 1;
    s[SettingsRecord::Offset::Scan] = 0;
    s[7] = 0x5A; // a byte the program neither shows nor writes
    return image;
}

std::vector<std::uint8_t> CSimRadioCore::ChannelReply(int block, const ChannelRecord& record)
{
    std::vector<std::uint8_t> f(kFrameSize, 0);
    f[0] = 'W';
    f[2] = static_cast<std::uint8_t>(block);
    f[3] = 0x20;
    std::copy(record.bytes.begin(), record.bytes.end(), f.begin() + 4);
    f[31] = 0xFF;
    PutCrc(f);
    return f;
}

std::vector<std::uint8_t> CSimRadioCore::SettingsReply(const SettingsRecord& settings,
                                                       std::uint8_t byte1)
{
    std::vector<std::uint8_t> f(kFrameSize, 0);
    f[0] = 'W';
    f[1] = byte1;
    f[3] = 0x20;
    std::copy(settings.bytes.begin() + 4, settings.bytes.end(), f.begin() + 4);
    PutCrc(f);
    return f;
}

std::vector<SimOutput> CSimRadioCore::Feed(const std::uint8_t* data, std::size_t count)
{
    std::vector<SimOutput> out;
    m_input.insert(m_input.end(), data, data + count);
    while (!m_input.empty() && TakeMessage(out)) {
    }
    return out;
}

bool CSimRadioCore::TakeMessage(std::vector<SimOutput>& out)
{
    auto drop = [this](std::size_t n) {
        m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(n));
    };
    const std::size_t have = m_input.size();

    // The handshake is heard in every state.
    if (m_input[0] == 'P') {
        const std::size_t n = std::min(have, kHandshake.size());
        if (std::memcmp(m_input.data(), kHandshake.data(), n) == 0) {
            if (n < kHandshake.size())
                return false; // wait for the rest
            drop(kHandshake.size());
            OnHandshake(out);
            return true;
        }
    }
    if (m_hungUp || m_state == State::Idle || m_state == State::Silent) {
        ++discardedBytes;
        drop(1);
        return true;
    }
    if (m_state == State::AwaitAck) {
        if (m_input[0] == kAck) {
            drop(1);
            m_state = State::Session;
            Answer(0, {kAck}, out);
        } else {
            ++discardedBytes;
            drop(1);
        }
        return true;
    }

    // Session: read requests and data frames.
    if (m_input[0] == 'R') {
        if (have < kRequestSize)
            return false;
        const int block = m_input[2];
        if (m_input[1] == 0x00 && m_input[3] == 0x20 && block >= 1 && block <= kSettingsBlock) {
            drop(kRequestSize);
            OnReadRequest(block, out);
        } else {
            ++discardedBytes;
            drop(1);
        }
        return true;
    }
    if (m_input[0] == 'W') {
        const bool channelHeader = m_input.size() > 2 && m_input[1] == 0x00 && m_input[2] >= 1 &&
                                   m_input[2] < kSettingsBlock;
        const bool settingsHeader = m_input.size() > 2 && m_input[1] == 0x05 && m_input[2] == 0;
        if (have < 4)
            return false;
        if ((channelHeader || settingsHeader) && m_input[3] == 0x20) {
            if (have < kFrameSize)
                return false;
            std::uint8_t frame[kFrameSize];
            std::copy_n(m_input.begin(), kFrameSize, frame);
            drop(kFrameSize);
            OnFrame(frame, out);
            return true;
        }
    }
    ++discardedBytes;
    drop(1);
    return true;
}

void CSimRadioCore::OnHandshake(std::vector<SimOutput>& out)
{
    ++handshakes;
    if (m_hungUp)
        return;
    if (m_fault.kind == SimFault::Kind::NoIdent) {
        m_state = State::Idle;
        return;
    }
    m_state = State::AwaitAck;
    SimOutput ident{std::vector<std::uint8_t>(kIdentification.begin(), kIdentification.end())};
    if (m_fault.kind == SimFault::Kind::LateIdent)
        ident.delay = std::chrono::milliseconds(m_fault.amount);
    out.push_back(std::move(ident));
}

void CSimRadioCore::OnReadRequest(int block, std::vector<SimOutput>& out)
{
    readRequests.push_back(block);
    if (block == kSettingsBlock) {
        const std::uint8_t byte1 = m_fault.kind == SimFault::Kind::NoSettingsAck ? 0x00 : 0x05;
        std::vector<std::uint8_t> reply = SettingsReply(m_image.settings, byte1);
        if (m_fault.kind == SimFault::Kind::ShortSettings)
            reply.resize(static_cast<std::size_t>(m_fault.amount));
        Answer(block, std::move(reply), out);
        return;
    }
    const int label = FaultAt(SimFault::Kind::WrongBlock, block) ? block + 1 : block;
    Answer(block, ChannelReply(label, m_image.channels[static_cast<std::size_t>(block - 1)]), out);
}

void CSimRadioCore::OnFrame(const std::uint8_t* frame, std::vector<SimOutput>& out)
{
    if (!CrcMatches(frame)) {
        rejected.emplace_back(frame, frame + kFrameSize);
        return; // a damaged frame is not acknowledged
    }
    const bool settings = frame[1] == 0x05;
    const int block = settings ? kSettingsBlock : frame[2];
    if (FaultAt(SimFault::Kind::IdentAt, block) && !m_identAtDone) {
        Answer(block, {}, out); // answered with the identification, frame not taken
        return;
    }
    frames.emplace_back(frame, frame + kFrameSize);
    if (settings) {
        SettingsRecord s;
        std::copy(frame + 4, frame + 4 + (SettingsRecord::kSize - 4), s.bytes.begin() + 4);
        m_image.settings = s;
        ++writesCompleted;
    } else {
        std::copy(frame + 4, frame + 28,
                  m_image.channels[static_cast<std::size_t>(block - 1)].bytes.begin());
    }
    Answer(block, {kAck}, out);
}

bool CSimRadioCore::FaultAt(SimFault::Kind kind, int block) const
{
    return m_fault.kind == kind && m_fault.block == block;
}

void CSimRadioCore::Answer(int block, std::vector<std::uint8_t> bytes, std::vector<SimOutput>& out)
{
    if (FaultAt(SimFault::Kind::IdentAt, block) && !m_identAtDone && block != 0) {
        m_identAtDone = true;
        m_state = State::AwaitAck;
        out.push_back(
            {std::vector<std::uint8_t>(kIdentification.begin(), kIdentification.end()), false});
        return;
    }
    if (FaultAt(SimFault::Kind::GarbageBefore, block))
        bytes.insert(bytes.begin(), kNoise.begin(), kNoise.end());
    SimOutput o{std::move(bytes), false, block};
    if (FaultAt(SimFault::Kind::HangupAfter, block)) {
        o.hangup = true;
        m_hungUp = true;
        m_state = State::Silent;
    }
    if (FaultAt(SimFault::Kind::StallAfter, block))
        m_state = State::Silent;
    out.push_back(std::move(o));
}

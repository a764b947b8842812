// Fuzz target: the protocol engine's message handler, fed arbitrary messages in arbitrary
// operation states (the reply assembler, which cuts real deliveries into messages, has tests
// of its own). The input is a script of actions (start a read or a write, deliver bytes,
// let the radio answer correctly for a while, tick the watchdog, end the dialog, make the port
// fail); a host that models the window checks every call the engine makes.

#include "FuzzSupport.h"
#include "file/Crc16.h"
#include "link/CommPort.h"
#include "link/RadioProtocol.h"

// std
#include <array>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kMaxDelivery = CRadioProtocol::kFrameBufferSize; // the dialog's read chunk

// How the port answers the engine's writes during one operation.
enum class PortMode
{
    Works,
    Cancels, // every write returns 0
    Fails    // the n-th write raises CErrorSetOutput
};

// The window as the engine sees it, asserting what the engine may ask of it.
class CCheckingHost : public IRadioProtocolHost
{
public:
    virtual ~CCheckingHost() = default;

    ChannelRecord RowRecord(int row) override
    {
        FUZZ_CHECK(inOperation && !isRead);
        FUZZ_CHECK(row >= 0 && row < kChannelCount);
        lastRowAsked = row;
        return rows[static_cast<std::size_t>(row)];
    }
    void ChannelReceived(int row, const ChannelRecord& record) override
    {
        FUZZ_CHECK(inOperation && isRead);
        FUZZ_CHECK(row >= 0 && row < kChannelCount);
        // The row is the block the radio named, and the record is its bytes 4..27.
        FUZZ_CHECK(delivery.size() > 0 && delivery[0] == 'W');
        FUZZ_CHECK(ByteAt(2) == row + 1);
        for (std::size_t i = 0; i < ChannelRecord::kSize; ++i)
            FUZZ_CHECK(record.bytes[i] == ByteAt(4 + i));
        rows[static_cast<std::size_t>(row)] = record;
        ++channelsReceived;
    }
    void SettingsReceived(const std::uint8_t* frame, std::uint32_t count) override
    {
        FUZZ_CHECK(inOperation && isRead);
        FUZZ_CHECK(count >= 2 && count <= kMaxDelivery && count <= delivery.size());
        FUZZ_CHECK(std::memcmp(frame, delivery.data(), count) == 0);
        FUZZ_CHECK(frame[0] == 'W' && frame[1] == 0x05);
        ++settingsReceived;
    }
    void CollectSettings(std::uint8_t* frame) override
    {
        FUZZ_CHECK(inOperation && !isRead);
        FUZZ_CHECK(frame[0] == 'W' && frame[1] == 0x05 && frame[2] == 0x00 && frame[3] == 0x20);
        for (std::size_t i = 4; i < 32; ++i)
            FUZZ_CHECK(frame[i] == 0);
        // A careless window may scribble over the whole frame; only the settings may go out.
        std::memset(frame, 0xEE, 32);
        settingsCollected = true;
    }
    void StepProgress() override
    {
        FUZZ_CHECK(inOperation);
        ++steps;
    }
    void EndOperation(int result) override
    {
        FUZZ_CHECK(inOperation);
        FUZZ_CHECK(ends == 0);
        FUZZ_CHECK(result == RESULT_DONE || result == TIMER_WATCHDOG ||
                   result == RESULT_PORT_FAILED || (result == RESULT_READ_INCOMPLETE && isRead));
        ++ends;
        lastResult = result;
    }
    int WritePort(const std::uint8_t* data, std::uint32_t count) override
    {
        FUZZ_CHECK(inOperation);
        FUZZ_CHECK(count >= 1 && count <= CRadioProtocol::kFrameSize);
        CheckWrite(Bytes(data, data + count));
        ++writeCount;
        if (portMode == PortMode::Fails && writeCount == failingWrite)
            throw CErrorSetOutput();
        return portMode == PortMode::Cancels ? 0 : 1;
    }

    std::uint8_t ByteAt(std::size_t i) const { return i < delivery.size() ? delivery[i] : 0; }

    // Every write is one of the messages the program may send.
    void CheckWrite(const Bytes& w) const
    {
        const auto& handshake = CRadioProtocol::kHandshake;
        if (w.size() == handshake.size()) {
            FUZZ_CHECK(std::equal(w.begin(), w.end(), handshake.begin()));
            return;
        }
        if (w.size() == 1) {
            FUZZ_CHECK(w[0] == CRadioProtocol::kAck);
            return;
        }
        if (w.size() == 4) {
            FUZZ_CHECK(isRead);
            FUZZ_CHECK(w[0] == 'R' && w[1] == 0x00 && w[3] == 0x20);
            FUZZ_CHECK(w[2] >= 1 && w[2] <= CRadioProtocol::kSettingsBlock);
            return;
        }
        FUZZ_CHECK(w.size() == CRadioProtocol::kFrameSize && !isRead);
        const auto crc = ComputeCrc16(w.data(), 32);
        FUZZ_CHECK(w[32] == crc[0] && w[33] == crc[1]);
        FUZZ_CHECK(w[0] == 'W' && w[3] == 0x20);
        if (w[1] == 0x05) {
            // The settings: only byte 4 and bytes 14..19 may carry anything.
            FUZZ_CHECK(settingsCollected && w[2] == 0x00);
            for (std::size_t i = 5; i < 32; ++i) {
                if (i < 14 || i > 19)
                    FUZZ_CHECK(w[i] == 0);
            }
            return;
        }
        FUZZ_CHECK(w[1] == 0x00 && w[2] >= 1 && w[2] <= 16 && w[2] == lastRowAsked + 1);
        const auto& record = rows[static_cast<std::size_t>(lastRowAsked)].bytes;
        FUZZ_CHECK(std::equal(record.begin(), record.end(), w.begin() + 4));
        FUZZ_CHECK(w[28] == 0 && w[29] == 0 && w[30] == 0 && w[31] == 0xFF);
    }

    std::array<ChannelRecord, kChannelCount> rows{};
    Bytes delivery; // what the engine is handling now
    bool inOperation = false;
    bool isRead = false;
    bool settingsCollected = false;
    PortMode portMode = PortMode::Works;
    int failingWrite = 0;
    int writeCount = 0;
    int lastRowAsked = -1;
    int channelsReceived = 0;
    int settingsReceived = 0;
    int steps = 0;
    int ends = 0;
    int lastResult = 0;
};

bool StartsWithIdentification(const Bytes& d)
{
    const auto& id = CRadioProtocol::kIdentification;
    return d.size() >= id.size() && std::equal(id.begin(), id.end(), d.begin());
}

// The rules by which one delivery may move the block counter.
void CheckCounterStep(std::uint8_t before, std::uint8_t after, const Bytes& d, bool inProgress,
                      bool isRead)
{
    if (after == before)
        return;
    FUZZ_CHECK(inProgress);
    if (after == 0) {
        FUZZ_CHECK(StartsWithIdentification(d)); // only an identification restarts
        return;
    }
    if (before == CRadioProtocol::kSettingsBlock && after >= RESULT_DONE) {
        // The operation completes: a write's last acknowledgement, a read's settings reply.
        FUZZ_CHECK(after == (isRead ? RESULT_DONE + 1 : RESULT_DONE));
        return;
    }
    // Otherwise one block further, never wrapping round to 0; after an identification in the
    // same delivery the counter starts again from 0.
    const std::uint8_t from = StartsWithIdentification(d) ? 0 : before;
    FUZZ_CHECK(after == from + 1);
    if (isRead)
        FUZZ_CHECK(!d.empty() && (d[0] == 'W' || (d[0] == CRadioProtocol::kAck && from == 0)));
    else
        FUZZ_CHECK(!d.empty() && d[0] == CRadioProtocol::kAck);
}

// What a well-behaved radio sends next in the engine's present state.
Bytes GoodAnswer(const CRadioProtocol& engine, CFuzzInput& input)
{
    const std::uint8_t counter = engine.BlockCounter();
    if (!engine.IsRead() || counter == 0)
        return {CRadioProtocol::kAck};
    Bytes reply(34, 0);
    reply[0] = 'W';
    reply[3] = 0x20;
    if (counter == CRadioProtocol::kSettingsBlock)
        reply[1] = 0x05;
    else
        reply[2] = counter;
    for (std::size_t i = 4; i < 32; ++i)
        reply[i] = input.Byte();
    return reply;
}

void Deliver(CRadioProtocol& engine, CCheckingHost& host, Bytes delivery)
{
    host.delivery = std::move(delivery);
    const std::uint8_t before = engine.BlockCounter();
    const bool inProgress = engine.IsOperationInProgress();
    const bool foundBefore = engine.RadioFoundEvent().IsSet();
    const int writesBefore = host.writeCount;
    engine.HandleMessage(host.delivery.data(), static_cast<std::uint32_t>(host.delivery.size()));
    CheckCounterStep(before, engine.BlockCounter(), host.delivery, inProgress, host.isRead);
    if (StartsWithIdentification(host.delivery))
        FUZZ_CHECK(engine.RadioFoundEvent().IsSet());
    else
        FUZZ_CHECK(engine.RadioFoundEvent().IsSet() == foundBefore);
    // Outside an operation nothing is ever sent (a probe's answer is not acknowledged).
    if (!inProgress)
        FUZZ_CHECK(host.writeCount == writesBefore);
    // One delivery is answered by at most an acknowledgement and one message.
    FUZZ_CHECK(host.writeCount - writesBefore <= 2);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFuzzInput input(data, size);
    CCheckingHost host;
    CRadioProtocol engine(host);
    for (auto& row : host.rows) {
        for (auto& b : row.bytes)
            b = input.Byte();
    }

    for (int action = 0; action < 400 && !input.Empty(); ++action) {
        switch (input.Byte() % 8) {
        case 0: {                   // the user starts a read or a write; the dialog opens
            if (host.inOperation) { // the previous dialog has to be closed first
                engine.DialogEnded();
                host.inOperation = false;
            }
            host.isRead = input.Bool();
            const std::uint8_t port = input.Byte();
            host.portMode = port < 200   ? PortMode::Works
                            : port < 220 ? PortMode::Cancels
                                         : PortMode::Fails;
            host.failingWrite = host.writeCount + 1 + input.Byte() % 40;
            host.ends = 0;
            host.settingsCollected = false;
            engine.StartOperation(host.isRead);
            FUZZ_CHECK(engine.BlockCounter() == 0 && engine.IsRead() == host.isRead);
            host.inOperation = true;
            const bool begun = engine.BeginDialog();
            FUZZ_CHECK(begun == (host.ends == 0));
            FUZZ_CHECK(begun || host.lastResult == RESULT_PORT_FAILED);
            if (!begun)
                host.inOperation = false; // the dialog ends at once
            break;
        }
        case 1: // bytes from the radio, anything at all
        case 2:
            Deliver(engine, host, [&] {
                const auto bytes = input.Bytes(input.Byte() % (kMaxDelivery + 1));
                return Bytes(bytes.begin(), bytes.end());
            }());
            break;
        case 3: { // an identification, perhaps with more behind it
            Bytes d(CRadioProtocol::kIdentification.begin(), CRadioProtocol::kIdentification.end());
            const auto tail = input.Bytes(input.Byte() % 8);
            d.insert(d.end(), tail.begin(), tail.end());
            Deliver(engine, host, d);
            break;
        }
        case 4: { // a stretch of correct answers, to reach every counter value
            const int count = input.Byte() % 24;
            for (int i = 0; i < count; ++i)
                Deliver(engine, host, GoodAnswer(engine, input));
            break;
        }
        case 5: { // a correct answer with one byte changed
            Bytes d = GoodAnswer(engine, input);
            d[input.Byte() % d.size()] = input.Byte();
            d.resize(std::max<std::size_t>(1, input.Byte() % (d.size() + 1)));
            Deliver(engine, host, d);
            break;
        }
        case 6: { // a second of the watchdog
            const std::uint8_t counter = engine.BlockCounter();
            const std::uint8_t highest = engine.WatchdogMax();
            const bool inProgress = engine.IsOperationInProgress();
            const int endsBefore = host.ends;
            const bool ended = engine.WatchdogTick();
            FUZZ_CHECK(engine.BlockCounter() == counter);
            // It ends the dialog exactly when a second passed without a new block.
            FUZZ_CHECK(ended == (inProgress && counter <= highest));
            if (ended) {
                FUZZ_CHECK(host.ends == std::min(endsBefore + 1, 1));
                host.inOperation = false;
            }
            break;
        }
        default: // the dialog's modal loop returns (after the engine or the watchdog ended it)
            if (host.ends > 0 || input.Bool()) {
                engine.DialogEnded();
                host.inOperation = false;
                FUZZ_CHECK(!engine.IsOperationInProgress());
            }
            break;
        }
        // A port failure ends the operation at once.
        if (host.ends > 0 && host.lastResult == RESULT_PORT_FAILED) {
            FUZZ_CHECK(!engine.IsOperationInProgress());
            host.inOperation = false;
        }
        FUZZ_CHECK(host.inOperation || !engine.IsOperationInProgress());
    }
    return 0;
}

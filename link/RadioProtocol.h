#pragma once

#include "link/ManualResetEvent.h"
#include "link/ReplyAssembler.h"
#include "model/ChannelRecord.h"

// std
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

// Results with which an operation ends (the progress dialog's result).
inline constexpr int RESULT_DONE = 100;
inline constexpr int TIMER_WATCHDOG = 3025;
// A write to the port failed during the operation (not a cancellation): the port is gone or
// broken, so the operation ends at once instead of waiting for the watchdog.
inline constexpr int RESULT_PORT_FAILED = 3027;
// A read reached its end, but the radio answered some channel requests with another block:
// those rows kept what they held (SkippedChannels says which), so it is no success.
inline constexpr int RESULT_READ_INCOMPLETE = 3029;
// The program closed under the operation: its progress ends and no message follows.
inline constexpr int RESULT_WINDOW_CLOSED = 3028;

// What the protocol engine needs of the main window.
//
// Threads: every call but the ones named below comes from the port's reader thread while an
// operation is in progress, and is synchronous: the data pointed to is valid only during the
// call, and RowRecord must return what the row holds at that moment. The window marshals these
// calls onto its own thread and waits for them (its thread is then inside the progress
// dialog's modal loop, so it never waits for the reader thread). The engine holds no lock
// while it calls the host.
// EndOperation also comes from the UI thread (the watchdog); WritePort also comes from the UI
// thread (the handshake, from BeginDialog).
class IRadioProtocolHost
{
public:
    // The record of grid row `row` (0..15), for the write of block row + 1.
    virtual ChannelRecord RowRecord(int row) = 0;
    // A read delivered the record of row `row` (0..15): put it into the row and render it.
    virtual void ChannelReceived(int row, const ChannelRecord& record) = 0;
    // A read delivered the settings frame (header included, `count` <= 50 bytes): set the
    // settings combos from frame byte 4 and bytes 14..19.
    virtual void SettingsReceived(const std::uint8_t* frame, std::uint32_t count) = 0;
    // Fill the settings into frame byte 4 and bytes 14..19 of the 32-byte frame under
    // construction (bytes 0..3 are set, the rest zero).
    virtual void CollectSettings(std::uint8_t* frame) = 0;
    // Advance the progress bar by one step (of 18).
    virtual void StepProgress() = 0;
    // End the operation's progress dialog with `result` (RESULT_DONE, TIMER_WATCHDOG,
    // RESULT_PORT_FAILED or RESULT_READ_INCOMPLETE). Called at most once per operation. Must not
    // wait for the reader thread.
    virtual void EndOperation(int result) = 0;
    // Write to the port (CCommPort::Write): nonzero on success, 0 when cancelled; throws
    // CErrorSetOutput on a failure.
    virtual int WritePort(const std::uint8_t* data, std::uint32_t count) = 0;

protected:
    ~IRadioProtocolHost() = default;
};

// The radio programming protocol, "bytes in, actions out": OnReceive takes the port's deliveries,
// a CReplyAssembler cuts them into the radio's messages, and each message is answered through
// the host. A message that arrives whole in one delivery is answered as that delivery comes.
//
// Threads: StartOperation, BeginDialog, WatchdogTick and DialogEnded run on the UI thread;
// OnReceive runs on the port's reader thread. The operation state is made of atomics, so the
// two threads share it without a lock; frameBuffer and the channel buffer belong to the reader
// thread. radioFoundEvent is safe from any thread.
//
// Use for one operation: StartOperation(isRead); open the port; set its read chunk to
// kOperationReadChunk; show the progress dialog, whose initialisation calls BeginDialog and
// starts a kWatchdogPeriodMs timer that calls WatchdogTick; the dialog ends when the host's
// EndOperation is called; after the modal loop returns, call DialogEnded.
class CRadioProtocol
{
public:
    static constexpr std::uint32_t kOperationReadChunk = 50;
    static constexpr std::uint32_t kProbeReadChunk = 10;
    static constexpr std::uint32_t kWatchdogPeriodMs = 1000;
    static constexpr int kProgressSteps = 18;
    static constexpr std::size_t kFrameSize = 34;
    static constexpr std::size_t kFrameBufferSize = 50;
    static constexpr std::uint8_t kAck = 0x06;
    static constexpr std::uint8_t kSettingsBlock = 17;
    // "PROGRAM", sent when the dialog opens and by the radio probe.
    static constexpr std::array<std::uint8_t, 7> kHandshake = {'P', 'R', 'O', 'G', 'R', 'A', 'M'};
    // The radio's identification: the first six bytes of its reply to the handshake.
    static constexpr std::array<std::uint8_t, 6> kIdentification = {'K', 'T', 'Z', '5', '1', '7'};

    explicit CRadioProtocol(IRadioProtocolHost& host);
    CRadioProtocol(const CRadioProtocol&) = delete;
    CRadioProtocol& operator=(const CRadioProtocol&) = delete;

    // UI thread. Sets isRead and blockCounter = 0; sendPending is left as it is.
    void StartOperation(bool isRead);
    // UI thread, when the progress dialog opens: the operation is in progress from now on,
    // watchdogMax = 0, and the handshake is written. False when the handshake write failed;
    // EndOperation(RESULT_PORT_FAILED) has then been called.
    bool BeginDialog();
    // UI thread, every kWatchdogPeriodMs while the dialog is up. Ends the operation with
    // TIMER_WATCHDOG (and returns true) when blockCounter has not grown since the last tick.
    bool WatchdogTick();
    // UI thread, after the dialog's modal loop has returned: no operation is in progress.
    void DialogEnded();

    // Reader thread: one delivery from the port. Handles the radio's identification at any
    // time (it sets radioFoundEvent) and everything else only while an operation is in
    // progress.
    void OnReceive(const std::uint8_t* data, std::uint32_t count);
    // Reader thread: one whole message, as the assembler cuts them from the deliveries. The
    // engine's rules act on it; OnReceive calls it for every message.
    void HandleMessage(const std::uint8_t* data, std::uint32_t count);
    // Reader thread, when a port's reader starts: bytes of another port complete no message.
    void OnPortStarted() { m_assembler.Reset(); }

    [[nodiscard]] bool IsOperationInProgress() const { return m_inProgress.load(); }
    [[nodiscard]] bool IsRead() const { return m_isRead.load() != 0; }
    [[nodiscard]] bool SendPending() const { return m_sendPending.load() != 0; }
    [[nodiscard]] std::uint8_t BlockCounter() const { return m_blockCounter.load(); }
    [[nodiscard]] std::uint8_t WatchdogMax() const { return m_watchdogMax.load(); }
    // Channels (bit n - 1 for channel n) whose read request the radio answered with another
    // block in the current or last read.
    [[nodiscard]] std::uint16_t SkippedChannels() const { return m_skippedChannels.load(); }
    // Set whenever a delivery begins with the identification; reset only by the radio probe.
    [[nodiscard]] CManualResetEvent& RadioFoundEvent() { return m_radioFoundEvent; }

    // Frames as the program writes them, for the engine and for tests.
    static std::array<std::uint8_t, 4> BuildReadRequest(std::uint8_t block);
    static void BuildChannelFrame(std::uint8_t block, const ChannelRecord& record,
                                  std::uint8_t* frame);
    static void SealFrame(std::uint8_t* frame); // CRC of bytes 0..31 into 32, 33 (high first)

private:
    void Handle(const std::uint8_t* data, std::uint32_t count);
    void HandleWriteAck();
    void HandleReadDelivery(const std::uint8_t* data, std::uint32_t count);
    void Send(const std::uint8_t* data, std::uint32_t count);
    void End(int result);

    IRadioProtocolHost& m_host;
    CManualResetEvent m_radioFoundEvent;
    std::atomic<std::uint8_t> m_isRead{0};
    std::atomic<std::uint8_t> m_sendPending{0};
    std::atomic<std::uint8_t> m_blockCounter{0};
    std::atomic<std::uint8_t> m_watchdogMax{0};
    std::atomic<bool> m_inProgress{false};   // the progress dialog is up
    std::atomic<bool> m_endReported{false};  // EndOperation was called for this operation
    std::atomic<bool> m_resetFraming{false}; // set by BeginDialog, taken up by the reader
    std::atomic<std::uint16_t> m_skippedChannels{0};
    CReplyAssembler m_assembler;                                // reader thread only
    std::array<std::uint8_t, kFrameBufferSize> m_frameBuffer{}; // reader thread only
    ChannelRecord m_channelBuffer{};                            // reader thread only
};

#pragma once

#include "model/RadioImage.h"

// std
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A fault the simulated radio injects. Blocks are numbered as on the line: 1..16 channels,
// 17 the settings; block 0 means "right after the handshake's acknowledgement".
struct SimFault
{
    enum class Kind
    {
        None,
        NoIdent,       // never answers the handshake
        StallAfter,    // goes silent after block K until the next handshake
        WrongBlock,    // answers the read request for block K with block number K + 1
        NoSettingsAck, // answers the settings request with 0x00 instead of 0x05 in byte 1
        GarbageBefore, // sends noise right before (in the same burst as) the answer to block K
        HangupAfter,   // hangs the line up after block K
        IdentAt,       // answers block K with its identification once (a radio that restarted)
        LateIdent,     // answers every handshake `amount` ms late
        ShortSettings  // sends only the first `amount` bytes of the settings reply, never the rest
    };
    Kind kind = Kind::None;
    int block = 0;
    int amount = 0; // LateIdent: milliseconds; ShortSettings: bytes

    bool operator==(const SimFault&) const = default;
};

// Parses "none", "no-ident", "no-settings-ack", "stall-after=K", "wrong-block=K",
// "garbage-before=K", "hangup-after=K", "ident-at=K" (K 0..17), "late-ident=MS" (MS 0..10000)
// and "short-settings=N" (N 0..33).
[[nodiscard]] std::optional<SimFault> ParseSimFault(std::string_view text);

// What the radio sends in answer to some input: bytes (paced by the caller) and possibly a
// hang-up after them.
struct SimOutput
{
    std::vector<std::uint8_t> bytes;
    bool hangup = false;
    int block = -1; // the request answered (0 the acknowledgement); -1 the identification
    std::chrono::milliseconds delay{0}; // how long the radio waits before it begins to send
};

// The simulated radio's protocol side, without a line: input is a byte stream (the program's
// writes may arrive split or merged), output the radio's answers. Its own parser, written
// apart from the program's engine.
class CSimRadioCore
{
public:
    static constexpr std::uint8_t kAck = 0x06;
    static constexpr std::string_view kIdentification = "KTZ517";
    static constexpr std::string_view kHandshake = "PROGRAM";

    explicit CSimRadioCore(const RadioImage& image = DefaultImage());

    // Feeds received bytes; returns the answers in order.
    std::vector<SimOutput> Feed(const std::uint8_t* data, std::size_t count);

    void SetFault(const SimFault& fault) { m_fault = fault; }
    [[nodiscard]] const SimFault& Fault() const { return m_fault; }
    void SetImage(const RadioImage& image) { m_image = image; }
    [[nodiscard]] const RadioImage& Image() const { return m_image; }

    // What the radio has seen.
    int handshakes = 0;
    std::vector<int> readRequests;                   // block numbers, in order
    std::vector<std::vector<std::uint8_t>> frames;   // 34-byte frames accepted
    std::vector<std::vector<std::uint8_t>> rejected; // 34-byte frames with a wrong checksum
    int writesCompleted = 0;                         // settings frames accepted
    std::size_t discardedBytes = 0;                  // input that fit no message

    // A non-trivial image: every field differs between channels, bytes 15..23 included.
    static RadioImage DefaultImage();
    // The radio's answer frames (34 bytes, checksum high byte first).
    static std::vector<std::uint8_t> ChannelReply(int block, const ChannelRecord& record);
    static std::vector<std::uint8_t> SettingsReply(const SettingsRecord& settings,
                                                   std::uint8_t byte1 = 0x05);

private:
    enum class State
    {
        Idle,     // waiting for the handshake
        AwaitAck, // identified, waiting for the program's acknowledgement
        Session,  // answering requests and frames
        Silent    // stalled or hung up: only a new handshake wakes it
    };

    // Tries to take one message from the front of the input; false when more bytes are needed.
    bool TakeMessage(std::vector<SimOutput>& out);
    void OnHandshake(std::vector<SimOutput>& out);
    void OnReadRequest(int block, std::vector<SimOutput>& out);
    void OnFrame(const std::uint8_t* frame, std::vector<SimOutput>& out);
    // Sends `bytes` as the answer to block `block`, applying the faults tied to it.
    void Answer(int block, std::vector<std::uint8_t> bytes, std::vector<SimOutput>& out);
    [[nodiscard]] bool FaultAt(SimFault::Kind kind, int block) const;

    RadioImage m_image;
    SimFault m_fault;
    State m_state = State::Idle;
    bool m_identAtDone = false;
    bool m_hungUp = false;
    std::vector<std::uint8_t> m_input;
};

#pragma once

// std
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// How the USB-serial adapter between the radio and the computer hands the radio's bytes over.
// The radio sends as it always does; only the pieces in which its answers reach the program's
// port, and when, depend on the adapter.
struct SimAdapter
{
    enum class Model
    {
        Direct, // every byte as it comes off the line
        Ftdi,   // a packet per latency-timer tick, or as soon as 62 bytes have gathered
        Pl2303, // small pieces every 1 ms
        Ch340   // pieces every 1 to 4 ms
    };
    // One answer cut in two: the first `byte` bytes, the rest `gapMs` later (a radio pausing
    // mid-reply, an adapter holding the tail back).
    struct Split
    {
        int block = 0; // the answer to this block's request; 0 every answer and the identification
        int byte = 0;
        int gapMs = 0;
        bool operator==(const Split&) const = default;
    };

    static constexpr int kFtdiDefaultLatencyMs = 16;
    static constexpr std::size_t kFtdiPacketBytes = 62; // 64 less the two status bytes

    Model model = Model::Direct;
    int latencyMs = kFtdiDefaultLatencyMs; // FTDI only
    int jitterMs = 0;                      // each hand-over late by a random 0..jitterMs
    std::optional<Split> split;
    std::uint32_t seed = 1; // the same seed gives the same phases, pieces and delays

    // Today's line: every byte handed over as it is sent.
    [[nodiscard]] bool IsPlain() const { return model == Model::Direct && jitterMs == 0 && !split; }
    bool operator==(const SimAdapter&) const = default;
};

// Parses a comma-separated list: one model ("direct", "ftdi", "ftdi:LATENCY_MS", "pl2303",
// "ch340"; direct when none is named) and the modifiers "jitter:MS",
// "split:[BLOCK:]BYTE:GAP_MS" and "seed:N". On failure returns nothing and, when `error` is
// given, says which item is wrong and why.
[[nodiscard]] std::optional<SimAdapter> ParseSimAdapter(std::string_view text,
                                                        std::string* error = nullptr);

// One piece handed over: `count` bytes at `at` after the answer's first byte was sent.
struct SimPiece
{
    std::chrono::microseconds at;
    std::size_t count;
    bool operator==(const SimPiece&) const = default;
};

// The adapter's side of the line: plans when the pieces of each answer are handed over. Keeps
// the adapter's free-running timer and its random draws, so that consecutive answers meet the
// timer at different phases, as on a real line.
class CSimAdapterLine
{
public:
    explicit CSimAdapterLine(const SimAdapter& adapter = {});

    // The pieces of an answer of `size` bytes to `block` (-1 for the identification), its
    // bytes leaving the radio one per `byteTime` (all at once when zero), `sinceOrigin` after
    // the adapter started.
    std::vector<SimPiece> Plan(std::size_t size, int block, std::chrono::microseconds byteTime,
                               std::chrono::microseconds sinceOrigin);

    [[nodiscard]] const SimAdapter& Adapter() const { return m_adapter; }

private:
    // The first hand-over time at or after `t` (from the answer's first byte).
    std::chrono::microseconds NextTick(std::chrono::microseconds t,
                                       std::chrono::microseconds sinceOrigin);
    std::chrono::microseconds Random(std::chrono::microseconds from, std::chrono::microseconds to);

    SimAdapter m_adapter;
    std::mt19937 m_random;
    std::chrono::microseconds m_phase{0};   // where the FTDI timer stood when the adapter began
    std::chrono::microseconds m_chTick{-1}; // CH340: the last tick of this answer, -1 none yet
};

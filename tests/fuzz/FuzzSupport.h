#pragma once

// std
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

// An invariant of a fuzz target. A failure prints the condition and aborts, so libFuzzer keeps
// the input as a crash file and the replay executable fails its test. Unlike assert() it is
// never compiled out.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? static_cast<void>(0) : ::FuzzCheckFailed(#condition, __FILE__, __LINE__))

[[noreturn]] inline void FuzzCheckFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: invariant violated: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

// Reads a fuzz input front to back as a sequence of small decisions; past the end every read
// gives zeros, so any input is a complete script.
class CFuzzInput
{
public:
    CFuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data, size) {}

    [[nodiscard]] bool Empty() const { return m_pos >= m_data.size(); }
    [[nodiscard]] std::size_t Remaining() const { return m_data.size() - m_pos; }

    std::uint8_t Byte() { return Empty() ? 0 : m_data[m_pos++]; }
    bool Bool() { return (Byte() & 1) != 0; }
    std::uint16_t Le16()
    {
        const std::uint8_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }
    // Up to `count` bytes; fewer when the input ends.
    std::span<const std::uint8_t> Bytes(std::size_t count)
    {
        count = std::min(count, Remaining());
        const auto out = m_data.subspan(m_pos, count);
        m_pos += count;
        return out;
    }
    std::span<const std::uint8_t> Rest() { return Bytes(Remaining()); }
    std::string_view RestAsText()
    {
        const auto rest = Rest();
        return {reinterpret_cast<const char*>(rest.data()), rest.size()};
    }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
};

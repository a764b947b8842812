#include "tools/simradio/SimAdapter.h"

// std
#include <algorithm>
#include <charconv>

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int kSettingsBlock = 17;
constexpr int kReplySize = 34;
constexpr int kMaxLatencyMs = 255; // the FTDI latency timer's range is 1..255 ms
constexpr int kMaxDelayMs = 10000;

std::vector<std::string_view> SplitAt(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

// A whole decimal number in [low, high].
std::optional<long long> Number(std::string_view text, long long low, long long high)
{
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<SimAdapter> ParseSimAdapter(std::string_view text, std::string* error)
{
    SimAdapter adapter;
    bool modelNamed = false;
    auto fail = [error](std::string_view item, const std::string& why) {
        if (error)
            *error = "'" + std::string(item) + "': " + why;
        return std::nullopt;
    };
    if (text.empty())
        return fail(text, "no adapter given");

    for (const std::string_view item : SplitAt(text, ',')) {
        const std::vector<std::string_view> parts = SplitAt(item, ':');
        const std::string_view name = parts[0];
        const std::size_t args = parts.size() - 1;
        const bool isModel =
            name == "direct" || name == "ftdi" || name == "pl2303" || name == "ch340";
        if (isModel) {
            if (modelNamed)
                return fail(item, "a second adapter model");
            modelNamed = true;
            if (name == "ftdi") {
                adapter.model = SimAdapter::Model::Ftdi;
                if (args > 1)
                    return fail(item, "expected ftdi or ftdi:LATENCY_MS");
                if (args == 1) {
                    const auto latency = Number(parts[1], 1, kMaxLatencyMs);
                    if (!latency)
                        return fail(item, "the latency must be 1..255 ms");
                    adapter.latencyMs = static_cast<int>(*latency);
                }
                continue;
            }
            if (args != 0)
                return fail(item, std::string(name) + " takes no value");
            adapter.model = name == "direct"   ? SimAdapter::Model::Direct
                            : name == "pl2303" ? SimAdapter::Model::Pl2303
                                               : SimAdapter::Model::Ch340;
        } else if (name == "jitter") {
            const auto ms = args == 1 ? Number(parts[1], 0, kMaxDelayMs) : std::nullopt;
            if (!ms)
                return fail(item, "expected jitter:MS with MS 0..10000");
            adapter.jitterMs = static_cast<int>(*ms);
        } else if (name == "split") {
            if (args != 2 && args != 3)
                return fail(item, "expected split:[BLOCK:]BYTE:GAP_MS");
            SimAdapter::Split split;
            std::size_t next = 1;
            if (args == 3) {
                const auto block = Number(parts[next++], 1, kSettingsBlock);
                if (!block)
                    return fail(item, "the block must be 1..17");
                split.block = static_cast<int>(*block);
            }
            const auto byte = Number(parts[next++], 1, kReplySize - 1);
            if (!byte)
                return fail(item, "the byte to cut after must be 1..33");
            const auto gap = Number(parts[next], 0, kMaxDelayMs);
            if (!gap)
                return fail(item, "the gap must be 0..10000 ms");
            split.byte = static_cast<int>(*byte);
            split.gapMs = static_cast<int>(*gap);
            adapter.split = split;
        } else if (name == "seed") {
            const auto seed = args == 1 ? Number(parts[1], 0, 0xFFFFFFFFLL) : std::nullopt;
            if (!seed)
                return fail(item, "expected seed:N with N 0..4294967295");
            adapter.seed = static_cast<std::uint32_t>(*seed);
        } else {
            return fail(item, "unknown; expected direct, ftdi[:LATENCY_MS], pl2303, ch340, "
                              "jitter:MS, split:[BLOCK:]BYTE:GAP_MS or seed:N");
        }
    }
    return adapter;
}

CSimAdapterLine::CSimAdapterLine(const SimAdapter& adapter)
    : m_adapter(adapter), m_random(adapter.seed)
{
    if (m_adapter.model == SimAdapter::Model::Ftdi)
        m_phase = Random(microseconds(0), milliseconds(m_adapter.latencyMs) - microseconds(1));
}

microseconds CSimAdapterLine::Random(microseconds from, microseconds to)
{
    std::uniform_int_distribution<long long> pick(from.count(), to.count());
    return microseconds(pick(m_random));
}

microseconds CSimAdapterLine::NextTick(microseconds t, microseconds sinceOrigin)
{
    switch (m_adapter.model) {
    case SimAdapter::Model::Direct:
        return t;
    case SimAdapter::Model::Ftdi:
    case SimAdapter::Model::Pl2303: {
        // A free-running timer: ticks at m_phase + k * period since the adapter began.
        const microseconds period = m_adapter.model == SimAdapter::Model::Ftdi
                                        ? milliseconds(m_adapter.latencyMs)
                                        : milliseconds(1);
        const long long absolute = (t + sinceOrigin - m_phase).count();
        const long long ticks = (absolute + period.count() - 1) / period.count();
        return m_phase + period * ticks - sinceOrigin;
    }
    case SimAdapter::Model::Ch340:
        if (m_chTick.count() < 0)
            m_chTick = t + Random(milliseconds(1), milliseconds(4));
        while (m_chTick < t)
            m_chTick += Random(milliseconds(1), milliseconds(4));
        return m_chTick;
    }
    return t;
}

std::vector<SimPiece> CSimAdapterLine::Plan(std::size_t size, int block, microseconds byteTime,
                                            microseconds sinceOrigin)
{
    // When each byte reaches the adapter.
    std::vector<microseconds> arrival(size);
    const auto& split = m_adapter.split;
    const bool cut = split && (split->block == 0 || split->block == block);
    for (std::size_t i = 0; i < size; ++i) {
        arrival[i] = byteTime * static_cast<long long>(i);
        if (cut && i >= static_cast<std::size_t>(split->byte))
            arrival[i] += milliseconds(split->gapMs);
    }

    // What has gathered goes over at the next tick after its first byte (FTDI also when a
    // packet is full).
    std::vector<SimPiece> pieces;
    const std::size_t packet = m_adapter.model == SimAdapter::Model::Ftdi
                                   ? SimAdapter::kFtdiPacketBytes
                                   : static_cast<std::size_t>(-1);
    m_chTick = microseconds(-1);
    std::size_t pending = 0;
    microseconds tick{0};
    for (std::size_t i = 0; i < size;) {
        if (pending == 0)
            tick = NextTick(arrival[i], sinceOrigin);
        if (arrival[i] <= tick) {
            ++pending;
            ++i;
            if (pending == packet) {
                pieces.push_back({arrival[i - 1], pending}); // a full packet goes at once
                pending = 0;
            }
            continue;
        }
        pieces.push_back({tick, pending});
        pending = 0;
    }
    if (pending != 0)
        pieces.push_back({tick, pending});

    // Hub and driver delays, never reordering the pieces.
    if (m_adapter.jitterMs > 0) {
        microseconds previous{0};
        for (SimPiece& piece : pieces) {
            piece.at = std::max(
                previous, piece.at + Random(microseconds(0), milliseconds(m_adapter.jitterMs)));
            previous = piece.at;
        }
    }
    return pieces;
}

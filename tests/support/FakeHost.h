#pragma once

#include "link/CommPort.h"
#include "link/RadioProtocol.h"
#include "model/ChannelRecord.h"

// std
#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

// The window's side of the protocol engine, recording every call. Thread-safe: the engine calls
// it from a port's reader thread while the test inspects it.
class CFakeHost : public IRadioProtocolHost
{
public:
    using Bytes = std::vector<std::uint8_t>;

    virtual ~CFakeHost() = default;

    ChannelRecord RowRecord(int row) override
    {
        std::lock_guard lock(m_mutex);
        return rows.at(static_cast<std::size_t>(row));
    }
    void ChannelReceived(int row, const ChannelRecord& record) override
    {
        std::lock_guard lock(m_mutex);
        rows.at(static_cast<std::size_t>(row)) = record;
        receivedRows.push_back(row);
    }
    void SettingsReceived(const std::uint8_t* frame, std::uint32_t count) override
    {
        std::lock_guard lock(m_mutex);
        settingsFrames.emplace_back(frame, frame + count);
    }
    void CollectSettings(std::uint8_t* frame) override
    {
        std::lock_guard lock(m_mutex);
        collectedHeaders.emplace_back(frame, frame + 32);
        if (collect)
            collect(frame);
    }
    void StepProgress() override
    {
        std::lock_guard lock(m_mutex);
        ++steps;
    }
    void EndOperation(int result) override
    {
        {
            std::lock_guard lock(m_mutex);
            results.push_back(result);
        }
        m_ended.notify_all();
    }
    int WritePort(const std::uint8_t* data, std::uint32_t count) override
    {
        std::function<int(const std::uint8_t*, std::uint32_t)> out;
        {
            std::lock_guard lock(m_mutex);
            writes.emplace_back(data, data + count);
            if (failWriteNumber != 0 && writes.size() == failWriteNumber)
                throw CErrorSetOutput();
            out = port;
        }
        return out ? out(data, count) : 1;
    }

    // Waits until EndOperation has been called or `timeoutMs` passed; the result or 0.
    int WaitForEnd(int timeoutMs)
    {
        std::unique_lock lock(m_mutex);
        m_ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [this] { return !results.empty(); });
        return results.empty() ? 0 : results.front();
    }

    template <typename F>
    auto Inspect(F f)
    {
        std::lock_guard lock(m_mutex);
        return f(*this);
    }

    // Fields: the test sets them up before the operation and reads them through Inspect
    // while an operation may still run.
    std::array<ChannelRecord, kChannelCount> rows{};
    std::vector<int> receivedRows;
    std::vector<Bytes> settingsFrames;
    std::vector<Bytes> collectedHeaders;
    std::vector<Bytes> writes;
    std::vector<int> results;
    int steps = 0;
    std::size_t failWriteNumber = 0; // the n-th write (1-based) throws CErrorSetOutput
    std::function<void(std::uint8_t*)> collect;
    std::function<int(const std::uint8_t*, std::uint32_t)> port; // where writes go

private:
    std::mutex m_mutex; // guards every field
    std::condition_variable m_ended;
};

#pragma once

#include "link/CommPort.h"
#include "link/ICommPort.h"
#include "link/ICommPortProcess.h"

// std
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An in-memory serial line known by name; the test is its far end. CFakeCommPort opens it.
class CFakeLine
{
public:
    explicit CFakeLine(std::string name) : m_name(std::move(name))
    {
        std::lock_guard lock(RegistryMutex());
        Registry()[m_name] = this;
    }
    ~CFakeLine()
    {
        HangUp();
        std::lock_guard lock(RegistryMutex());
        Registry().erase(m_name);
    }
    CFakeLine(const CFakeLine&) = delete;
    CFakeLine& operator=(const CFakeLine&) = delete;

    [[nodiscard]] const std::string& Name() const { return m_name; }

    void Send(const std::vector<std::uint8_t>& bytes)
    {
        std::lock_guard lock(mutex);
        toPort.insert(toPort.end(), bytes.begin(), bytes.end());
        changed.notify_all();
    }

    std::vector<std::uint8_t> Receive(int quietMs = 100, int maxMs = 2000)
    {
        std::unique_lock lock(mutex);
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
        std::size_t seen = fromPort.size();
        while (std::chrono::steady_clock::now() < end) {
            changed.wait_for(lock, std::chrono::milliseconds(quietMs));
            if (fromPort.size() == seen)
                break;
            seen = fromPort.size();
        }
        std::vector<std::uint8_t> got(fromPort.begin(), fromPort.end());
        fromPort.clear();
        return got;
    }

    void HangUp()
    {
        std::lock_guard lock(mutex);
        hungUp = true;
        changed.notify_all();
    }

    static CFakeLine* Find(const std::string& name)
    {
        std::lock_guard lock(RegistryMutex());
        const auto it = Registry().find(name);
        return it == Registry().end() ? nullptr : it->second;
    }

    std::mutex mutex; // guards everything below
    std::condition_variable changed;
    std::deque<std::uint8_t> toPort;
    std::vector<std::uint8_t> fromPort;
    bool hungUp = false;
    bool held = false; // a port has it open

private:
    static std::map<std::string, CFakeLine*>& Registry()
    {
        static std::map<std::string, CFakeLine*> lines;
        return lines;
    }
    static std::mutex& RegistryMutex()
    {
        static std::mutex m;
        return m;
    }

    std::string m_name;
};

// A serial port over CFakeLine with the same contract as CCommPort (exclusive, reader thread,
// read chunks with the n x 1 ms + 5 ms window, OnClosed once).
class CFakeCommPort : public ICommPort
{
public:
    explicit CFakeCommPort(ICommPortProcess* receiver) : m_receiver(receiver) {}
    virtual ~CFakeCommPort() { Close(); }

    bool Open(const std::string& name) override
    {
        std::lock_guard lifecycle(m_lifecycle);
        if (m_open && PortName() == name)
            return true;
        StopReader();
        CFakeLine* line = CFakeLine::Find(name);
        m_openError = PortOpenError::NotFound;
        if (!line)
            return false;
        {
            std::lock_guard lock(line->mutex);
            m_openError = line->held ? PortOpenError::Busy : PortOpenError::NotFound;
            if (line->held || line->hungUp)
                return false;
            m_openError = PortOpenError::None;
            line->held = true;
            line->toPort.clear();
        }
        m_line = line;
        {
            std::lock_guard lock(m_nameMutex);
            m_name = name;
        }
        m_stop = false;
        m_open = true;
        m_reader = std::thread([this] { Run(); });
        return true;
    }

    bool Close() override
    {
        std::lock_guard lifecycle(m_lifecycle);
        StopReader();
        return true;
    }

    int Write(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written) override
    {
        std::lock_guard lock(m_writeMutex);
        CFakeLine* line = m_open ? m_line.load() : nullptr;
        if (!line)
            throw CErrorSetOutput();
        std::lock_guard lineLock(line->mutex);
        if (line->hungUp)
            throw CErrorSetOutput();
        line->fromPort.insert(line->fromPort.end(), data, data + count);
        line->changed.notify_all();
        if (written)
            *written = count;
        return 1;
    }

    [[nodiscard]] bool IsOpen() const override { return m_open; }
    [[nodiscard]] std::string PortName() const override
    {
        std::lock_guard lock(m_nameMutex);
        return m_name;
    }
    void SetReadChunk(std::uint32_t bytes) override { m_chunk = bytes; }
    [[nodiscard]] std::uint32_t ReadChunk() const override { return m_chunk; }
    [[nodiscard]] PortOpenError LastOpenError() const override { return m_openError; }
    [[nodiscard]] std::uint32_t ReceiveActivity() const override { return m_activity; }

private:
    void StopReader()
    {
        if (CFakeLine* line = m_line.load()) {
            std::lock_guard lock(line->mutex);
            m_stop = true;
            line->changed.notify_all();
        }
        if (m_reader.joinable())
            m_reader.join();
    }

    void Run()
    {
        CFakeLine& line = *m_line;
        m_receiver->OnStarted();
        std::unique_lock lock(line.mutex);
        for (;;) {
            line.changed.wait(lock, [&] { return m_stop || line.hungUp || !line.toPort.empty(); });
            if (m_stop || line.hungUp)
                break;
            ++m_activity;
            const std::uint32_t chunk = m_chunk;
            std::vector<std::uint8_t> got;
            auto take = [&](std::size_t want) {
                while (!line.toPort.empty() && got.size() < want) {
                    got.push_back(line.toPort.front());
                    line.toPort.pop_front();
                }
            };
            if (chunk == 0) {
                take(1024);
            } else {
                const auto deadline =
                    std::chrono::steady_clock::now() + std::chrono::milliseconds(chunk + 5);
                take(chunk);
                while (got.size() < chunk &&
                       line.changed.wait_until(
                           lock, deadline,
                           [&] { return m_stop || line.hungUp || !line.toPort.empty(); }) &&
                       !m_stop && !line.hungUp)
                    take(chunk);
            }
            lock.unlock();
            m_receiver->OnReceive(got.data(), static_cast<std::uint32_t>(got.size()));
            lock.lock();
        }
        line.held = false;
        lock.unlock();
        m_receiver->OnClosed();
        {
            std::lock_guard nameLock(m_nameMutex);
            m_name.clear();
        }
        std::lock_guard writeLock(m_writeMutex);
        m_open = false;
        m_line = nullptr;
    }

    ICommPortProcess* m_receiver;
    std::mutex m_lifecycle;         // serialises Open and Close
    std::mutex m_writeMutex;        // one write at a time
    mutable std::mutex m_nameMutex; // guards m_name
    std::string m_name;
    std::atomic<CFakeLine*> m_line{nullptr};
    std::thread m_reader;
    std::atomic<bool> m_open{false};
    bool m_stop = false; // guarded by the line's mutex
    std::atomic<std::uint32_t> m_chunk{0};
    std::atomic<std::uint32_t> m_activity{0};
    std::atomic<PortOpenError> m_openError{PortOpenError::None};
};

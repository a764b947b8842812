#pragma once

#include "link/BlockingProgress.h"
#include "link/RadioSession.h"
#include "model/SettingsMapping.h"

// std
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// The real radio session with a view that keeps the 16 row records and the seven settings
// selections as the window's controls do, runs the progress on the calling thread and records
// what the watchdog saw at each tick.
class CSessionRig : private IRadioSessionView
{
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t kSettingsCount = 7;

    struct Outcome
    {
        int result = 0;      // the progress's result; 0 when it never ended
        std::string message; // the box the user gets; empty for none
        std::uint8_t counter = 0;
        std::uint16_t skipped = 0;           // channels a read did not get
        int progress = 0;                    // the bar's position, 0..18
        Clock::duration total{};             // progress shown to progress ended
        Clock::duration sinceLastActivity{}; // last call from the engine to the end
        bool hung = false;                   // the progress did not end within its tick limit
        // What each watchdog tick saw (the reader thread may move the counter meanwhile).
        struct Tick
        {
            std::uint8_t counterBefore, maxBefore, counterAfter, maxAfter;
            bool ended;
        };
        std::vector<Tick> ticks;
        bool endedByWatchdog = false; // the last tick ended the progress
    };

    CSessionRig()
    {
        m_progress.SetTickObserver([this](bool after, bool ended) {
            CRadioProtocol& protocol = m_session.Protocol();
            if (!after) {
                m_tick = {protocol.BlockCounter(), protocol.WatchdogMax(), 0, 0, false};
                return;
            }
            m_tick.counterAfter = protocol.BlockCounter();
            m_tick.maxAfter = protocol.WatchdogMax();
            m_tick.ended = ended;
            std::lock_guard lock(m_mutex);
            m_endedByTick = ended;
            m_ticks.push_back(m_tick);
        });
    }

    virtual ~CSessionRig() = default;

    // One read or write on `portName` (selected in the session's port list first), the
    // watchdog ticking every `watchdogPeriod`.
    Outcome RunOperation(bool isRead, const std::string& portName,
                         std::chrono::milliseconds watchdogPeriod)
    {
        CPortListMirror& ports = m_session.Ports();
        ports.SelectPort(ports.InsertPortSorted(portName));
        m_session.SetWatchdogPeriod(static_cast<std::uint32_t>(watchdogPeriod.count()));
        {
            std::lock_guard lock(m_mutex);
            m_result = 0;
            m_ticks.clear();
            m_endedByTick = false;
        }
        const std::optional<OperationOutcome> run = m_session.Run(isRead);
        const auto closed = Clock::now();
        Outcome outcome;
        if (!run)
            return outcome;
        if (const auto message = OutcomeMessage(*run))
            outcome.message = message->text;
        std::lock_guard lock(m_mutex);
        outcome.result = ResultCode(run->result);
        outcome.counter = run->blockCounter;
        outcome.skipped = run->skippedChannels;
        outcome.progress = m_progress.Position();
        outcome.hung = m_progress.Hung();
        outcome.total = closed - m_opened;
        outcome.sinceLastActivity = closed - m_lastActivity;
        outcome.ticks = m_ticks;
        outcome.endedByWatchdog = m_endedByTick;
        return outcome;
    }

    // The session's message text for an outcome of these figures.
    static std::string Message(bool isRead, int result, std::uint8_t counter, std::uint16_t skipped)
    {
        OperationOutcome outcome;
        outcome.isRead = isRead;
        outcome.result = OperationResultFromCode(result).value_or(OperationResult::WindowClosed);
        outcome.blockCounter = counter;
        outcome.skippedChannels = skipped;
        const auto message = OutcomeMessage(outcome);
        return message ? message->text : std::string();
    }

    // Row records and settings selections, guarded like the window's controls.
    std::array<ChannelRecord, kChannelCount> Rows() const
    {
        std::lock_guard lock(m_mutex);
        return m_rows;
    }
    void SetRows(const std::array<ChannelRecord, kChannelCount>& rows)
    {
        std::lock_guard lock(m_mutex);
        m_rows = rows;
    }
    std::array<int, kSettingsCount> Selections() const
    {
        std::lock_guard lock(m_mutex);
        return m_selections;
    }
    void SetSelections(const std::array<int, kSettingsCount>& selections)
    {
        std::lock_guard lock(m_mutex);
        m_selections = selections;
    }
    int PortClosedCount() const { return m_portClosed.load(); }
    CCommPort& Port() { return m_session.Port(); }

private:
    ChannelRecord RowRecord(int row) override
    {
        std::lock_guard lock(m_mutex);
        Touch();
        return m_rows.at(static_cast<std::size_t>(row));
    }
    void ChannelReceived(int row, const ChannelRecord& record) override
    {
        std::lock_guard lock(m_mutex);
        Touch();
        m_rows.at(static_cast<std::size_t>(row)) = record;
    }
    void SettingsReceived(const std::uint8_t* frame) override
    {
        std::lock_guard lock(m_mutex);
        Touch();
        const auto& fields = SettingsFields();
        for (std::size_t i = 0; i < kSettingsCount; ++i)
            m_selections[i] = SelectionFromByte(fields[i], frame[fields[i].offset]);
    }
    void ProvideSettings(std::uint8_t* frame) override
    {
        std::lock_guard lock(m_mutex);
        Touch();
        const auto& fields = SettingsFields();
        for (std::size_t i = 0; i < kSettingsCount; ++i)
            frame[fields[i].offset] = ByteFromSelection(fields[i], m_selections[i]);
    }
    int RunProgress(const ProgressRun& run) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_opened = m_lastActivity = Clock::now();
        }
        return m_progress.Run(run);
    }
    void StepProgress() override
    {
        {
            std::lock_guard lock(m_mutex);
            Touch();
        }
        m_progress.Step();
    }
    void EndProgress(int result) override
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_result == 0)
                m_result = result;
        }
        m_progress.End(result);
    }
    void ShutDownCalls() override { m_progress.End(ResultCode(OperationResult::WindowClosed)); }
    void PortClosed() override { ++m_portClosed; }

    void Touch() { m_lastActivity = Clock::now(); } // under m_mutex

    mutable std::mutex m_mutex; // guards the rows, selections, result, times and ticks
    std::array<ChannelRecord, kChannelCount> m_rows{};
    std::array<int, kSettingsCount> m_selections{};
    int m_result = 0;
    Clock::time_point m_opened{};
    Clock::time_point m_lastActivity{};
    std::vector<Outcome::Tick> m_ticks;
    Outcome::Tick m_tick{};
    bool m_endedByTick = false;
    std::atomic<int> m_portClosed{0};
    CBlockingProgress m_progress;
    CRadioSession m_session{*this}; // last: shut down and joined before the rest goes away
};

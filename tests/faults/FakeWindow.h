#pragma once

#include "app/Texts.h"
#include "link/CommPort.h"
#include "link/RadioProtocol.h"
#include "model/SettingsMapping.h"

// std
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// What the main window does in a read or a write, without Qt: it owns the port and the engine,
// keeps the 16 row records and the seven settings selections, runs the progress dialog's modal
// wait with its watchdog timer on the calling thread (the "UI thread"), and reports the result
// with the message the user would see. The engine's calls arrive on the port's reader thread.
class CFakeWindow : public ICommPortProcess, public IRadioProtocolHost
{
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t kSettingsCount = 7;

    struct Outcome
    {
        int result = 0;      // the dialog's result; 0 when it never ended
        std::string message; // the box the user gets; empty for none
        std::uint8_t counter = 0;
        std::uint16_t skipped = 0;           // channels a read did not get
        int progress = 0;                    // the bar's position, 0..18
        Clock::duration total{};             // dialog open to dialog end
        Clock::duration sinceLastActivity{}; // last call from the engine to dialog end
        bool hung = false;                   // the dialog did not end within its tick limit
        // What each watchdog tick saw (the reader thread may move the counter meanwhile).
        struct Tick
        {
            std::uint8_t counterBefore, maxBefore, counterAfter, maxAfter;
            bool ended;
        };
        std::vector<Tick> ticks;
        bool endedByWatchdog = false; // the last tick ended the dialog
    };

    virtual ~CFakeWindow() { m_port.Close(); }

    // One read or write as the window runs it: open the port if needed (StartRead), show the
    // dialog, tick the watchdog every `watchdogPeriod` until the dialog ends, report.
    Outcome RunOperation(bool isRead, const std::string& portName,
                         std::chrono::milliseconds watchdogPeriod)
    {
        Outcome outcome;
        m_protocol.StartOperation(isRead);
        if (!m_port.IsOpen() && !m_port.Open(portName)) {
            outcome.message = "Ошибка при открытии COM-порта";
            return outcome;
        }
        {
            std::lock_guard lock(m_mutex);
            m_result = 0;
            m_progress = 0;
            m_lastActivity = Clock::now();
        }
        m_port.SetReadChunk(CRadioProtocol::kOperationReadChunk);
        const auto opened = Clock::now();
        m_protocol.BeginDialog();
        auto nextTick = opened + watchdogPeriod;
        // The watchdog ends any operation within 19 growth-free periods; far more is a hang.
        for (int tick = 0;; ++tick) {
            {
                std::unique_lock lock(m_mutex);
                if (m_ended.wait_until(lock, nextTick, [this] { return m_result != 0; }))
                    break;
            }
            if (tick > 400) {
                outcome.hung = true;
                break;
            }
            const std::uint8_t highest = m_protocol.WatchdogMax();
            const std::uint8_t counter = m_protocol.BlockCounter();
            const bool ended = m_protocol.WatchdogTick(); // ends the dialog through EndOperation
            outcome.ticks.push_back(
                {counter, highest, m_protocol.BlockCounter(), m_protocol.WatchdogMax(), ended});
            if (ended) {
                outcome.endedByWatchdog = true;
                break;
            }
            nextTick += watchdogPeriod;
        }
        const auto closed = Clock::now();
        m_protocol.DialogEnded();
        std::lock_guard lock(m_mutex);
        outcome.result = m_result;
        outcome.counter = m_protocol.BlockCounter();
        outcome.skipped = m_protocol.SkippedChannels();
        outcome.progress = m_progress;
        outcome.total = closed - opened;
        outcome.sinceLastActivity = closed - m_lastActivity;
        outcome.message = Message(isRead, outcome.result, outcome.counter, outcome.skipped);
        return outcome;
    }

    // The box after the dialog: by the result, for the watchdog by how far the radio got, for
    // an incomplete read by the channels it lacks.
    static std::string Message(bool isRead, int result, std::uint8_t counter, std::uint16_t skipped)
    {
        switch (result) {
        case RESULT_DONE:
            return isRead ? "Данные считаны успешно!" : "Данные записаны успешно!";
        case TIMER_WATCHDOG:
            return counter == 0 ? "Проверьте подключение кабеля к трансиверу и настройки COM-порта"
                                : "Истекло время ожидания соединения\u00A0";
        case RESULT_PORT_FAILED:
            return kPortFailedMessage;
        case RESULT_READ_INCOMPLETE: {
            std::string channels;
            for (int channel = 1; channel <= kChannelCount; ++channel) {
                if (skipped & (1u << (channel - 1)))
                    channels += (channels.empty() ? "" : ", ") + std::to_string(channel);
            }
            std::string text = Texts::kReadIncomplete;
            return text.replace(text.find("%1"), 2, channels);
        }
        default:
            return {};
        }
    }
    // The window's own text for a port that failed under a write.
    static constexpr const char* kPortFailedMessage = Texts::kPortWriteFailed;

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
    CCommPort& Port() { return m_port; }

    // ICommPortProcess: the reader thread hands every delivery to the engine.
    void OnReceive(const std::uint8_t* data, std::uint32_t count) override
    {
        m_protocol.OnReceive(data, count);
    }
    void OnClosed() override { ++m_portClosed; } // the window posts WM_PORT_CLOSED
    void OnStarted() override { m_protocol.OnPortStarted(); }

    // IRadioProtocolHost, as the window's handlers do it.
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
    void SettingsReceived(const std::uint8_t* frame, std::uint32_t count) override
    {
        std::lock_guard lock(m_mutex);
        Touch();
        const auto& fields = SettingsFields();
        for (std::size_t i = 0; i < kSettingsCount; ++i) {
            const std::uint8_t value = fields[i].offset < count ? frame[fields[i].offset] : 0;
            m_selections[i] = SelectionFromByte(fields[i], value);
        }
    }
    void CollectSettings(std::uint8_t* frame) override
    {
        std::lock_guard lock(m_mutex);
        Touch();
        const auto& fields = SettingsFields();
        for (std::size_t i = 0; i < kSettingsCount; ++i)
            frame[fields[i].offset] = ByteFromSelection(fields[i], m_selections[i]);
    }
    void StepProgress() override
    {
        std::lock_guard lock(m_mutex);
        Touch();
        if (m_progress < CRadioProtocol::kProgressSteps)
            ++m_progress;
    }
    void EndOperation(int result) override
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_result == 0)
                m_result = result;
        }
        m_ended.notify_all();
    }
    int WritePort(const std::uint8_t* data, std::uint32_t count) override
    {
        {
            std::lock_guard lock(m_mutex);
            Touch();
        }
        std::uint32_t written = 0;
        return m_port.Write(data, count, &written); // CErrorSetOutput reaches the engine
    }

private:
    void Touch() { m_lastActivity = Clock::now(); } // under m_mutex

    mutable std::mutex m_mutex;      // guards the rows, selections, progress, result, activity
    std::condition_variable m_ended; // signalled when the dialog's result is set
    std::array<ChannelRecord, kChannelCount> m_rows{};
    std::array<int, kSettingsCount> m_selections{};
    int m_progress = 0;
    int m_result = 0;
    Clock::time_point m_lastActivity{};
    std::atomic<int> m_portClosed{0};
    CRadioProtocol m_protocol{*this};
    CCommPort m_port{this}; // last: closed and joined before the rest goes away
};

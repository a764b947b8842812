#pragma once

#include "link/BlockingProgress.h"
#include "link/PortDiscovery.h"
#include "link/RadioSession.h"
#include "model/RadioImage.h"
#include "model/SettingsMapping.h"

// std
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The serial ports as the window finds them (discovery and VORLEND_SERIAL_PORTS), each once.
[[nodiscard]] std::vector<SerialPortInfo> DiscoverPorts();

// The radio session as the command line sees it: rows and settings selections held as the
// window's grid and combos hold them, the progress run on the calling thread (a bar on the
// terminal's stderr when there is a terminal), and probes whose result is waited for.
//
// Threads: everything from one thread (the command's); the session calls the view from its
// reader and probe threads, which only touch the guarded state.
class CCliRadio final : private IRadioSessionView
{
public:
    explicit CCliRadio(bool showProgress);
    virtual ~CCliRadio();
    CCliRadio(const CCliRadio&) = delete;
    CCliRadio& operator=(const CCliRadio&) = delete;

    // The machine's serial ports and VORLEND_SERIAL_PORTS, as the window finds them, each
    // once; the port list follows (new names added, vanished ones removed).
    std::vector<SerialPortInfo> Discover();
    // Makes `name` the selected port, adding it to the list when discovery did not list it.
    void SelectPort(const std::string& name);
    // One probe pass, waited for: the selected port, or every port with none selected (the
    // first that answers is selected and stays open). True when the radio answered.
    bool Probe(bool anyPort);
    // Why the last probe could not open the selected port; None when it could.
    [[nodiscard]] PortOpenError LastRefusal() const;
    [[nodiscard]] std::string SelectedPortName();

    // A read of the selected port; on success `image` is what the window would save after it.
    OperationOutcome Read(RadioImage& image);
    // A write of the image (as the window holds it once shown) to the selected port.
    OperationOutcome Write(const RadioImage& image);

    // The port's reader ended (a hang-up, an unplug, or a probe that closed the port it got
    // no answer on) since the last call.
    bool TakePortClosed();

private:
    OperationOutcome RunOperation(bool isRead);

    ChannelRecord RowRecord(int row) override;
    void ChannelReceived(int row, const ChannelRecord& record) override;
    void SettingsReceived(const std::uint8_t* frame) override;
    void ProvideSettings(std::uint8_t* frame) override;
    int RunProgress(const ProgressRun& run) override;
    void StepProgress() override { m_progress.Step(); }
    void EndProgress(int result) override { m_progress.End(result); }
    void ShutDownCalls() override { m_progress.End(ResultCode(OperationResult::WindowClosed)); }
    void RadioFound() override { m_found = true; }
    void PortRefused(const std::string& name, PortOpenError error) override;
    void PortClosed() override;

    void DrawBar(int position, int steps);

    const bool m_showProgress;
    mutable std::mutex m_mutex; // guards the rows, the selections, the refusal and the bar title
    std::array<ChannelRecord, kChannelCount> m_rows{};
    SettingsSelections m_selections{};
    PortOpenError m_refusal{};
    std::string m_barTitle;
    std::atomic<bool> m_found{false};
    std::atomic<bool> m_portClosed{false};
    CBlockingProgress m_progress;
    CRadioSession m_session{*this}; // last: shut down and joined before the rest goes away
};

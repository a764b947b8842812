#include "CliRadio.h"

#include "model/CellText.h"

// std
#include <algorithm>
#include <cstdio>

namespace {

// A probe pass ends within a few hundred milliseconds per port (it waits 5 s at most for the
// gate); this only guards against a hung thread.
constexpr std::uint32_t kProbeWaitMs = 60000;
constexpr int kBarWidth = 30;

} // namespace

CCliRadio::CCliRadio(bool showProgress) : m_showProgress(showProgress)
{
    // A fresh window's grid and combos: what a read overwrites and what a file import keeps.
    m_rows = DefaultChannelRecords();
    m_selections = DefaultSelections();
    m_progress.SetOnStep([this](int position, int steps) { DrawBar(position, steps); });
}

std::vector<SerialPortInfo> DiscoverPorts()
{
    std::vector<SerialPortInfo> found;
    EnumerateSerialPortInfos(found);
    // The list holds each name once; discovery may report one twice.
    std::vector<SerialPortInfo> ports;
    for (const SerialPortInfo& info : found) {
        if (std::none_of(ports.begin(), ports.end(),
                         [&](const SerialPortInfo& p) { return p.name == info.name; }))
            ports.push_back(info);
    }
    return ports;
}

CCliRadio::~CCliRadio()
{
    m_session.ShutDown();
}

std::vector<SerialPortInfo> CCliRadio::Discover()
{
    const std::vector<SerialPortInfo> ports = DiscoverPorts();
    for (const std::string& listed : m_session.Ports().Names()) {
        if (std::none_of(ports.begin(), ports.end(),
                         [&](const SerialPortInfo& p) { return p.name == listed; }))
            m_session.PortDeviceChanged(false, listed);
    }
    std::vector<std::string> names;
    for (const SerialPortInfo& info : ports)
        names.push_back(info.name);
    m_session.FillPorts(names);
    return ports;
}

void CCliRadio::SelectPort(const std::string& name)
{
    CPortListMirror& list = m_session.Ports();
    if (list.IndexOf(name) < 0)
        m_session.FillPorts({name});
    list.SelectPort(list.IndexOf(name));
}

bool CCliRadio::Probe(bool anyPort)
{
    if (anyPort)
        m_session.Ports().SelectPort(-1);
    {
        std::lock_guard lock(m_mutex);
        m_refusal = PortOpenError::None;
    }
    m_found = false;
    m_session.StartProbe();
    m_session.Probe().WaitUntilIdle(kProbeWaitMs);
    return m_found;
}

PortOpenError CCliRadio::LastRefusal() const
{
    std::lock_guard lock(m_mutex);
    return m_refusal;
}

std::string CCliRadio::SelectedPortName()
{
    CPortListMirror& list = m_session.Ports();
    return list.PortText(list.SelectedPort());
}

OperationOutcome CCliRadio::Read(RadioImage& image)
{
    const OperationOutcome outcome = RunOperation(true);
    std::lock_guard lock(m_mutex);
    image = GridImage(m_rows, m_selections);
    return outcome;
}

OperationOutcome CCliRadio::Write(const RadioImage& image)
{
    {
        std::lock_guard lock(m_mutex);
        m_rows = image.channels;
        m_selections = SelectionsFromSettings(image.settings.bytes.data());
    }
    return RunOperation(false);
}

bool CCliRadio::TakePortClosed()
{
    return m_portClosed.exchange(false);
}

OperationOutcome CCliRadio::RunOperation(bool isRead)
{
    if (std::optional<OperationOutcome> outcome = m_session.Run(isRead))
        return *outcome;
    OperationOutcome none; // only while shutting down
    none.isRead = isRead;
    none.result = OperationResult::WindowClosed;
    return none;
}

ChannelRecord CCliRadio::RowRecord(int row)
{
    std::lock_guard lock(m_mutex);
    return m_rows.at(static_cast<std::size_t>(row));
}

void CCliRadio::ChannelReceived(int row, const ChannelRecord& record)
{
    std::lock_guard lock(m_mutex);
    m_rows.at(static_cast<std::size_t>(row)) = record;
}

void CCliRadio::SettingsReceived(const std::uint8_t* frame)
{
    std::lock_guard lock(m_mutex);
    m_selections = SelectionsFromSettings(frame);
}

void CCliRadio::ProvideSettings(std::uint8_t* frame)
{
    std::lock_guard lock(m_mutex);
    StoreSelections(m_selections, frame);
}

int CCliRadio::RunProgress(const ProgressRun& run)
{
    {
        std::lock_guard lock(m_mutex);
        m_barTitle = run.title;
    }
    DrawBar(0, run.steps);
    const int result = m_progress.Run(run);
    if (m_showProgress) {
        // The bar goes; what follows is the result.
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    return result;
}

void CCliRadio::PortRefused(const std::string& /*name*/, PortOpenError error)
{
    std::lock_guard lock(m_mutex);
    m_refusal = error;
}

void CCliRadio::PortClosed()
{
    m_portClosed = true;
}

void CCliRadio::DrawBar(int position, int steps)
{
    if (!m_showProgress || steps <= 0)
        return;
    const int filled = kBarWidth * position / steps;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::string title;
    {
        std::lock_guard lock(m_mutex);
        title = m_barTitle;
    }
    std::fprintf(stderr, "\r%s [%s] %d/%d", title.c_str(), bar.c_str(), position, steps);
    std::fflush(stderr);
}

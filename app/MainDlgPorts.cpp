// The port list ("cboCOM"), serial adapters coming and going, the radio probe, and shut-down.
#include "MainDlg.h"

#include "link/PortDiscovery.h"
#include "link/PortList.h"
#include "link/RadioProbe.h"
#include "resources/ProgressDlg.h"
#include "toolkit/ComboUI.h"
#include "toolkit/LabelUI.h"
#ifndef _WIN32
#include "link/UdevMonitor.h"
#endif

// Qt
#include <QThread>

void CMainDlg::FillPortList()
{
    m_portList = std::make_unique<CPortListMirror>();
    // The probe selects entries from its own thread; the combo follows on this thread, and its
    // "itemselect" then starts no probe of its own. Arrivals select on this thread and do.
    m_portList->SetOnSelect([this](int index) {
        if (QThread::currentThread() == thread()) {
            SyncPortCombo();
            if (m_cboCOM != nullptr)
                m_cboCOM->SelectItem(index);
            return;
        }
        m_uiCalls.Post([this, index] {
            SyncPortCombo();
            m_selectingFromProbe = true;
            if (m_cboCOM != nullptr)
                m_cboCOM->SelectItem(index);
            m_selectingFromProbe = false;
        });
    });
    m_probe = std::make_unique<CRadioProbe>(m_port, m_gate, m_protocol.RadioFoundEvent(),
                                            *m_portList, [this] { PostMessage(WM_RADIO_FOUND); });
    // The user chose a port the probe could not open: the port label says why.
    m_probe->SetOnPortRefused([this](const std::string&, PortOpenError error) {
        if (const char* reason = PortOpenReason(error)) {
            m_uiCalls.Post([this, reason] {
                if (m_labPort != nullptr)
                    m_labPort->SetText(QString::fromUtf8(reason));
            });
        }
    });

    std::vector<std::string> names;
    EnumerateSerialPorts(names);
    ::FillPortList(m_gate, *m_portList, names);
    SyncPortCombo();

#ifndef _WIN32
    m_monitor = std::make_unique<CUdevMonitor>();
    // Where udev cannot be watched (some containers) the list simply stays as found.
    m_monitor->Start([this](PortChange change, const SerialPortInfo& port) {
        m_uiCalls.Post([this, arrival = change == PortChange::Arrival, name = port.name] {
            PortDeviceChanged(arrival, name);
        });
    });
#endif
    StartProbe();
}

void CMainDlg::SyncPortCombo()
{
    if (m_cboCOM == nullptr || m_portList == nullptr)
        return;
    const std::vector<std::string> names = m_portList->Names();
    // Both lists are sorted the same way: remove what the mirror lost, insert what it gained.
    for (int i = m_cboCOM->GetCount() - 1; i >= 0; --i) {
        if (m_portList->IndexOf(m_cboCOM->GetItemText(i).toStdString()) < 0)
            m_cboCOM->RemoveAt(i);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QString name = QString::fromStdString(names[i]);
        const int index = static_cast<int>(i);
        if (index >= m_cboCOM->GetCount() || m_cboCOM->GetItemText(index) != name)
            m_cboCOM->InsertItem(index, name);
    }
}

void CMainDlg::OnPortSelected(int index)
{
    if (m_portList != nullptr && m_portList->SelectedPort() != index)
        m_portList->SelectPort(index);
    if (!m_selectingFromProbe)
        StartProbe();
}

void CMainDlg::StartProbe()
{
    if (m_probe != nullptr && !m_shuttingDown)
        m_probe->StartProbe();
}

void CMainDlg::PortDeviceChanged(bool arrival, const std::string& name)
{
    if (m_portList == nullptr || m_shuttingDown)
        return;
    if (arrival)
        HandlePortArrival(m_gate, *m_portList, m_port, name);
    else
        HandlePortRemoval(m_gate, *m_portList, name);
    SyncPortCombo();
}

void CMainDlg::ShutDown()
{
    if (m_shuttingDown.exchange(true))
        return;
    // An operation still running ends with the window: its dialog would otherwise wait for
    // calls that are dropped from now on.
    if (m_progress != nullptr)
        m_progress->EndDialog(RESULT_WINDOW_CLOSED);
    // The engine stops calling this thread, and a reader already waiting for it is let go,
    // before anything is joined: the probe may be joining that very reader in Close.
    m_protocol.DialogEnded();
    m_uiCalls.Shutdown();
#ifndef _WIN32
    if (m_monitor != nullptr)
        m_monitor->Stop();
#endif
    if (m_probe != nullptr)
        m_probe->Stop();
    m_port.Close();
}

// The port list ("cboCOM"), serial adapters coming and going, the radio probe, and shut-down.
#include "MainDlg.h"
#include "PortWatcher.h"

#include "link/PortDiscovery.h"
#include "link/PortList.h"
#include "toolkit/ComboUI.h"

// Qt
#include <QThread>

void CMainDlg::FillPortList()
{
    std::vector<std::string> names;
    EnumerateSerialPorts(names);
    m_session.FillPorts(names);
    SyncPortCombo();

    m_portWatcher = CreatePortWatcher(*this);
    // Where changes cannot be watched (udev in some containers) the list stays as found.
    m_portWatcher->Start([this](PortChange change, const SerialPortInfo& port) {
        m_uiCalls.Post([this, arrival = change == PortChange::Arrival, name = port.name] {
            PortDeviceChanged(arrival, name);
        });
    });
    StartProbe();
}

void CMainDlg::PortSelected(int index)
{
    // The probe selects entries from its own thread; the combo follows on this thread, and its
    // "itemselect" then starts no probe of its own. Arrivals select on this thread and do.
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
}

void CMainDlg::SyncPortCombo()
{
    if (m_cboCOM == nullptr)
        return;
    CPortListMirror& ports = m_session.Ports();
    const std::vector<std::string> names = ports.Names();
    // Both lists are sorted the same way: remove what the mirror lost, insert what it gained.
    for (int i = m_cboCOM->GetCount() - 1; i >= 0; --i) {
        if (ports.IndexOf(m_cboCOM->GetItemText(i).toStdString()) < 0)
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
    if (m_session.Ports().SelectedPort() != index)
        m_session.Ports().SelectPort(index);
    if (!m_selectingFromProbe)
        StartProbe();
}

void CMainDlg::StartProbe()
{
    m_session.StartProbe();
}

void CMainDlg::PortDeviceChanged(bool arrival, const std::string& name)
{
    m_session.PortDeviceChanged(arrival, name);
    if (!m_session.IsShuttingDown())
        SyncPortCombo();
}

void CMainDlg::ShutDown()
{
    // Arrivals stop first, then the session ends an operation under way, lets go of the
    // threads waiting for this one and joins them.
    if (m_portWatcher != nullptr)
        m_portWatcher->Stop();
    m_session.ShutDown();
}

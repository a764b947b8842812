#include "link/CommPort.h"

// std
#include <system_error>

// The platform-independent half of the port: the reader thread's life and the name. The
// device itself is handled by the backend file of the operating system.

CCommPort::CCommPort(ICommPortProcess* receiver) : m_receiver(receiver), m_backend(NewBackend()) {}

CCommPort::~CCommPort()
{
    Close();
    std::lock_guard lock(m_lifecycleMutex);
    JoinReader();
}

bool CCommPort::Open(const std::string& name)
{
    std::lock_guard lock(m_lifecycleMutex);
    if (m_open.load()) {
        if (PortName() == name)
            return true;
        m_stopRequested.store(true);
        WakeReader();
        JoinReader();
    }
    // A reader that ended by itself (hang-up) still has to be joined.
    JoinReader();

    PortOpenError error = PortOpenError::None;
    {
        // Writers on other threads look at the device state under the write lock.
        std::lock_guard writeLock(m_writeMutex);
        error = OpenDevice(name);
    }
    m_lastOpenError.store(error);
    if (error != PortOpenError::None)
        return false;

    m_stopRequested.store(false);
    {
        std::lock_guard nameLock(m_nameMutex);
        m_portName = name;
    }
    // Set before the thread runs so that IsOpen is true as soon as Open returns.
    m_open.store(true);
    try {
        m_reader = std::thread(&CCommPort::ReaderMain, this);
    } catch (const std::system_error&) {
        m_open.store(false);
        {
            std::lock_guard nameLock(m_nameMutex);
            m_portName.clear();
        }
        {
            std::lock_guard writeLock(m_writeMutex);
            CloseDevice();
        }
        m_lastOpenError.store(PortOpenError::Other);
        return false;
    }
    return true;
}

bool CCommPort::Close()
{
    if (std::this_thread::get_id() == m_readerId.load()) {
        // The receiver asked from the reader thread itself: it cannot join itself.
        m_stopRequested.store(true);
        WakeReader();
        return true;
    }
    std::lock_guard lock(m_lifecycleMutex);
    if (m_open.load()) {
        m_stopRequested.store(true);
        WakeReader();
    }
    JoinReader();
    return true;
}

void CCommPort::JoinReader()
{
    if (m_reader.joinable() && std::this_thread::get_id() != m_reader.get_id())
        m_reader.join();
}

std::string CCommPort::PortName() const
{
    std::lock_guard lock(m_nameMutex);
    return m_portName;
}

int CCommPort::Write(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written)
{
    std::lock_guard lock(m_writeMutex);
    std::uint32_t done = 0;
    const int result = WriteDevice(data, count, &done);
    if (written)
        *written = done;
    return result;
}

void CCommPort::OnReceive(const std::uint8_t*, std::uint32_t) {}

void CCommPort::ReaderMain()
{
    m_readerId.store(std::this_thread::get_id());
    m_open.store(true);
    if (m_receiver)
        m_receiver->OnStarted();
    ReaderLoop();
    if (m_receiver)
        m_receiver->OnClosed();
    {
        std::lock_guard nameLock(m_nameMutex);
        m_portName.clear();
    }
    m_stopRequested.store(false);
    // Writers hold the write lock while they use the device; take it so none is inside.
    std::lock_guard writeLock(m_writeMutex);
    m_open.store(false);
    CloseDevice();
    m_readerId.store(std::thread::id());
}

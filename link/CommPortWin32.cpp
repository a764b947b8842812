#include "link/CommPort.h"

// std
#include <algorithm>
#include <array>
#include <mutex>
#include <set>

// system
#include <windows.h>

// The Windows half of CCommPort: overlapped I/O on a COM port. The reader thread sleeps in
// WaitCommEvent until a character arrives or WakeReader sets the wait's event.

namespace {

constexpr DWORD kEventMask = EV_RXCHAR | EV_TXEMPTY;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

bool IsValid(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// COM10 and above open only through the device namespace; it serves COM1 to COM9 as well.
std::wstring DevicePath(const std::string& name)
{
    std::wstring wide;
    if (!name.empty()) {
        const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(),
                                             static_cast<int>(name.size()), nullptr, 0);
        if (size <= 0)
            return {};
        wide.resize(static_cast<std::size_t>(size));
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(),
                            static_cast<int>(name.size()), wide.data(), size);
    }
    if (wide.empty() || wide.find(L'\0') != std::wstring::npos)
        return {};
    if (wide.rfind(LR"(\\.\)", 0) == 0)
        return wide;
    return LR"(\\.\)" + wide;
}

// Device paths open in this process. Windows' serial drivers refuse a second opener, but
// Wine does not, so the exclusive open is also enforced here, across port objects.
class COpenPorts
{
public:
    static bool Claim(const std::wstring& path)
    {
        std::lock_guard lock(Mutex());
        return Paths().insert(Key(path)).second;
    }
    static void Release(const std::wstring& path)
    {
        std::lock_guard lock(Mutex());
        Paths().erase(Key(path));
    }

private:
    static std::wstring Key(std::wstring path)
    {
        CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
        return path;
    }
    static std::mutex& Mutex()
    {
        static std::mutex mutex; // guards Paths()
        return mutex;
    }
    static std::set<std::wstring>& Paths()
    {
        static std::set<std::wstring> paths;
        return paths;
    }
};

PortOpenError OpenErrorFrom(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
    case ERROR_NOT_READY:
        return PortOpenError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return PortOpenError::Busy;
    default:
        return PortOpenError::Other;
    }
}

} // namespace

// Handles and records of the open port. The wake event and the wait record live as long as
// the port object, so a wait still completing after the reader has left cannot touch freed
// memory or a closed handle.
struct CCommPort::Backend
{
    Backend()
    {
        // Auto-reset events, not signalled.
        writeRecord.hEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        wakeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        // Read interval not used; a read of n bytes ends n x 1 ms + 5 ms after it is issued.
        timeouts.ReadIntervalTimeout = 0;
        timeouts.ReadTotalTimeoutMultiplier = 1;
        timeouts.ReadTotalTimeoutConstant = 5;
        timeouts.WriteTotalTimeoutMultiplier = 1;
        timeouts.WriteTotalTimeoutConstant = 5;
    }
    ~Backend()
    {
        if (IsValid(port))
            CloseHandle(port);
        if (!claimedPath.empty())
            COpenPorts::Release(claimedPath);
        if (writeRecord.hEvent)
            CloseHandle(writeRecord.hEvent);
        if (wakeEvent)
            CloseHandle(wakeEvent);
    }
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    HANDLE port = INVALID_HANDLE_VALUE; // 0 after the port was closed
    DCB lineSettings{};
    COMMTIMEOUTS timeouts{};
    OVERLAPPED writeRecord{}; // used under the write lock only
    OVERLAPPED waitRecord{};  // the reader thread's WaitCommEvent; its event is wakeEvent
    DWORD waitEvents = 0;     // the events that wait reports
    HANDLE wakeEvent = nullptr;
    std::wstring claimedPath; // held in COpenPorts while the port is open
};

CCommPort::Backend* CCommPort::NewBackend()
{
    return new Backend;
}

void CCommPort::BackendDeleter::operator()(Backend* backend) const
{
    delete backend;
}

PortOpenError CCommPort::OpenDevice(const std::string& name)
{
    Backend& backend = *m_backend;
    if (!backend.writeRecord.hEvent || !backend.wakeEvent)
        return PortOpenError::Other;

    const std::wstring path = DevicePath(name);
    if (path.empty())
        return PortOpenError::NotFound;
    if (!COpenPorts::Claim(path))
        return PortOpenError::Busy;
    HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (!IsValid(port)) {
        const DWORD error = GetLastError();
        COpenPorts::Release(path);
        return OpenErrorFrom(error);
    }

    // Every configuration step must hold: a port that cannot be set up is not a port (Wine,
    // for one, opens a mapped COM port whose device file is missing, and only fails here).
    const auto fail = [port, &path] {
        CloseHandle(port);
        COpenPorts::Release(path);
        return PortOpenError::Other;
    };
    if (!SetCommMask(port, kEventMask))
        return fail();
    SetupComm(port, kQueueSize, kQueueSize);
    PurgeComm(port, kPurgeAll);
    if (!SetCommTimeouts(port, &backend.timeouts))
        return fail();

    DCB settings{};
    settings.DCBlength = sizeof(settings);
    if (!GetCommState(port, &settings))
        return fail();
    settings.BaudRate = kBaudRate;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    // No flow control: a handshake left on by another program would stall the radio's cable.
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDsrSensitivity = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fDtrControl = DTR_CONTROL_ENABLE;
    settings.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(port, &settings))
        return fail();

    backend.lineSettings = settings;
    // A wake left over from the previous port's Close must not end this port's first wait.
    ResetEvent(backend.wakeEvent);
    backend.port = port;
    backend.claimedPath = path;
    return PortOpenError::None;
}

namespace {

// Bytes in the driver's receive queue; 0 when the line cannot tell.
DWORD QueuedBytes(HANDLE port)
{
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(port, &errors, &status) ? status.cbInQue : 0;
}

} // namespace

void CCommPort::ReaderLoop()
{
    Backend& backend = *m_backend;
    HANDLE port = backend.port;
    SetCommMask(port, kEventMask);

    OVERLAPPED readRecord{};
    readRecord.hEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    OVERLAPPED& waitRecord = backend.waitRecord;
    bool waitPending = false;

    for (;;) {
        std::array<std::uint8_t, kQueueSize> buffer{};

        DWORD events = 0;
        bool waited = true;
        if (!waitPending) {
            backend.waitEvents = 0;
            waitRecord = OVERLAPPED{};
            waitRecord.hEvent = backend.wakeEvent;
            if (WaitCommEvent(port, &backend.waitEvents, &waitRecord))
                events = backend.waitEvents;
            else if (GetLastError() == ERROR_IO_PENDING)
                waitPending = true;
            else
                waited = false;
        }
        if (waitPending) {
            // Wine's wait reports only bytes that arrive after it started; bytes that came
            // while the previous chunk was read or handled would wait for the next arrival.
            // Read them now and keep the wait pending (on Windows this never happens).
            if (!m_stopRequested.load() && QueuedBytes(port) > 0) {
                events = EV_RXCHAR;
            } else {
                // The wake event is both the wait's completion and Close's signal: after
                // each wake, either the wait has completed or the stop was requested.
                while (!m_stopRequested.load() && !HasOverlappedIoCompleted(&waitRecord))
                    WaitForSingleObject(backend.wakeEvent, INFINITE);
                if (HasOverlappedIoCompleted(&waitRecord)) {
                    DWORD unused = 0;
                    waited = GetOverlappedResult(port, &waitRecord, &unused, FALSE) != FALSE;
                    events = backend.waitEvents;
                    waitPending = false;
                }
            }
        }

        if (m_stopRequested.load()) {
            PurgeComm(port, kPurgeAll);
            DWORD errors = 0;
            ClearCommError(port, &errors, nullptr);
            // Clearing the mask completes a pending wait.
            SetCommMask(port, 0);
            break;
        }
        if (!waited)
            break; // removed device, hang-up, broken line
        if (!(events & EV_RXCHAR))
            continue;
        NoteArrival();

        DWORD wanted = m_readChunk.load();
        if (wanted == 0)
            wanted = QueuedBytes(port);
        wanted = std::min<DWORD>(wanted, kQueueSize);

        DWORD received = 0;
        readRecord.Internal = readRecord.InternalHigh = 0;
        readRecord.Offset = readRecord.OffsetHigh = 0;
        bool read = ReadFile(port, buffer.data(), wanted, &received, &readRecord) != FALSE;
        if (!read && GetLastError() == ERROR_IO_PENDING)
            read = GetOverlappedResult(port, &readRecord, &received, TRUE) != FALSE;
        // Wine reports a read whose time-out ran out as ERROR_TIMEOUT where Windows reports
        // success; either way the bytes that did arrive are the delivery.
        if (!read && GetLastError() == ERROR_TIMEOUT) {
            read = true;
            received = static_cast<DWORD>(readRecord.InternalHigh);
        }
        if (read && m_receiver)
            m_receiver->OnReceive(buffer.data(), std::min<DWORD>(received, wanted));
    }

    if (waitPending && !HasOverlappedIoCompleted(&waitRecord)) {
        // Give a cancelled wait a moment to complete into its record. The record and its
        // event live as long as the port object, so a wait that completes later (at the
        // latest when the handle is closed) writes into valid memory; it is not waited for
        // without end.
        CancelIoEx(port, &waitRecord);
        for (int i = 0; i < 10 && !HasOverlappedIoCompleted(&waitRecord); ++i)
            WaitForSingleObject(backend.wakeEvent, 100);
    }
    if (readRecord.hEvent)
        CloseHandle(readRecord.hEvent);
}

void CCommPort::WakeReader()
{
    if (m_backend && m_backend->wakeEvent)
        SetEvent(m_backend->wakeEvent);
}

void CCommPort::CloseDevice()
{
    if (!m_backend)
        return;
    Backend& backend = *m_backend;
    if (IsValid(backend.port)) {
        DWORD errors = 0;
        ClearCommError(backend.port, &errors, nullptr);
        CloseHandle(backend.port);
    }
    backend.port = nullptr;
    if (!backend.claimedPath.empty()) {
        COpenPorts::Release(backend.claimedPath);
        backend.claimedPath.clear();
    }
}

int CCommPort::WriteDevice(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written)
{
    *written = 0;
    if (!m_backend || !IsValid(m_backend->port))
        throw CErrorSetOutput{};
    Backend& backend = *m_backend;

    OVERLAPPED& record = backend.writeRecord;
    record.Internal = record.InternalHigh = 0;
    record.Offset = record.OffsetHigh = 0;
    DWORD sent = 0;
    bool done = WriteFile(backend.port, data, count, &sent, &record) != FALSE;
    if (!done && GetLastError() == ERROR_IO_PENDING)
        done = GetOverlappedResult(backend.port, &record, &sent, TRUE) != FALSE;
    if (done) {
        *written = sent;
        // A write whose time-out ran out completes with fewer bytes: not the whole block.
        return sent == count ? 1 : 0;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_OPERATION_ABORTED || error == ERROR_TIMEOUT) {
        *written = static_cast<std::uint32_t>(record.InternalHigh);
        return 0;
    }
    throw CErrorSetOutput{};
}

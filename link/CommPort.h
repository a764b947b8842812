#pragma once

#include "link/ICommPort.h"
#include "link/ICommPortProcess.h"

// std
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// Raised by `CCommPort::Write` on a device failure (not on a cancellation). Every caller
// catches it: the protocol engine ends the operation, the radio probe treats the port as silent.
class CErrorSetOutput
{};

// One serial port at a time, 9600 baud 8N1, exclusive, with its own reader thread that hands
// every chunk it reads to the receiver given to the constructor.
//
// Threads: Open, Close, Write and the queries may be called from any thread. Open and Close
// are serialised with each other; Write is serialised with other writes. Close joins the
// reader thread, so a receiver must never make the reader thread wait for a thread that may
// be inside Open or Close. Called on the reader thread itself, Close only requests the stop;
// Open must not be called there.
//
// What every operating-system backend provides (one file each: CommPortPosix.cpp,
// CommPortWin32.cpp), through the private functions below:
//  - OpenDevice(name): open the device with exclusive access (a second opener, also from this
//    process, must fail), 9600 baud, 8 data bits, no parity, 1 stop bit, binary/raw, no flow
//    control, 1024-byte queues where the platform has them, both queues purged. Returns
//    PortOpenError::None on success and leaves no handle open on failure.
//  - ReaderLoop(): runs on the reader thread between OnStarted and OnClosed. Sleeps (no
//    polling) until data arrives or WakeReader is called. On data it reads n = ReadChunk()
//    bytes, returning as soon as n bytes have arrived or n x 1 ms + 5 ms after the first byte
//    (n = 0: exactly the bytes queued at that moment, at most 1024), and calls
//    m_receiver->OnReceive with them (a 0-byte delivery is allowed). It calls NoteArrival()
//    as soon as it sees bytes arrive, before collecting the rest of the chunk. Returns when
//    m_stopRequested is set (after WakeReader) or when the device fails or goes away
//    (hang-up, EIO, removal). A failed read is skipped.
//  - WakeReader(): makes a waiting ReaderLoop return promptly; callable from any thread.
//  - CloseDevice(): restores what OpenDevice changed where the platform allows it and releases
//    the device. Called on the reader thread after OnClosed, or by Open when the reader
//    thread cannot be started.
//  - WriteDevice(data, count, written): called under m_writeMutex; writes the whole block,
//    waiting until it is in the driver's queue (at most count x 1 ms + 5 ms beyond the time
//    the driver needs). Returns nonzero on success, 0 on cancellation or time-out, and throws
//    CErrorSetOutput on any other failure (also when the device is not open).
//  - Backend: the struct holding the platform state (handles, saved line settings, ...),
//    created by NewBackend() in the port's constructor and deleted by BackendDeleter when the
//    port is destroyed (after the reader thread has been joined). Anything WakeReader uses
//    must live as long as the Backend, not only while a device is open.
class CCommPort : public ICommPortProcess, public ICommPort
{
public:
    static constexpr std::uint32_t kBaudRate = 9600;
    static constexpr std::uint32_t kQueueSize = 1024;

    explicit CCommPort(ICommPortProcess* receiver);
    // Closes the port and joins its reader thread.
    ~CCommPort() override;
    CCommPort(const CCommPort&) = delete;
    CCommPort& operator=(const CCommPort&) = delete;

    // True when the named port is open afterwards. The same name as the open port keeps it
    // without restarting the reader; another name closes the current port first.
    bool Open(const std::string& name) override;
    // Stops the reader thread, which closes the device. True when the thread has ended or no
    // port was open.
    bool Close() override;
    int Write(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written) override;
    [[nodiscard]] bool IsOpen() const override { return m_open.load(); }
    [[nodiscard]] std::string PortName() const override;
    void SetReadChunk(std::uint32_t bytes) override { m_readChunk.store(bytes); }
    [[nodiscard]] std::uint32_t ReadChunk() const override { return m_readChunk.load(); }
    [[nodiscard]] PortOpenError LastOpenError() const override { return m_lastOpenError.load(); }
    [[nodiscard]] std::uint32_t ReceiveActivity() const override
    {
        return m_receiveActivity.load();
    }

    // The port is an ICommPortProcess by heritage; it never calls these on itself.
    void OnReceive(const std::uint8_t* data, std::uint32_t count) override;

private:
    struct Backend;
    struct BackendDeleter
    {
        void operator()(Backend* backend) const;
    };

    static Backend* NewBackend();
    void ReaderMain();
    void JoinReader();
    PortOpenError OpenDevice(const std::string& name);
    void ReaderLoop();
    void WakeReader();
    void CloseDevice();
    void NoteArrival() { m_receiveActivity.fetch_add(1); }
    int WriteDevice(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written);

    ICommPortProcess* m_receiver; // not owned
    std::unique_ptr<Backend, BackendDeleter> m_backend;
    std::mutex m_lifecycleMutex;    // serialises Open and Close (and the thread handle)
    std::mutex m_writeMutex;        // one write in flight
    mutable std::mutex m_nameMutex; // guards m_portName
    std::string m_portName;
    std::thread m_reader;                      // started and joined under m_lifecycleMutex
    std::atomic<std::thread::id> m_readerId{}; // the running reader, for Close on its own thread
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<std::uint32_t> m_readChunk{0};
    std::atomic<PortOpenError> m_lastOpenError{PortOpenError::None};
    std::atomic<std::uint32_t> m_receiveActivity{0};
};

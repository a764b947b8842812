#pragma once

// std
#include <cstdint>
#include <string>

// Why the last `Open` failed, so the window can tell the user.
enum class PortOpenError
{
    None,             // the last Open succeeded (or none was tried)
    NotFound,         // no such device (ENOENT, ENODEV, ENXIO; ERROR_FILE_NOT_FOUND)
    Busy,             // another program holds it (EBUSY, lock taken, a console or login line;
                      // ERROR_ACCESS_DENIED on COM)
    PermissionDenied, // EACCES, EPERM
    Other             // configuration failed, no reader thread, ...
};

// What the radio probe and the window need of a serial port. `CCommPort` is the real one;
// tests provide an in-memory one that passes the same contract suite.
class ICommPort
{
public:
    virtual ~ICommPort() = default;

    virtual bool Open(const std::string& name) = 0;
    virtual bool Close() = 0;
    // Nonzero when all `count` bytes were handed to the driver; 0 when the write was cancelled
    // (the port was closed under it or the line did not drain in time). Throws
    // `CErrorSetOutput` on a device failure, including a write to a port that is not open.
    virtual int Write(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written) = 0;
    [[nodiscard]] virtual bool IsOpen() const = 0;
    // A copy of the open port's name; empty when no port is open.
    [[nodiscard]] virtual std::string PortName() const = 0;
    // Bytes per delivery from the next arrival of data on; 0 = everything queued.
    virtual void SetReadChunk(std::uint32_t bytes) = 0;
    [[nodiscard]] virtual std::uint32_t ReadChunk() const = 0;
    // Why the last Open failed (None after a successful one).
    [[nodiscard]] virtual PortOpenError LastOpenError() const = 0;
    // Grows each time the reader sees bytes arrive, before it delivers them (a delivery comes
    // up to a read window later), so a waiter can tell that an answer is on its way.
    [[nodiscard]] virtual std::uint32_t ReceiveActivity() const = 0;
};

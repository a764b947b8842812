#pragma once

// std
#include <cstdint>
#include <string>

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
};

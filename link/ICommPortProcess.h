#pragma once

// std
#include <cstdint>

// Receiver of a serial port: the port's reader thread calls these for every chunk it reads
// and when it starts and ends. All three run on that reader thread.
class ICommPortProcess
{
public:
    // Called for every chunk read; `data` is valid only during the call. `count` may be 0.
    virtual void OnReceive(const std::uint8_t* data, std::uint32_t count) = 0;
    // Called exactly once per reader thread, as it ends (Close, hang-up, device removed).
    virtual void OnClosed() {}
    // Called once per reader thread, as it starts, before the first OnReceive.
    virtual void OnStarted() {}

protected:
    // The port never owns its receiver, so nothing is destroyed through this interface.
    ~ICommPortProcess() = default;
};

#pragma once

#include "tools/simradio/SimAdapter.h"
#include "tools/simradio/SimRadioCore.h"

// std
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The simulated radio on a pseudo-terminal: the program opens SlavePath() exactly as it opens
// a real serial port. Runs its own thread; answers are paced like a 9600-baud line.
//
// Threads: every public function is safe from any thread; the callbacks run on the radio's
// thread.
class CSimRadio
{
public:
    // 10 bits per byte at 9600 baud.
    static constexpr std::chrono::microseconds kByteTime9600{1042};

    explicit CSimRadio(const RadioImage& image = CSimRadioCore::DefaultImage());
    ~CSimRadio();
    CSimRadio(const CSimRadio&) = delete;
    CSimRadio& operator=(const CSimRadio&) = delete;

    // Creates the pseudo-terminal and starts answering. False when no pseudo-terminal could be
    // made (Error() says why).
    bool Start();
    // Stops answering and releases the pseudo-terminal. Idempotent.
    void Stop();
    // Closes the line as if the cable were pulled: the program's port sees a hang-up.
    void HangUp();

    [[nodiscard]] std::string SlavePath() const { return m_slavePath; }
    [[nodiscard]] std::string Error() const { return m_error; }
    [[nodiscard]] bool IsHungUp() const { return m_hungUp.load(); }

    void SetFault(const SimFault& fault);
    // The USB-serial adapter the answers pass through (direct unless set). What the radio
    // receives and when it sends are the same with every adapter.
    void SetAdapter(const SimAdapter& adapter);
    // Time per byte sent; zero sends each answer in one piece.
    void SetByteTime(std::chrono::microseconds byteTime) { m_byteTime.store(byteTime); }
    void SetImage(const RadioImage& image);
    [[nodiscard]] RadioImage Image() const;
    // Called on the radio's thread after each accepted settings frame (a write is complete).
    void SetOnWriteComplete(std::function<void()> callback);

    // A copy of the radio's protocol side with everything it has seen.
    [[nodiscard]] CSimRadioCore Core() const;
    // Bytes sent and received over the line so far.
    [[nodiscard]] std::size_t BytesIn() const { return m_bytesIn.load(); }
    [[nodiscard]] std::size_t BytesOut() const { return m_bytesOut.load(); }

private:
    void Run();
    // Sends one answer through the adapter; false when Stop or HangUp cut it short.
    bool Send(const SimOutput& answer);
    // Waits until `deadline`; false as soon as Stop or HangUp is requested.
    bool Pause(std::chrono::steady_clock::time_point deadline) const;
    bool WriteAll(const std::uint8_t* data, std::size_t count);
    void CloseLine();

    mutable std::mutex m_mutex; // guards m_core, m_line, m_lineOrigin and m_onWriteComplete
    CSimRadioCore m_core;
    CSimAdapterLine m_line;
    std::chrono::steady_clock::time_point m_lineOrigin = std::chrono::steady_clock::now();
    std::function<void()> m_onWriteComplete;
    std::string m_slavePath;
    std::string m_error;
    int m_masterFd = -1; // the radio's end of the line; owned by the radio's thread once started
    int m_slaveFd = -1;  // kept open so that the program may open and close the port at will
    int m_stopFd = -1;   // eventfd that ends Run
    int m_hangupFd = -1; // eventfd asking Run to hang up
    std::thread m_thread;
    std::atomic<bool> m_hungUp{false};
    std::atomic<std::chrono::microseconds> m_byteTime{kByteTime9600};
    std::atomic<std::size_t> m_bytesIn{0};
    std::atomic<std::size_t> m_bytesOut{0};
};

// Reads and writes ".kt" files for the simulated radio. False (with a reason) on failure.
bool LoadKtImage(const std::string& path, RadioImage& image, std::string& error);
bool SaveKtImage(const std::string& path, const RadioImage& image, std::string& error);

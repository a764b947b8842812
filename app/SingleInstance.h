#pragma once

// Qt
#include <QString>

// std
#include <functional>
#include <memory>

// One copy of the program per user. The first copy becomes primary; a later copy brings the
// first one's window to the front and ends. How the copies find each other is the platform's
// (CMake builds SingleInstanceMutex.cpp on Windows: a named mutex and the window's title;
// SingleInstanceLocal.cpp elsewhere: a lock file and a local socket).
class CSingleInstance
{
public:
    // `key` names the instance ("VORLEND RADIO SOFTWARE VER2.0"); `windowTitle` is the main
    // window's, by which a later copy may find it.
    CSingleInstance(const QString& key, const QString& windowTitle);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // True when this process is the first copy. Otherwise the first copy (if it is reachable)
    // has been asked to show its window, and the caller should end with exit code 0.
    [[nodiscard]] bool TryBecomePrimary();

    // Called in the first copy when a later copy asks it to show its window, where the
    // platform leaves that to the first copy.
    void SetActivationHandler(std::function<void()> handler);

private:
    class CImpl;
    std::unique_ptr<CImpl> m_impl;
};

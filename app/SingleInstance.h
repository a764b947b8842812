#pragma once

// Qt
#include <QLockFile>
#include <QObject>
#include <QString>

// std
#include <functional>
#include <memory>

class QLocalServer;

// One copy of the program per user: the first copy holds a lock and listens on a local socket;
// a later copy asks it to come to the front and then ends.
class CSingleInstance : public QObject
{
    Q_OBJECT

public:
    // `key` names the instance ("VORLEND RADIO SOFTWARE VER2.0").
    explicit CSingleInstance(const QString& key, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // True when this process is the first copy. Otherwise the first copy (if it is reachable)
    // has been asked to show its window, and the caller should end.
    [[nodiscard]] bool TryBecomePrimary();

    // Called in the first copy when a later copy starts.
    void SetActivationHandler(std::function<void()> handler) { m_onActivate = std::move(handler); }

private:
    void OnNewConnection();

    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    std::function<void()> m_onActivate;
};

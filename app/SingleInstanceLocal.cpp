// One copy per user through a lock file and a local socket: the first copy holds the lock and
// listens; a later copy connects, asks it to show its window and ends.
#include "SingleInstance.h"

// Qt
#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

// system
#include <unistd.h>

namespace {

// Socket and lock names may not hold blanks or dots everywhere; a hash of the key and the user
// keeps them short, valid and per user.
QString InstanceName(const QString& key)
{
    const QByteArray id =
        key.toUtf8() + '/' + QByteArray::number(static_cast<qulonglong>(getuid()));
    return QStringLiteral("vorlend-") +
           QString::fromLatin1(
               QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(16));
}

constexpr int kConnectTimeoutMs = 1000;

} // namespace

class CSingleInstance::CImpl
{
public:
    explicit CImpl(const QString& key) : m_serverName(InstanceName(key)) {}

    bool TryBecomePrimary()
    {
        m_lock = std::make_unique<QLockFile>(
            QDir::temp().filePath(m_serverName + QStringLiteral(".lock")));
        // A lock left by a crashed copy is detected as stale and taken over.
        if (!m_lock->tryLock(0)) {
            QLocalSocket socket;
            socket.connectToServer(m_serverName);
            if (socket.waitForConnected(kConnectTimeoutMs)) {
                socket.write("show\n");
                socket.waitForBytesWritten(kConnectTimeoutMs);
                socket.disconnectFromServer();
            }
            return false;
        }
        QLocalServer::removeServer(m_serverName);
        m_server = std::make_unique<QLocalServer>();
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(),
                         [this] { OnNewConnection(); });
        m_server->listen(m_serverName);
        return true;
    }

    std::function<void()> onActivate;

private:
    void OnNewConnection()
    {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (onActivate)
                onActivate();
        }
    }

    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

CSingleInstance::CSingleInstance(const QString& key, const QString& /*windowTitle*/)
    : m_impl(std::make_unique<CImpl>(key))
{}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::TryBecomePrimary()
{
    return m_impl->TryBecomePrimary();
}

void CSingleInstance::SetActivationHandler(std::function<void()> handler)
{
    m_impl->onActivate = std::move(handler);
}

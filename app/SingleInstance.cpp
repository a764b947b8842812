#include "SingleInstance.h"

// Qt
#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

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

CSingleInstance::CSingleInstance(const QString& key, QObject* parent)
    : QObject(parent), m_serverName(InstanceName(key))
{}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::TryBecomePrimary()
{
    m_lock =
        std::make_unique<QLockFile>(QDir::temp().filePath(m_serverName + QStringLiteral(".lock")));
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
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    m_server->listen(m_serverName);
    return true;
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (m_onActivate)
            m_onActivate();
    }
}

#include "app/main_window/just_one.h"

#include <QLocalServer>
#include <QLocalSocket>

#include "settings/instance_lock.h"

namespace px {

namespace {

// parvex-settings finds the lock under the same name without Qt.
QString instanceKey(const QString& programFolder) {
    return QString::fromStdString(instanceName(programFolder.toStdString()));
}

}  // namespace

TPreviousInstance::TPreviousInstance(const QString& programFolder)
    : serverName_(instanceKey(programFolder)),
      lockPath_(QString::fromStdString(instanceLockPath(programFolder.toStdString()))) {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock left by a crashed instance is taken over (QLockFile checks the PID).
    lock_->setStaleLockTime(0);
    anotherRuns_ = !lock_->tryLock(0);
    if (anotherRuns_ && lock_->error() == QLockFile::UnknownError) {
        // The lock folder is unusable; running without the guard beats not running.
        anotherRuns_ = false;
    }
}

QString TPreviousInstance::serverNameFor(const QString& programFolder) {
    return instanceKey(programFolder);
}

TJustOne::TJustOne(const TPreviousInstance& instance, QObject* parent)
    : QObject(parent), instance_(instance) {}

TJustOne::~TJustOne() = default;

bool TJustOne::activatePrevious(int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(instance_.serverName());
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(kActivateRequest);
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return written;
}

bool TJustOne::listen() {
    if (server_ != nullptr) {
        return server_->isListening();
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket of that name is left over from a crash.
    QLocalServer::removeServer(instance_.serverName());
    if (!server_->listen(instance_.serverName())) {
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith("activate")) {
                    emit activationRequested();
                }
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

}  // namespace px

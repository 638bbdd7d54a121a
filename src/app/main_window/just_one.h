// One running instance per installation and user. TPreviousInstance takes a
// per-user lock file named after the program folder when the process starts;
// when the lock is held by a live process, another instance runs. TJustOne,
// owned by the main window, then asks that instance over a local socket to
// bring its window to the front, and the second process ends; the first
// instance listens on that socket for such requests.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace px {

class TPreviousInstance {
public:
    explicit TPreviousInstance(const QString& programFolder);
    // The local socket name of the instance running for a program folder.
    static QString serverNameFor(const QString& programFolder);

    bool anotherRuns() const { return anotherRuns_; }
    // The local socket name of this installation's running instance.
    const QString& serverName() const { return serverName_; }
    const QString& lockPath() const { return lockPath_; }

private:
    QString serverName_;
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    bool anotherRuns_ = false;
};

class TJustOne : public QObject {
    Q_OBJECT

public:
    explicit TJustOne(const TPreviousInstance& instance, QObject* parent = nullptr);
    ~TJustOne() override;

    // Second instance: asks the first to come to the front. Returns whether it answered.
    bool activatePrevious(int timeoutMs = 2000) const;
    // First instance: listens for later starts. Returns whether listening works.
    bool listen();

signals:
    void activationRequested();

private:
    const TPreviousInstance& instance_;
    QLocalServer* server_ = nullptr;
};

// The message a second start sends.
inline constexpr char kActivateRequest[] = "activate\n";

}  // namespace px

#pragma once
// One running instance per program file. The registration is a local socket in the abstract
// namespace (nothing is left behind by a crash), named from the program's path ignoring case,
// the user and the display, so other users and other displays never see each other.
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace platform {

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit TSingleInstance(QObject *parent = nullptr);
    ~TSingleInstance() override;

    // True when this process is the first: it then listens for later starts. False when another
    // instance answered: it has been asked to come forward, and this process should end.
    bool Claim(const QString &programFile);
    static QString KeyFor(const QString &programFile);

Q_SIGNALS:
    // A later start asked this instance to restore and raise its main window.
    void RaiseRequested();

private:
    bool AskRunningToRaise(const QString &key, int timeoutMs);
    bool Listen(const QString &key);
    int FListener = -1;
    QSocketNotifier *FNotifier = nullptr;
};

} // namespace platform

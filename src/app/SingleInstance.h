#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One running instance per product and user. The first start claims a lock
// named "ZYK" + product name + "NQ2013" in the user's runtime folder and
// listens on a local socket of the same name; a later start hands its
// command line over to it and ends:
//
//   TSingleInstance instance(info.ProductName());
//   if (!instance.Claim()) {
//       instance.HandOver(TSingleInstance::HandOverText(app.arguments().mid(1)));
//       return 0;
//   }
//   connect(&instance, &TSingleInstance::HandOverReceived, mainWindow, ...);
//
// The two editions have different names and run side by side.
class TSingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit TSingleInstance(const QString &productName, QObject *parent = nullptr);
    ~TSingleInstance() override;

    static QString MutexName(const QString &productName);
    // A blank before each argument: {"a", "b"} gives " a b", {} gives "".
    static QString HandOverText(const QStringList &arguments);

    // True when no other instance of the product runs; this one then holds
    // the lock until it ends and receives hand-overs.
    bool Claim();
    bool IsFirst() const { return m_server != nullptr; }

    // Sends the text to the running instance and waits until it has been
    // handled. False when no instance answers within timeoutMs (the caller
    // then just ends).
    bool HandOver(const QString &text, int timeoutMs = 5000) const;

signals:
    // A later start's hand-over text, trimmed; empty when it had no arguments.
    void HandOverReceived(const QString &text);

private:
    void Accept();
    void Receive(QLocalSocket *socket);

    QString m_path; // runtime folder + mutex name
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

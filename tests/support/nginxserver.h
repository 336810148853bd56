#ifndef NGINXSERVER_H
#define NGINXSERVER_H

#include <QProcess>
#include <QString>

// A private nginx on a loopback port, for tests that need a real web
// server. Its configuration, pid file and logs live in a directory of its
// own. Other tests run beside it and take ports of their own, so a port
// found free may be gone when nginx binds it: start() then tries another.
// It waits for nginx itself to be ready, never for a fixed time.
class NginxServer
{
public:
    // root: an empty directory for nginx's own files.
    explicit NginxServer(const QString &root);
    ~NginxServer();
    NginxServer(const NginxServer &) = delete;
    NginxServer &operator=(const NginxServer &) = delete;

    // Starts nginx with httpBlock, an "http { ... }" block in which ROOT
    // stands for the root directory and PORT for the port to listen on, and
    // returns once it accepts connections. False when it did not come up
    // within timeoutMs; failure() then says why.
    bool start(const QString &httpBlock, int timeoutMs = 60000);
    void stop();

    quint16 port() const { return m_port; }
    QString failure() const { return m_failure; }

private:
    enum class Attempt { Ready, PortTaken, Failed };
    Attempt attempt(const QString &program, const QString &httpBlock, quint16 port, qint64 remainingMs);
    QString errorLog() const;

    QString m_root;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_failure;
};

#endif // NGINXSERVER_H

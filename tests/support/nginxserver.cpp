#include "nginxserver.h"
#include "testfiles.h"
#include "windowfixture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTest>

namespace {
const QString Config = QStringLiteral("/nginx.conf");
const QString PidFile = QStringLiteral("/nginx.pid");
const QString ErrorLog = QStringLiteral("/error.log");
// Each try takes a port just found free; only a race with another test can
// take it away again, so a few tries are plenty.
constexpr int MaxAttempts = 8;
} // namespace

NginxServer::NginxServer(const QString &root) : m_root(root)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

NginxServer::~NginxServer()
{
    stop();
}

bool NginxServer::start(const QString &httpBlock, int timeoutMs)
{
    m_port = 0;
    m_failure.clear();
    const QString program = QStandardPaths::findExecutable(QStringLiteral("nginx"),
                                                           {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    if (program.isEmpty()) {
        m_failure = QStringLiteral("nginx is missing: scripts/setup.sh installs it");
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    for (int i = 0; i < MaxAttempts && !deadline.hasExpired(); ++i) {
        const quint16 port = WindowFixture::freeTcpPort();
        switch (attempt(program, httpBlock, port, deadline.remainingTime())) {
        case Attempt::Ready:
            m_port = port;
            return true;
        case Attempt::PortTaken:
            continue;
        case Attempt::Failed:
            return false;
        }
    }
    m_failure = QStringLiteral("no port tried stayed free until nginx bound it:\n") + errorLog();
    return false;
}

NginxServer::Attempt NginxServer::attempt(const QString &program, const QString &httpBlock, quint16 port,
                                          qint64 remainingMs)
{
    // Run by root, nginx gives its temporary folders to the user named here
    // (by default nobody, whom the namespace of a run that is not root's
    // cannot map, so that nginx would not start there).
    QString config = QStringLiteral("user root; daemon off; master_process off; pid ROOT%1; error_log ROOT%2; events {}\n")
                         .arg(PidFile, ErrorLog)
                     + httpBlock;
    config.replace(QLatin1String("ROOT"), m_root).replace(QLatin1String("PORT"), QString::number(port));
    // nginx takes the paths in it byte for byte, as the disk names them.
    // A pid file or log left by an earlier try must not be taken for this one's.
    QFile::remove(m_root + PidFile);
    if (!TestFiles::write(m_root + Config, QFile::encodeName(config)) || !TestFiles::write(m_root + ErrorLog, QByteArray())) {
        m_failure = QStringLiteral("cannot write nginx's configuration in ") + m_root;
        return Attempt::Failed;
    }

    m_process.start(program, {QStringLiteral("-p"), m_root, QStringLiteral("-e"), m_root + ErrorLog,
                              QStringLiteral("-c"), m_root + Config});
    const QDeadlineTimer deadline(remainingMs);
    if (!m_process.waitForStarted(int(qBound(qint64(1), remainingMs, qint64(60000))))) {
        m_failure = QStringLiteral("nginx did not start: ") + m_process.errorString();
        return Attempt::Failed;
    }
    // nginx writes its pid file only once it listens on every port: this
    // try's pid there means this nginx holds the port, and a connection
    // shows that it takes requests.
    const QByteArray pid = QByteArray::number(m_process.processId());
    bool ready = false;
    while (!ready && m_process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        if (QFile pidFile(m_root + PidFile); pidFile.open(QIODevice::ReadOnly) && pidFile.readAll().trimmed() == pid) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            ready = probe.waitForConnected(int(qBound(qint64(1), deadline.remainingTime(), qint64(5000))));
        }
        if (!ready)
            m_process.waitForFinished(20);
    }
    if (ready)
        return Attempt::Ready;

    const bool exited = m_process.state() == QProcess::NotRunning;
    const QString output = QString::fromLocal8Bit(m_process.readAll());
    stop();
    const QString log = errorLog();
    if (exited && (log + output).contains(QLatin1String("Address already in use")))
        return Attempt::PortTaken;
    m_failure = (exited ? QStringLiteral("nginx ended before it was ready:\n")
                        : QStringLiteral("nginx was not ready in time:\n"))
                + output + log;
    return Attempt::Failed;
}

void NginxServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000))
        m_process.kill();
    m_process.waitForFinished(10000);
}

QString NginxServer::errorLog() const
{
    return QString::fromLocal8Bit(TestFiles::read(m_root + ErrorLog));
}

#ifndef TRANSFERQUEUE_H
#define TRANSFERQUEUE_H

#include <QByteArray>
#include <QObject>
#include <QQueue>
#include <QString>
#include <functional>

class FileClient;
class SimDevice;

// A device's file transfers, one after the other. The console keeps one open
// transfer per device and refuses a second with "already open", so an agent
// that has several files to move queues them here.
class TransferQueue : public QObject
{
    Q_OBJECT
public:
    // ok: the transfer went through; data: the downloaded bytes.
    using Done = std::function<void(bool ok, const QByteArray &data)>;

    explicit TransferQueue(SimDevice *device, QObject *parent = nullptr);

    void download(const QString &path, quint8 subCode, Done done);
    void upload(const QString &name, const QByteArray &data, Done done);

    bool isIdle() const { return !m_running && m_jobs.isEmpty(); }

signals:
    // Every queued transfer has ended (the last one's Done has run).
    void idle();

private:
    struct Job
    {
        bool upload = false;
        QString path;
        quint8 subCode = 0;
        QByteArray data;
        Done done;
    };
    void enqueue(Job job);
    void startNext();
    void onFinished(bool ok);

    FileClient *m_client;
    QQueue<Job> m_jobs;
    Job m_current;
    bool m_running = false;
};

#endif // TRANSFERQUEUE_H

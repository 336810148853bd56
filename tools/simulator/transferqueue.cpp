#include "transferqueue.h"
#include "fileclient.h"

#include <QTimer>

TransferQueue::TransferQueue(SimDevice *device, QObject *parent)
    : QObject(parent), m_client(new FileClient(device, this))
{
    // Queued: the client reports from inside its frame handler, and the next
    // request must not start before that handler is done with the last one.
    connect(m_client, &FileClient::finished, this, &TransferQueue::onFinished, Qt::QueuedConnection);
}

void TransferQueue::download(const QString &path, quint8 subCode, Done done)
{
    Job job;
    job.path = path;
    job.subCode = subCode;
    job.done = std::move(done);
    enqueue(std::move(job));
}

void TransferQueue::upload(const QString &name, const QByteArray &data, Done done)
{
    Job job;
    job.upload = true;
    job.path = name;
    job.data = data;
    job.done = std::move(done);
    enqueue(std::move(job));
}

void TransferQueue::enqueue(Job job)
{
    m_jobs.enqueue(std::move(job));
    if (!m_running)
        startNext();
}

void TransferQueue::startNext()
{
    if (m_jobs.isEmpty()) {
        emit idle();
        return;
    }
    m_running = true;
    m_current = m_jobs.dequeue();
    if (m_current.upload)
        m_client->upload(m_current.path, m_current.data);
    else
        m_client->download(m_current.path, m_current.subCode);
}

void TransferQueue::onFinished(bool ok)
{
    if (!m_running)
        return;
    const Job job = std::move(m_current);
    m_current = Job();
    if (job.done)
        job.done(ok, job.upload ? QByteArray() : m_client->data());
    // Done may have queued more; they run after it, in order.
    m_running = false;
    startNext();
}

#include "diskwork.h"

#include <QThread>

void DiskWork::start(QObject *owner, std::function<void()> work, std::function<void()> done)
{
    m_thread = QThread::create(std::move(work));
    // Queued: the thread ends off the event loop's thread.
    QObject::connect(
        m_thread, &QThread::finished, owner,
        [this, done = std::move(done)] {
            if (!m_thread)
                return;
            wait();
            done();
        },
        Qt::QueuedConnection);
    m_thread->start();
}

void DiskWork::wait()
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

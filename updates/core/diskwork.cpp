#include "diskwork.h"

#include <QThread>

void DiskWork::start(QObject *owner, std::function<void()> work, std::function<void()> done)
{
    const auto ended = [this, done = std::move(done)] {
        if (!m_thread)
            return;
        wait();
        done();
    };
    m_thread = QThread::create(work);
    // Queued: the thread ends off the event loop's thread.
    QObject::connect(m_thread, &QThread::finished, owner, ended, Qt::QueuedConnection);
    m_thread->start();
    // A user at the process limit, which counts threads, or a console out of
    // address space for a stack gets no thread, and nothing would ever end
    // the work: it is done here instead, holding the window while it lasts,
    // and done follows from the event loop all the same.
    if (!m_thread->isRunning() && !m_thread->isFinished()) {
        work();
        QMetaObject::invokeMethod(owner, ended, Qt::QueuedConnection);
    }
}

void DiskWork::wait()
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

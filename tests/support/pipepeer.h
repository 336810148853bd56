#ifndef PIPEPEER_H
#define PIPEPEER_H

#include <QAtomicInt>
#include <QByteArray>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <functional>
#include <thread>
#include <unistd.h>

// Runs call on a thread of its own and tells whether it returned on its own
// within ten seconds. Either way the test goes on: a call that opened the
// named pipe at fifo and waits there for its other end is let go, a reader
// by writers that come and go, a writer by a reader kept open until the
// call is done.
inline bool returnsUnaided(const QByteArray &fifo, const std::function<void()> &call)
{
    QAtomicInt done;
    std::thread thread([&] {
        call();
        done.storeRelease(1);
    });
    const bool returned = QTest::qWaitFor([&] { return done.loadAcquire() == 1; }, 10000);
    const int reader = returned ? -1 : ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    while (done.loadAcquire() == 0) {
        const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        QThread::msleep(10);
    }
    thread.join();
    if (reader >= 0)
        ::close(reader);
    return returned;
}

#endif // PIPEPEER_H

#ifndef DISKWORK_H
#define DISKWORK_H

#include <functional>

class QObject;
class QThread;

// Disk work that can take long on a slow disk (bytes forced to it, files
// moved into a store), run off the event loop's thread so that the window
// and every device go on meanwhile. One at a time per owner.
class DiskWork
{
public:
    ~DiskWork() { wait(); }

    // Runs work on a thread of its own (on the caller's, when the system
    // gives none); done follows on owner's thread once work has ended, when
    // what work wrote may be read. An owner deleted meanwhile hears nothing.
    void start(QObject *owner, std::function<void()> work, std::function<void()> done);
    // For the owner's end, before it undoes what the work relies on: returns
    // once the work has ended, and done is not called.
    void wait();

private:
    QThread *m_thread = nullptr;
};

#endif // DISKWORK_H

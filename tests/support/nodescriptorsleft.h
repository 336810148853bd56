#ifndef NODESCRIPTORSLEFT_H
#define NODESCRIPTORSLEFT_H

#include <QList>

#include <cerrno>

#include <sys/resource.h>

// While one lives, the process has no file descriptor left: the limit is
// lowered to at most 512 and every free descriptor below it is held. give()
// hands them back and restores the limit, as the destructor does.
class NoDescriptorsLeft
{
public:
    NoDescriptorsLeft();
    ~NoDescriptorsLeft();
    NoDescriptorsLeft(const NoDescriptorsLeft &) = delete;
    NoDescriptorsLeft &operator=(const NoDescriptorsLeft &) = delete;

    // Whether the last open failed for want of descriptors, as it should.
    bool exhausted() const { return m_why == EMFILE; }
    void give();

private:
    rlimit m_old{};
    bool m_lowered = false;
    QList<int> m_held;
    int m_why = 0;
};

#endif // NODESCRIPTORSLEFT_H

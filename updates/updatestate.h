#ifndef UPDATESTATE_H
#define UPDATESTATE_H

#include <memory>

class DownloadManager;

// What the update feature keeps for the main window, which owns one.
class UpdateState
{
public:
    UpdateState();
    ~UpdateState();

    // The one download manager, created at start-up.
    std::unique_ptr<DownloadManager> downloadManager;
};

#endif // UPDATESTATE_H

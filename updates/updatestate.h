#ifndef UPDATESTATE_H
#define UPDATESTATE_H

#include "core/upgradefile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class DeptInfo;
class DownloadManager;
namespace PackageInstaller {
class Unpack;
struct Member;
} // namespace PackageInstaller

// What the update check keeps for the main window, which owns one.
class UpdateState
{
public:
    UpdateState();
    ~UpdateState();

    // The one download manager, created at start-up.
    std::unique_ptr<DownloadManager> downloadManager;
    // Where this check's list is fetched to and read from: the preferences
    // may move the temporary directory while it comes.
    QString listPath;
    // The files still to fetch; the head is the one being downloaded.
    QList<UpgradeFile> updateQueue;
    // Where the update list is always fetched from: the built-in address, or
    // KORVANE_UPDATE_BASE when set at start-up.
    QString listBase;
    // A check runs, from its list request to its end: another check, or the
    // Download action, would empty the queue under a live download.
    bool running = false;
    // The wizard asked for a check and waits for its end; another check
    // ending meanwhile (the hourly one) must not move the wizard on.
    bool wizardWaits = false;
    // The wizard asked for a check that has not started yet: the check it
    // found under way fetched for no chosen devices, so its own follows.
    bool wizardAsked = false;
    // The department shown when the administrator confirmed the wizard's
    // pick: its ticked devices get the later steps, whichever department is
    // shown by then. Null once that department is deleted.
    DeptInfo *wizardDepartment = nullptr;
    bool wizardPicked = false;
    // The package being unpacked, and its record: the run goes on when it
    // has ended and its box has been answered.
    std::unique_ptr<PackageInstaller::Unpack> install;
    UpgradeFile installing;
    const PackageInstaller::Member *installMember = nullptr;
    // Errors of the transfer under way, shown in order when its completion
    // is handled: the run goes on only once each box has been answered.
    QStringList pendingErrors;
    // The downloaded console installer's MD5 as it arrived: it waits in the
    // temporary directory, where devices upload files, until the window
    // closes.
    QString installerMd5;
};

#endif // UPDATESTATE_H

#ifndef UPGRADEFILE_H
#define UPGRADEFILE_H

#include <QString>

// One file of the update list (or a local hotfix picked for installation).
// Kinds: "download", "hotfix", "firmware", "zor_client", "zor_server_exe",
// in any letter case as the list writes them.
struct UpgradeFile {
    QString kind;
    QString board;        // model key suffix, e.g. "ORL_K1"; free text for kinds without a board
    QString fileName;     // on the server, and of the local file; a plain file name
    QString localPath;    // the kind's directory setting + "/" + fileName
    QString md5sum;       // lower-case hex; the download compares it exactly
    QString releaseDate;
    QString comment;      // names the file in progress texts and messages
    qint64 size = 0;      // negative: downloaded without resume
    int attempts = 0;     // failed downloads so far
};

#endif // UPGRADEFILE_H

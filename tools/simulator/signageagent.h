#ifndef SIGNAGEAGENT_H
#define SIGNAGEAGENT_H

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>

#include <array>

#include "receivedframe.h"

class SimDevice;
class TransferQueue;

// What a device reads out of the console's signage sync command and lists.
namespace SignageSyncMessages {

constexpr quint8 CmdSyncSignageDir = 0x2D;
// Signage content lies outside the update directories; the console lets a
// device read it only with a non-zero sub-code in its open request.
constexpr quint8 SignageSubCode = 1;

struct Output
{
    bool sync = false;
    QString contentDir;
    QString listFile;
};
using Outputs = std::array<Output, 3>;

// The three output blocks of a whole 0x2D frame; false when the frame is not
// one or its blocks run past its end.
bool parseSyncCommand(const QByteArray &frame, Outputs *outputs);

// The access-protocol command that switches a device to digital signage
// (0x12, sub-type 0x14) names what to sync the same way, inside its output
// blocks.
constexpr quint8 CmdAccessProtocol = 0x12;
constexpr quint8 SubDigitalSignage = 0x14;
bool parseSignageProtocolCommand(const QByteArray &frame, Outputs *outputs);

struct ListEntry
{
    bool isDir = false;
    QString path;
    QString md5;   // lower-case hex; empty for a directory
};
// The "dir=" and "file= md5sum=" lines of a list (Latin-1, LF or CR LF line
// ends); other lines are skipped.
QList<ListEntry> parseList(const QByteArray &list);

} // namespace SignageSyncMessages

// The signage side of a device's agent: on the console's sync command (or
// its switch to digital signage) it
// fetches each synced output's list and then every listed file it does not
// hold yet with the same MD5, and keeps them by the path the list names.
class SignageAgent : public QObject
{
    Q_OBJECT
public:
    SignageAgent(SimDevice *device, TransferQueue *transfers, QObject *parent = nullptr);

    // File contents by console path, and the lists by their path.
    const QMap<QString, QByteArray> &content() const { return m_content; }
    const QMap<QString, QByteArray> &lists() const { return m_lists; }
    const QSet<QString> &directories() const { return m_dirs; }
    // Paths downloaded in the last sync, in order (lists included).
    const QStringList &fetched() const { return m_fetched; }

    int syncsReceived() const { return m_received; }
    int syncsCompleted() const { return m_completed; }
    // Transfers refused or broken, and files whose MD5 did not match the list.
    int failures() const { return m_failures; }

signals:
    // Everything the last sync command named has been fetched (or failed).
    void syncFinished(bool ok);

private:
    void onFrame(const ReceivedFrame &frame);
    void onListFetched(const QString &listPath, bool ok, const QByteArray &data);
    void fetchFile(const SignageSyncMessages::ListEntry &entry);
    void onIdle();

    SimDevice *m_device;
    TransferQueue *m_transfers;
    QMap<QString, QByteArray> m_content;
    QMap<QString, QByteArray> m_lists;
    QSet<QString> m_dirs;
    QStringList m_fetched;
    bool m_syncing = false;
    int m_received = 0;
    int m_completed = 0;
    int m_failures = 0;
    int m_failuresAtStart = 0;
};

#endif // SIGNAGEAGENT_H

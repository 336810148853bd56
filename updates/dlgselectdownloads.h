#ifndef DLGSELECTDOWNLOADS_H
#define DLGSELECTDOWNLOADS_H

#include "core/upgradefile.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QTableWidgetItem;
namespace Ui { class DlgSelectDownloads; }

// Lets the administrator pick the update server and the files to fetch.
// The files show once a server is chosen. OK keeps the ticked files in the
// queue and sets the server base; Cancel empties the queue. servers holds
// name/value pairs; with none, the built-in server is offered as "United
// States" (and appended to the caller's list).
class DlgSelectDownloads : public QDialog
{
    Q_OBJECT
public:
    DlgSelectDownloads(QWidget *parent, QList<UpgradeFile> *queue, QString *serverBase, QStringList *servers,
                       const QString &defaultServer);
    ~DlgSelectDownloads() override;

    // The checkable cell of the queue's row i (the rows follow the queue);
    // null past the last row.
    QTableWidgetItem *checkItem(int row) const;
    // Says that the list had more files than are shown.
    void setListCut(bool cut);

public slots:
    void accept() override;
    void reject() override;
    void onServerIndexChanged(int index);

private:
    Ui::DlgSelectDownloads *ui;
    QList<UpgradeFile> *m_queue;
    QString *m_serverBase;
    QStringList *m_servers;
};

#endif // DLGSELECTDOWNLOADS_H

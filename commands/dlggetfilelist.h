#ifndef DLGGETFILELIST_H
#define DLGGETFILELIST_H

#include <QDialog>
#include <QString>

#include "commands/core/syncfilelist.h"

class QIODevice;
class QTimer;

namespace Ui {
class DlgGetFileList;
}

// Warns about each file that cannot go into a sync list (the list is still
// written without it). The main window's own list writer uses it as it is.
class SyncFileListWarner : public SyncFileListObserver
{
public:
    explicit SyncFileListWarner(QWidget *parent) : m_parent(parent) {}
    void unreadableFile(const QString &path) override;

private:
    QWidget *m_parent;
};

// Writes the sync list of one signage content directory while showing where
// the walk is; Cancel stops it and nothing counts as written.
class DlgGetFileList : public QDialog
{
    Q_OBJECT
public:
    DlgGetFileList(QWidget *parent, const QString &directory, const QString &listFile);
    ~DlgGetFileList() override;

    // Runs the dialog (through the prompter): true only when the whole list
    // was written.
    static bool writeList(QWidget *parent, const QString &directory, const QString &listFile);

    bool buildFileList(const QString &directory, const QString &listFile);
    bool listDirectory(const QString &directory, QIODevice *listFile);

public slots:
    void accept() override;
    void reject() override;
    void onCanceled();
    void onTimerFired();

protected:
    void showEvent(QShowEvent *event) override;

private:
    class Progress;
    friend class Progress;

    Ui::DlgGetFileList *ui;
    QString directory;
    QString listFile;
    QTimer *timer;
    bool cancelled = false;
    bool started = false;
};

#endif // DLGGETFILELIST_H

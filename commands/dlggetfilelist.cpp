#include "dlggetfilelist.h"
#include "ui_dlggetfilelist.h"

#include "devicelink/utils.h"
#include "mainwindow/prompter.h"

#include <QCoreApplication>
#include <QTimer>

static const char *const WarningTitle = "Sync directory to device";

// A content folder may be written by others: the names in it, the ones the
// list cannot carry for their line breaks above all, add no lines to the box.
void SyncFileListWarner::unreadableFile(const QString &path)
{
    prompter()->warning(m_parent, QString::fromLatin1(WarningTitle),
                        QStringLiteral("Error opening file: \n\n") + Utils::oneLine(path)
                            + QStringLiteral("\n\nThis file will not be synced to selected devices"));
}

// Shows the walk in the form and keeps the window live between entries and
// while a file is summed, so that Cancel is seen.
class DlgGetFileList::Progress : public SyncFileListWarner
{
public:
    explicit Progress(DlgGetFileList *dialog) : SyncFileListWarner(dialog), m_dialog(dialog) {}

    void directoryShown(const QString &dir, int entryCount) override
    {
        m_dialog->ui->lblDir->setText(dir);
        m_dialog->ui->progressBar->setRange(0, entryCount);
        m_dialog->ui->progressBar->reset();
        QCoreApplication::processEvents();
    }

    void entryReached(int index) override
    {
        if (index <= m_dialog->ui->progressBar->maximum())
            m_dialog->ui->progressBar->setValue(index);
        QCoreApplication::processEvents();
    }

    // The window stays live while a large file is summed too.
    void summing() override { QCoreApplication::processEvents(); }

    bool cancelled() override { return m_dialog->cancelled; }

private:
    DlgGetFileList *m_dialog;
};

DlgGetFileList::DlgGetFileList(QWidget *parent, const QString &directory, const QString &listFile)
    : QDialog(parent), ui(new Ui::DlgGetFileList), directory(directory), listFile(listFile)
{
    ui->setupUi(this);
    connect(ui->btnCancel, &QPushButton::clicked, this, &DlgGetFileList::onCanceled);
    // The work starts once the dialog shows: a dialog made but not (yet) run
    // must not write a list from whatever event loop happens to turn.
    timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(100);
    connect(timer, &QTimer::timeout, this, &DlgGetFileList::onTimerFired);
}

DlgGetFileList::~DlgGetFileList()
{
    delete ui;
}

void DlgGetFileList::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!started) {
        started = true;
        timer->start();
    }
}

bool DlgGetFileList::writeList(QWidget *parent, const QString &directory, const QString &listFile)
{
    DlgGetFileList dialog(parent, directory, listFile);
    return prompter()->exec(&dialog) == 1;
}

bool DlgGetFileList::buildFileList(const QString &directory, const QString &listFile)
{
    Progress progress(this);
    const QString title = QString::fromLatin1(WarningTitle);
    switch (SyncFileList::create(directory, listFile, &progress)) {
    case SyncFileList::Result::Written:
        return true;
    case SyncFileList::Result::Cancelled:
    case SyncFileList::Result::MissingArgument:
    case SyncFileList::Result::Unreadable:
        return false;
    case SyncFileList::Result::NoDirectory:
        prompter()->warning(this, title, QStringLiteral("Specified directory does not exist:\n\n") + directory
                                             + QStringLiteral("Files will not be synced"));
        return false;
    case SyncFileList::Result::CannotCreate:
        prompter()->warning(this, title, QStringLiteral("Error creating temporary file:\n\n") + listFile
                                             + QStringLiteral("Files will not be synced"));
        return false;
    case SyncFileList::Result::WriteFailed:
        // A list cut short does not describe the content; the devices must not sync to it.
        prompter()->warning(this, title, QStringLiteral("Error writing temporary file:\n\n") + listFile
                                             + QStringLiteral("\n\nFiles will not be synced"));
        return false;
    }
    return false;
}

bool DlgGetFileList::listDirectory(const QString &directory, QIODevice *listFile)
{
    Progress progress(this);
    return SyncFileList::write(directory, listFile, &progress) == SyncFileList::Result::Written;
}

void DlgGetFileList::accept()
{
    done(1);
}

void DlgGetFileList::reject()
{
    cancelled = true;
    done(0);
}

void DlgGetFileList::onCanceled()
{
    reject();
}

void DlgGetFileList::onTimerFired()
{
    timer->stop();
    const bool written = buildFileList(directory, listFile);
    // A cancel has already ended the dialog with 0; it must stay 0.
    if (written && !cancelled)
        accept();
    else
        done(0);
}

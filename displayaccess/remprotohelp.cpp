// The devices' help text on their remote-access protocols, shown in a text
// viewer of the desktop.
#include "mainwindow/mainwindow.h"
#include "mainwindow/prompter.h"

#include <QFile>
#include <QSettings>
#include <QTextStream>

// Tried in this order; the first that starts shows the file.
static const char *const TextViewers[] = {"gedit", "pluma", "notepad"};

void MainWindow::onGetRemProtoHelp(const QString &text)
{
    const QString path = settings->value(QStringLiteral("tempDir")).toString() + QStringLiteral("/rem_proto_help.txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        prompter()->warning(this, tr("File create error"), tr("Error creating file to store remote protocol settings"),
                            QMessageBox::Ok);
        return;
    }
    // UTF-8, as the desktop viewers read it; the device sends Latin-1 only.
    QTextStream(&file) << text;
    file.close();

    for (const char *viewer : TextViewers)
        if (prompter()->startDetached(QLatin1String(viewer), QStringList() << path))
            return;
    prompter()->warning(this, tr("Application error"),
                        tr("Could not find an application to display a text file. "
                           "You can manually view the file: \n\n")
                            + path,
                        QMessageBox::Ok);
}

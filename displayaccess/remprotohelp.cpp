#include "remprotohelp.h"

#include "mainwindow/mainwindow.h"
#include "mainwindow/prompter.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>

#include <cerrno>
#include <signal.h>

// Tried in this order; the first that starts shows the file.
static const char *const TextViewers[] = {"gedit", "pluma", "notepad"};

RemProtoHelp::RemProtoHelp(QWidget *window, QSettings *settings)
    : QObject(window), m_window(window), m_settings(settings)
{
}

void RemProtoHelp::received(const QString &text)
{
    // The directory is read each time: the preferences may move it.
    // With none set, no path rather than a file at the root: the open fails.
    const QString dir = m_settings->value(QStringLiteral("tempDir")).toString();
    m_path = dir.isEmpty() ? QString() : dir + QStringLiteral("/rem_proto_help.txt");
    // Only a regular file is written, as with the devices' uploads: through
    // a link the device's text would land wherever the link leads, and a
    // pipe would hold the console on open, inside the device's message.
    const QFileInfo existing(m_path);
    QFile file(m_path);
    m_written = !existing.isSymLink() && (!existing.exists() || existing.isFile())
                && file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    if (m_written) {
        // UTF-8, as the desktop viewers read it; the device sends Latin-1 only.
        QTextStream out(&file);
        out << text;
        out.flush();
        // A full disk shows only when the buffer goes out, and a network or
        // USB disk that lost the text only at the close: a viewer must not
        // be started on a file that lost the text.
        m_written = out.status() == QTextStream::Ok && file.flush();
        file.close();
        m_written = m_written && file.error() == QFileDevice::NoError;
    }
    // A viewer that is up shows the new text by itself. A text that did not
    // reach the file left it cut or empty under that viewer, so a failed
    // write is still told, a box at a time.
    if (m_posted || m_boxOpen || (m_written && viewerShowsFile()))
        return;
    m_posted = true;
    QMetaObject::invokeMethod(this, &RemProtoHelp::show, Qt::QueuedConnection);
}

bool RemProtoHelp::viewerShowsFile() const
{
    // The viewer is detached: whether it still runs is all the console can
    // know of its window. It keeps the file it was started on.
    return m_viewerPid > 0 && m_viewerPath == m_path && (::kill(pid_t(m_viewerPid), 0) == 0 || errno == EPERM);
}

void RemProtoHelp::show()
{
    m_posted = false;
    if (m_boxOpen)
        return;
    if (!m_written) {
        warn(MainWindow::tr("File create error"),
             MainWindow::tr("Error creating file to store remote protocol settings"));
        // A later text may have reached the file while the box was up: the
        // box was about the one before, and this one is shown now.
        if (!m_written)
            return;
    }
    if (viewerShowsFile())
        return;
    for (const char *viewer : TextViewers)
        if (prompter()->startDetached(QLatin1String(viewer), QStringList() << m_path, &m_viewerPid)) {
            m_viewerPath = m_path;
            return;
        }
    m_viewerPid = 0;
    warn(MainWindow::tr("Application error"),
         MainWindow::tr("Could not find an application to display a text file. "
                        "You can manually view the file: \n\n")
             + m_path);
}

void RemProtoHelp::warn(const QString &title, const QString &text)
{
    m_boxOpen = true;
    prompter()->warning(m_window, title, text, QMessageBox::Ok);
    m_boxOpen = false;
}

void MainWindow::onGetRemProtoHelp(const QString &text)
{
    if (closing)
        return;
    if (!remProtoHelp)
        remProtoHelp = new RemProtoHelp(this, settings);
    remProtoHelp->received(text);
}

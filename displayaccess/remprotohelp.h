#ifndef REMPROTOHELP_H
#define REMPROTOHELP_H

#include <QObject>
#include <QString>

class QSettings;
class QWidget;

// The devices' help text on their remote-access protocols, shown in a text
// viewer of the desktop, or named in a box when no viewer starts.
//
// Any device may send the text at any time, and many may send it at once.
// It arrives inside the device socket's signal, where no box may run: the
// text goes into the file at once, and one window is posted to show it after
// the message's handling. While that window (box or viewer) is up, later
// texts only replace the file's text; one viewer per console, not one per
// message. A text that cannot be written is told even while the viewer is up;
// one that goes to another file (the working directory moved) gets a viewer
// of its own.
class RemProtoHelp : public QObject
{
public:
    RemProtoHelp(QWidget *window, QSettings *settings);

    void received(const QString &text);

private:
    void show();
    // A viewer started here is still up, on the file the next text goes to.
    bool viewerShowsFile() const;
    void warn(const QString &title, const QString &text);

    QWidget *m_window;
    QSettings *m_settings;
    QString m_path;
    bool m_written = false;   // the last text reached the file
    bool m_posted = false;    // a show waits in the event queue
    bool m_boxOpen = false;
    qint64 m_viewerPid = 0;
    QString m_viewerPath;   // the file that viewer shows
};

#endif // REMPROTOHELP_H

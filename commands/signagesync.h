#ifndef SIGNAGESYNC_H
#define SIGNAGESYNC_H

#include <QList>

class QSettings;
class QWidget;
class ThinclientInfo;

// The "Sync digital signage directory" command: asks for the outputs, stores
// their directories, writes each chosen output's list and tells the selected
// devices to sync. The main window's slot passes itself as parent of the
// boxes, its settings and the device list of the department shown (null
// when none is shown).
namespace SignageSync {

// True when the command reached at least one device.
bool run(QWidget *parent, QSettings *settings, const QList<ThinclientInfo *> *department);

} // namespace SignageSync

#endif // SIGNAGESYNC_H

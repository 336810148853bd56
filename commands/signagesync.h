#ifndef SIGNAGESYNC_H
#define SIGNAGESYNC_H

#include <QByteArray>
#include <functional>

class QSettings;
class QWidget;

// The "Sync digital signage directory" command: asks for the outputs, stores
// their directories, writes each chosen output's list and tells the selected
// devices to sync. The main window's slot only passes its own parts in.
namespace SignageSync {

// The main window's sendToSelectedDevices: 0 when at least one device got
// the frame, -1 when none did (it warns by itself).
using SendFunction = std::function<int(const QByteArray &frame)>;

// Returns send's result, or -1 when the command ended before sending.
int run(QWidget *window, QSettings *settings, int selectedDevices, const SendFunction &send);

} // namespace SignageSync

#endif // SIGNAGESYNC_H

#ifndef WINDOWDEVICES_H
#define WINDOWDEVICES_H

#include "receivedframe.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class MainWindow;
class SimDevice;
struct SimDeviceConfig;
class ThinclientInfo;

// Simulated devices, each with its file-moving agent, registered over TLS
// with a main window under test and filed into the department it shows.
class WindowDevices
{
public:
    explicit WindowDevices(MainWindow *window);
    ~WindowDevices();

    // A device of the model, registered and ticked as asked; null (and the
    // test failed) when it did not register. `tweak` edits its config first.
    SimDevice *add(const QString &model, bool ticked = true,
                   const std::function<void(SimDeviceConfig &)> &tweak = nullptr);
    ThinclientInfo *record(const SimDevice *device) const;
    // Ticks or clears the device's row and clicks it, as the administrator does.
    bool tick(const SimDevice *device, bool on);
    // Drops the connection and waits until the console saw it go.
    bool drop(SimDevice *device);
    void clear();
    // The commands the device got so far (no handshake date frames), then
    // forgets them. A marker frame written last proves that everything the
    // console sent before it has arrived.
    QList<ReceivedFrame> receivedSoFar(SimDevice *device);

private:
    MainWindow *m_window;
    std::vector<std::unique_ptr<SimDevice>> m_devices;
};

#endif // WINDOWDEVICES_H

#ifndef WINDOWDEVICES_H
#define WINDOWDEVICES_H

#include "receivedframe.h"
#include "simdevice.h"

#include <QList>
#include <memory>
#include <vector>

class MainWindow;
class ThinclientInfo;

// Simulated devices registered with a main window under test, ticked as the
// administrator ticks them, and what each received from the console.
class WindowDevices
{
public:
    WindowDevices(MainWindow *window, quint16 port) : m_window(window), m_port(port) {}

    // Connects a device and waits until it is filed in the shown department;
    // fails the test when it is not.
    SimDevice *add(const SimDeviceConfig &config, bool ticked = true);
    ThinclientInfo *record(const SimDevice *sim) const;
    // The row's check box, then the click on the row; false when the
    // record did not take it.
    bool tick(SimDevice *sim, bool on);
    // The commands the device got so far (no handshake date frames), then
    // forgets them. A marker frame written last proves everything before it
    // has arrived.
    QList<ReceivedFrame> receivedSoFar(SimDevice *sim);

private:
    MainWindow *m_window;
    quint16 m_port;
    std::vector<std::unique_ptr<SimDevice>> m_sims;
};

#endif // WINDOWDEVICES_H

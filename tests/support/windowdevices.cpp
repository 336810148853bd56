#include "windowdevices.h"

#include "deviceagent.h"
#include "devicemessages.h"
#include "simdevice.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/mainwindow.h"

#include <QStandardItemModel>
#include <QTest>
#include "mainwindow/orltreeview.h"

namespace {
const QByteArray Marker = QByteArray::fromHex("7e000000");
constexpr quint8 MarkerType = 0x7E;
}

WindowDevices::WindowDevices(MainWindow *window) : m_window(window) {}

WindowDevices::~WindowDevices() = default;

SimDevice *WindowDevices::add(const QString &model, bool ticked,
                              const std::function<void(SimDeviceConfig &)> &tweak)
{
    SimDeviceConfig config = SimDeviceConfig::numbered(int(m_devices.size()) + 1);
    config.model = model;
    if (tweak)
        tweak(config);
    m_devices.emplace_back(new SimDevice(config));
    SimDevice *device = m_devices.back().get();
    new DeviceAgent(device);
    device->connectToConsole(QStringLiteral("127.0.0.1"), m_window->sslServer->serverPort());
    const bool filed = QTest::qWaitFor(
        [&] {
            ThinclientInfo *info = record(device);
            return info && info->online && m_window->currentDepartment->devices.contains(info);
        },
        20000);
    if (!filed || !tick(device, ticked)) {
        QTest::qFail(qPrintable(QStringLiteral("device %1 did not register").arg(config.macAddress)), __FILE__,
                     __LINE__);
        return nullptr;
    }
    return device;
}

ThinclientInfo *WindowDevices::record(const SimDevice *device) const
{
    for (ThinclientInfo *info : std::as_const(m_window->devices))
        if (info && info->macAddress == device->config().macAddress)
            return info;
    return nullptr;
}

bool WindowDevices::tick(const SimDevice *device, bool on)
{
    ThinclientInfo *info = record(device);
    if (!info || !info->item)
        return false;
    info->item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    const DeptInfo *shown = m_window->currentDepartment;
    emit shown->treeView->clicked(shown->model->indexFromItem(info->item));
    return info->checked == on;
}

bool WindowDevices::drop(SimDevice *device)
{
    ThinclientInfo *info = record(device);
    device->disconnectFromConsole();
    return info && QTest::qWaitFor([info] { return !info->online; }, 15000);
}

void WindowDevices::clear()
{
    m_devices.clear();
}

QList<ReceivedFrame> WindowDevices::receivedSoFar(SimDevice *device)
{
    ThinclientInfo *info = record(device);
    if (info && info->online && info->socket) {
        SSLServer::writeToDevice(info->socket, Marker);
        const auto marked = [device] {
            for (const ReceivedFrame &f : device->receivedFrames())
                if (f.type == MarkerType)
                    return true;
            return false;
        };
        if (!QTest::qWaitFor(marked, 30000))
            QTest::qFail("the marker frame never reached the device", __FILE__, __LINE__);
    }
    QList<ReceivedFrame> out;
    QDate date;
    for (const ReceivedFrame &f : device->receivedFrames())
        if (f.type != MarkerType && !DeviceMessages::parseServerDate(f.bytes, &date))
            out << f;
    device->clearReceived();
    return out;
}

#include "windowdevices.h"

#include "devicemessages.h"
#include "mainwindow/deptinfo.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/orltreeview.h"
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

#include <QStandardItemModel>
#include <QTest>

namespace {
const QByteArray Marker = QByteArray::fromHex("7e000000");
constexpr quint8 MarkerType = 0x7E;
}

SimDevice *WindowDevices::add(const SimDeviceConfig &config, bool ticked)
{
    m_sims.emplace_back(new SimDevice(config));
    SimDevice *sim = m_sims.back().get();
    sim->connectToConsole(QStringLiteral("127.0.0.1"), m_port);
    const bool filed = QTest::qWaitFor(
        [&] {
            ThinclientInfo *r = record(sim);
            return r && r->online && m_window->currentDepartment->devices.contains(r);
        },
        20000);
    if (!filed) {
        QTest::qFail(qPrintable(QStringLiteral("device %1 did not register").arg(config.macAddress)), __FILE__,
                     __LINE__);
        return sim;
    }
    if (!tick(sim, ticked))
        QTest::qFail("the device's row did not take the tick", __FILE__, __LINE__);
    return sim;
}

ThinclientInfo *WindowDevices::record(const SimDevice *sim) const
{
    for (ThinclientInfo *r : std::as_const(m_window->devices))
        if (r && r->macAddress == sim->config().macAddress)
            return r;
    return nullptr;
}

bool WindowDevices::tick(SimDevice *sim, bool on)
{
    ThinclientInfo *r = record(sim);
    if (!r || !r->item)
        return false;
    r->item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    const DeptInfo *shown = m_window->currentDepartment;
    emit shown->treeView->clicked(shown->model->indexFromItem(r->item));
    return r->checked == on;
}

QList<ReceivedFrame> WindowDevices::receivedSoFar(SimDevice *sim)
{
    ThinclientInfo *r = record(sim);
    if (r && r->online && r->socket) {
        SSLServer::writeToDevice(r->socket, Marker);
        const auto marked = [sim] {
            for (const ReceivedFrame &f : sim->receivedFrames())
                if (f.type == MarkerType)
                    return true;
            return false;
        };
        if (!QTest::qWaitFor(marked, 30000))
            QTest::qFail("the marker frame never reached the device", __FILE__, __LINE__);
    }
    QList<ReceivedFrame> out;
    QDate date;
    for (const ReceivedFrame &f : sim->receivedFrames())
        if (f.type != MarkerType && !DeviceMessages::parseServerDate(f.bytes, &date))
            out << f;
    sim->clearReceived();
    return out;
}

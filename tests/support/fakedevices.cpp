#include "fakedevices.h"

#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

FakeDevices::FakeDevices()
{
    SSLServer::setWriteHook([this](QSslSocket *socket, const QByteArray &data) {
        writes.append({socket, data});
        return qint64(data.size());
    });
}

FakeDevices::~FakeDevices()
{
    SSLServer::setWriteHook(nullptr);
}

ThinclientInfo *FakeDevices::add(const QString &model, bool checked, bool online, bool withSocket)
{
    m_records.emplace_back(new ThinclientInfo);
    ThinclientInfo *d = m_records.back().get();
    d->model = model;
    d->deviceName = QStringLiteral("dev%1").arg(m_records.size());
    d->checked = checked;
    d->online = online;
    if (withSocket) {
        m_sockets.emplace_back(new QSslSocket);
        d->socket = m_sockets.back().get();
    }
    return d;
}

QByteArray FakeDevices::writtenTo(const ThinclientInfo *device) const
{
    QByteArray out;
    for (const auto &w : writes)
        if (device->socket && w.first == device->socket)
            out += w.second;
    return out;
}

void FakeDevices::reset()
{
    writes.clear();
    m_records.clear();
    m_sockets.clear();
}

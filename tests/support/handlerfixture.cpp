#include "handlerfixture.h"
#include "devicelink/columns.h"

#include <QFile>
#include <QSslSocket>
#include <memory>

HandlerFixture::HandlerFixture()
    : settings(QStringLiteral("Halvard"), QStringLiteral("korvane_server"))
{
    settings.clear();
    for (int i = 0; i < Columns::Count; ++i) {
        settings.setValue(QLatin1String(Columns::table[i].key), i);
        settings.setValue(Columns::textKey(i), QString::fromLatin1(Columns::table[i].header));
    }
    server = new SSLServer(nullptr, &devices, &settings);

    socket = new QSslSocket;
    record = new ThinclientInfo;
    record->socket = socket;
    record->online = true;
    record->model = QStringLiteral("ORL K1");
    record->deviceName = QStringLiteral("desk-1");
    devices.insert(socket, record);

    auto *group = new QStandardItem(record->model);
    model.appendRow(group);
    QList<QStandardItem *> row;
    for (int column = 0; column < RowColumns; ++column)
        row.append(new QStandardItem(QStringLiteral("cell%1").arg(column)));
    group->appendRow(row);
    record->item = row.first();

    pendingSocket = new QSslSocket;
    pendingRecord = new ThinclientInfo;
    pendingRecord->socket = pendingSocket;
    server->pendingDevices.append(pendingRecord);

    strangerSocket = new QSslSocket;

    SSLServer::setWriteHook([this](QSslSocket *to, const QByteArray &bytes) {
        m_writes.append({to, bytes});
        return qint64(bytes.size());
    });
}

HandlerFixture::~HandlerFixture()
{
    SSLServer::setWriteHook(nullptr);
    for (ThinclientInfo *r : {record, pendingRecord}) {
        if (r)
            delete r->transferFile;
    }
    server->pendingDevices.clear();
    delete server;
    delete record;
    delete pendingRecord;
    delete socket;
    delete pendingSocket;
    delete strangerSocket;
}

void HandlerFixture::sendFrom(QSslSocket *from, const QByteArray &frame)
{
    std::unique_ptr<char[]> exact(new char[size_t(qMax<qsizetype>(frame.size(), 1))]);
    memcpy(exact.get(), frame.constData(), size_t(frame.size()));
    server->dispatchFrame(from, QByteArray::fromRawData(exact.get(), frame.size()));
}

QList<QByteArray> HandlerFixture::takeWrites(QSslSocket *to)
{
    QSslSocket *wanted = to ? to : socket;
    QList<QByteArray> out;
    for (const auto &w : std::as_const(m_writes)) {
        if (w.first == wanted)
            out.append(w.second);
    }
    m_writes.clear();
    return out;
}

QStandardItem *HandlerFixture::cell(int modelColumn) const
{
    return record->item->parent()->child(record->item->row(), modelColumn);
}

QString HandlerFixture::cellText(int modelColumn) const
{
    QStandardItem *c = cell(modelColumn);
    return c ? c->text() : QString();
}

int HandlerFixture::modelColumnOf(const char *key)
{
    return Columns::modelColumn(&settings, key);
}

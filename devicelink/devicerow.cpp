#include "devicerow.h"
#include "columns.h"
#include "thinclientinfo.h"

#include <QBrush>
#include <QSettings>
#include <QStandardItem>

QStandardItem *DeviceRow::cell(const ThinclientInfo *record, int modelColumn)
{
    if (!record || !record->item || modelColumn < 0)
        return nullptr;
    QStandardItem *parent = record->item->parent();
    if (!parent)
        return nullptr;
    return parent->child(record->item->row(), modelColumn);
}

bool DeviceRow::hasRow(const ThinclientInfo *record)
{
    return record && record->item && record->item->parent();
}

void DeviceRow::setText(const ThinclientInfo *record, int modelColumn, const QString &text)
{
    if (QStandardItem *c = cell(record, modelColumn))
        c->setText(text);
}

void DeviceRow::setColumnText(QSettings *settings, const ThinclientInfo *record, const char *key, const QString &text)
{
    if (!hasRow(record))
        return;
    const int column = Columns::modelColumn(settings, key);
    if (column >= 0)
        setText(record, column, text);
}

void DeviceRow::setForeground(const ThinclientInfo *record, int modelColumn, const QColor &colour)
{
    if (QStandardItem *c = cell(record, modelColumn))
        c->setForeground(QBrush(colour));
}

void DeviceRow::setEnabled(const ThinclientInfo *record, int columnCount, bool enabled)
{
    for (int column = 0; column < columnCount; ++column)
        if (QStandardItem *c = cell(record, column))
            c->setEnabled(enabled);
}

QString DeviceRow::detectionText(quint16 serverDetection)
{
    switch (serverDetection) {
    case 0: return QStringLiteral("UDP Broadcast");
    case 1: return QStringLiteral("DHCP");
    case 2: return QStringLiteral("Static IP");
    default: return QStringLiteral("Undefined");
    }
}

void DeviceRow::writeColumns(QSettings *settings, const ThinclientInfo *r)
{
    if (!hasRow(r))
        return;
    const struct { const char *key; QString text; } cells[] = {
        {"colIpAddress", r->ipAddress},
        {"colMacAddress", r->macAddress},
        {"colFirmwareVersion", r->firmwareVersion},
        {"colHotfixVersion", r->hotfixVersion},
        {"colResolution", r->resolution},
        {"colRemoteServer", r->remoteServer},
        {"colClientVersion", r->clientVersion},
        {"colProtocolType", r->protocolType.toUpper()},
        {"colSerialNumber", r->serialNumber},
        {"colTimeServerIp", r->timeServer},
        {"colBoardHostname", r->boardHostname},
        {"colZorServerDetection", detectionText(r->serverDetection)},
        {"colZorServerIp", r->serverIp},
        {"colZorServerPort", r->serverPort},
        {"colTimezone", r->timezone},
    };
    for (const auto &c : cells)
        setColumnText(settings, r, c.key, c.text);
}

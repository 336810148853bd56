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

QStringList DeviceRow::columnTexts(const ThinclientInfo *r)
{
    // One text per row of Columns::table, in its order.
    return {
        r->ipAddress,
        r->macAddress,
        r->firmwareVersion,
        r->hotfixVersion,
        r->resolution,
        r->remoteServer,
        r->clientVersion,
        r->protocolType.toUpper(),
        r->serialNumber,
        r->timeServer,
        r->boardHostname,
        detectionText(r->serverDetection),
        r->serverIp,
        r->serverPort,
        r->timezone,
    };
}

void DeviceRow::writeColumns(QSettings *settings, const ThinclientInfo *r)
{
    if (!hasRow(r))
        return;
    const QStringList texts = columnTexts(r);
    for (int i = 0; i < Columns::Count; ++i)
        setColumnText(settings, r, Columns::table[i].key, texts.at(i));
}

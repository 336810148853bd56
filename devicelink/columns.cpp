#include "columns.h"

#include <QSettings>

const ColumnDef Columns::table[Columns::Count] = {
    {"colIpAddress", "IP address", "IP Address", 0},
    {"colMacAddress", "MAC address", "MAC Address", 1},
    {"colFirmwareVersion", "FW ver", "Firmware Version", 2},
    {"colHotfixVersion", "Hotfixes", "Hotfixes", 3},
    {"colResolution", "Resolution", "Resolution", 4},
    {"colRemoteServer", "Remote server", "Remote Server", 5},
    {"colClientVersion", "Client ver", "Client Version", 6},
    {"colProtocolType", "Protocol", "Protocol (HDX, RFX etc)", 7},
    {"colSerialNumber", "Serial number", "Serial Number", -1},
    {"colTimeServerIp", "Time server", "Time Server", -1},
    {"colBoardHostname", "Board hostname", "Board Hostname", -1},
    {"colZorServerDetection", "Korvane server det", "Korvane Server Detection Method", -1},
    {"colZorServerIp", "Korvane server hostname", "Korvane Server hostname", -1},
    {"colZorServerPort", "Korvane server port", "Korvane Server Port", -1},
    {"colTimezone", "Timezone", "Timezone", -1},
};

QString Columns::textKey(int i)
{
    return QStringLiteral("colText") + QString::number(i);
}

QString Columns::sizeKey(int i)
{
    return QStringLiteral("colSize") + QString::number(i);
}

int Columns::modelColumn(QSettings *settings, const char *key)
{
    const int position = settings->value(QLatin1String(key)).toInt();
    return position == -1 ? -1 : position + FixedColumns;
}

int Columns::countFromSettings(QSettings *settings)
{
    int count = FixedColumns;
    for (int i = 0; i < MaxSizeKeys; ++i) {
        if (settings->value(textKey(i)).toString().isEmpty())
            break;
        ++count;
    }
    return count;
}

void Columns::initDefaults(QSettings *settings)
{
    if (settings->contains(QStringLiteral("colIpAddress")))
        return;
    for (const ColumnDef &c : table)
        settings->setValue(QLatin1String(c.key), c.defaultPosition);
    for (int i = 0; i < Count; ++i) {
        const ColumnDef &c = table[i];
        settings->setValue(textKey(i), c.defaultPosition >= 0 ? QString::fromLatin1(c.header) : QString());
    }
}

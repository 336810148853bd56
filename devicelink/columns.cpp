#include "columns.h"

#include <QPointer>
#include <QSettings>

#include <climits>
#include <cstring>

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

namespace {
// The kept layout travels with the store object, so that every reader of
// that store, whichever part of the console it is in, sees the same one.
const char KeptLayout[] = "keptColumnLayout";

QVariant value(QSettings *settings, const QString &key)
{
    const QVariantMap kept = settings->property(KeptLayout).toMap();
    return kept.isEmpty() ? settings->value(key) : kept.value(key);
}

// The positions of the table's columns, as the store (or the kept layout)
// held them when last renewed. A child of its store, so it goes with it.
class Positions : public QObject
{
public:
    explicit Positions(QSettings *settings) : QObject(settings) { renew(settings); }

    static Positions *of(QSettings *settings, bool create = true)
    {
        // Reports all go to the console's one store.
        static QPointer<Positions> last;
        if (last && last->parent() == settings)
            return last;
        for (QObject *child : settings->children())
            if (auto *positions = dynamic_cast<Positions *>(child))
                return last = positions;
        return create ? (last = new Positions(settings)) : nullptr;
    }

    void renew(QSettings *settings)
    {
        for (int i = 0; i < Columns::Count; ++i)
            m_positions[i] = value(settings, QLatin1String(Columns::table[i].key)).toInt();
    }

    int at(int index) const { return m_positions[index]; }

private:
    int m_positions[Columns::Count] = {};
};

int indexOfKey(const char *key)
{
    for (int i = 0; i < Columns::Count; ++i)
        if (std::strcmp(Columns::table[i].key, key) == 0)
            return i;
    return -1;
}

int toModelColumn(int position)
{
    // Only -1 hides a column, but a hand-edited store may hold any number:
    // -2 would land on the name cell, and the largest would overflow.
    if (position < 0 || position > INT_MAX - Columns::FixedColumns)
        return -1;
    return position + Columns::FixedColumns;
}
} // namespace

void Columns::keepLayout(QSettings *settings)
{
    QVariantMap kept;
    for (const ColumnDef &c : table)
        kept.insert(QLatin1String(c.key), settings->value(QLatin1String(c.key)));
    for (int i = 0; i < MaxSizeKeys; ++i)
        kept.insert(textKey(i), settings->value(textKey(i)));
    settings->setProperty(KeptLayout, kept);
    renewLayout(settings);
}

void Columns::renewLayout(QSettings *settings)
{
    if (Positions *positions = Positions::of(settings, false))
        positions->renew(settings);
}

int Columns::modelColumn(QSettings *settings, const char *key)
{
    const int index = indexOfKey(key);
    if (index < 0)
        return toModelColumn(value(settings, QLatin1String(key)).toInt());
    return modelColumnAt(settings, index);
}

int Columns::modelColumnAt(QSettings *settings, int index)
{
    return toModelColumn(Positions::of(settings)->at(index));
}

int Columns::countFromSettings(QSettings *settings)
{
    int count = FixedColumns;
    for (int i = 0; i < MaxSizeKeys; ++i) {
        if (value(settings, textKey(i)).toString().isEmpty())
            break;
        ++count;
    }
    return count;
}

QStringList Columns::headerTexts(QSettings *settings)
{
    QStringList texts;
    for (int i = 0; i < MaxSizeKeys; ++i)
        texts << value(settings, textKey(i)).toString();
    return texts;
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
    renewLayout(settings);
}

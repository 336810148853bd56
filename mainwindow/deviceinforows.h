#ifndef DEVICEINFOROWS_H
#define DEVICEINFOROWS_H

#include <QList>
#include <QString>

class ThinclientInfo;

// One line of the device information table.
struct DevInfoRow {
    QString label;
    QString value;
    bool operator==(const DevInfoRow &o) const { return label == o.label && value == o.value; }
};

// Everything the console knows about one device, as the rows of the device
// information dialog, in their order.
QList<DevInfoRow> deviceInfoRows(const ThinclientInfo &info);

#endif // DEVICEINFOROWS_H

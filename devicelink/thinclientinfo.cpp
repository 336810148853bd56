#include "thinclientinfo.h"
#include "devicerow.h"

ThinclientInfo::ThinclientInfo(QObject *parent)
    : QObject(parent)
{
}

// The socket belongs to the server and the row to the tree; an open transfer
// file is closed by whoever ends the transfer or the connection.
ThinclientInfo::~ThinclientInfo()
{
    DeviceRow::forget(this);
}

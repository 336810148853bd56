#ifndef TIMEZONECOMMAND_H
#define TIMEZONECOMMAND_H

#include <QByteArray>
#include <QString>

// The set-time-zone command: the zone id the dialog's three rows stand for,
// and the frame that carries it with the time server. Values in, bytes out.
namespace TimezoneCommand {

constexpr quint8 CMD_SET_TIMEZONE = 0x04;
// Devices read the command into a buffer of this size, header included.
constexpr int MaxFrame = 4096;
// A host name is at most 253 characters; the dialog takes no more, so a
// time server always fits beside the longest zone id.
constexpr int MaxTimeServerLength = 253;
// The dialog's default: a public NTP pool.
constexpr char DefaultTimeServer[] = "pool.ntp.org";

// The tz id for the current rows of the continent, country and zone combos
// (-1 where a combo has no current row). Empty when the continent row is
// outside the table, and for Russia when no zone is chosen.
QString zoneId(int continentRow, int countryRow, int zoneRow);

// Type 0x04, sub-code 0, then the zone id and the time server as wire
// strings (Latin-1, "?" for the rest). Empty when the frame would exceed
// MaxFrame.
QByteArray setTimezone(const QString &zoneId, const QString &timeServer);

} // namespace TimezoneCommand

#endif // TIMEZONECOMMAND_H

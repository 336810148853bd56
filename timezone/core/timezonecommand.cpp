#include "timezonecommand.h"

#include "timezonetables.h"

#include "devicelink/wire.h"

#include <QStringList>

namespace TimezoneCommand {

namespace {

using namespace TimezoneTables;

constexpr int AnyZone = -1;

// Rows whose id does not follow the area/city rule. A null id takes the
// zone's value alone: Russia's values carry their own area, Europe or Asia,
// under either continent.
struct Override {
    int continent;
    int country;
    int zone;
    const char *id;
};

const Override overrides[] = {
    {Asia, 37, AnyZone, nullptr},          // Russia
    {Europe, 38, AnyZone, nullptr},        // Russia
    {Americas, 48, 29, "Pacific/Honolulu"},   // United States, Hawaii
    {Africa, 41, 1, "Atlantic/Canary"},       // Spain, Canary Islands
};

const Place *rowOf(const Place *rows, int count, int row)
{
    return row >= 0 && row < count ? &rows[row] : nullptr;
}

QString city(const Place *place)
{
    return place && place->city ? QString::fromLatin1(place->city) : QString();
}

} // namespace

QString zoneId(int continentRow, int countryRow, int zoneRow)
{
    const Continent *c = continent(continentRow);
    if (!c)
        return QString();

    const Place *country = nullptr;
    const Place *zone = nullptr;
    if (c->hasCountries) {
        country = rowOf(c->rows, c->rowCount, countryRow);
        if (const ZoneList *zones = zoneList(continentRow, countryRow))
            zone = rowOf(zones->rows, zones->rowCount, zoneRow);
    } else {
        zone = rowOf(c->rows, c->rowCount, zoneRow);
    }

    for (const Override &o : overrides)
        if (o.continent == continentRow && o.country == countryRow && (o.zone == AnyZone || o.zone == zoneRow))
            return o.id ? QString::fromLatin1(o.id) : city(zone);

    QStringList parts{QString::fromLatin1(c->area)};
    for (const Place *p : {country, zone})
        if (!city(p).isEmpty())
            parts << city(p);
    return parts.join(QLatin1Char('/'));
}

QByteArray setTimezone(const QString &zoneId, const QString &timeServer)
{
    return WireWriter(CMD_SET_TIMEZONE, 0, MaxFrame).wireString(zoneId).wireString(timeServer).finish();
}

} // namespace TimezoneCommand

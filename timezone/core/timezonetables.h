#ifndef TIMEZONETABLES_H
#define TIMEZONETABLES_H

// The built-in tables of the time-zone dialog. A zone id is the area of the
// continent or ocean, then the city of the country or of the zone, joined
// with "/" (tz database Area/Location form). Rows are the combo rows: their
// order and numbers are what the zone-id rule and the zone lists key on.
namespace TimezoneTables {

// One combo row: the text shown and the location part of the id. A country
// without a city spans several zones and has a zone list below.
struct Place {
    const char *text;
    const char *city;   // null: several zones
};

struct Continent {
    const char *text;    // continent combo
    const char *area;    // area of the id
    const Place *rows;   // countries, or the zones themselves when !hasCountries
    int rowCount;
    bool hasCountries;
    int currentRow;      // the row made current when the continent is chosen
};

// The zones of one country row that spans several zones.
struct ZoneList {
    int continent;
    int country;
    const Place *rows;
    int rowCount;
    int preselected;
};

enum ContinentRow {
    Africa = 0,
    Americas = 1,
    Antarctica = 2,
    ArcticOcean = 3,
    Asia = 4,
    AtlanticOcean = 5,
    Australia = 6,
    Europe = 7,
    IndianOcean = 8,
    PacificOcean = 9,
};

constexpr int ContinentCount = 10;
constexpr int ZoneListCount = 25;

extern const Continent continents[ContinentCount];
extern const ZoneList zoneLists[ZoneListCount];

// Null outside 0..ContinentCount-1.
const Continent *continent(int row);
// The zone list of a country row; null when the row has one zone, lies
// outside the continent's list, or the continent has no countries.
const ZoneList *zoneList(int continentRow, int countryRow);

} // namespace TimezoneTables

#endif // TIMEZONETABLES_H

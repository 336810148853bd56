// The time-zone tables, the zone-id rule and the set-time-zone frame.
#include "timezone/core/timezonecommand.h"
#include "timezone/core/timezonetables.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace TimezoneTables;

namespace {

struct Rows {
    const Place *rows = nullptr;
    int count = 0;
};

// country -1: the continent's own list (countries or zones); otherwise the
// zone list of that country row.
Rows rowsOf(int continentRow, int countryRow)
{
    if (countryRow < 0) {
        const Continent *c = continent(continentRow);
        return c ? Rows{c->rows, c->rowCount} : Rows{};
    }
    const ZoneList *z = zoneList(continentRow, countryRow);
    return z ? Rows{z->rows, z->rowCount} : Rows{};
}

QString text(const char *s)
{
    return s ? QString::fromLatin1(s) : QString();
}

} // namespace

class TestTimezoneTables : public QObject
{
    Q_OBJECT
private slots:
    void tables_data();
    void tables();
    void everyCountryWithoutCityHasZoneList();
    void zoneIds_data();
    void zoneIds();
    void setTimezoneFrame_data();
    void setTimezoneFrame();
};

void TestTimezoneTables::tables_data()
{
    QTest::addColumn<int>("continentRow");
    QTest::addColumn<int>("countryRow");   // -1: the continent table itself, or a continent's own list
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("current");      // row made current on choosing it; -1: not applicable
    QTest::addColumn<QByteArray>("digest");

    // Each digest is the MD5, in hexadecimal, of the table's rows written one
    // line each as "<row>\t<text>\t<city>\n": the row number from 0, the combo
    // text and the city (zone value; area for the continent table; empty when
    // the row has a zone list). They were computed from the reference tables
    // the dialog was designed with, independently of this source.
    // The continent table is the row with continent -1.
    QTest::newRow("continents")
        << -1 << -1 << 10 << "Africa" << "Pacific Ocean" << -1 << QByteArray("1d690b3a6af692d0563bd43daf4ff213");
    QTest::newRow("Africa")
        << 0 << -1 << 51 << "Algeria" << "Zimbabwe" << 0 << QByteArray("08972d2477a822b2644a0cab3dcc1ab6");
    QTest::newRow("Americas")
        << 1 << -1 << 53 << "Anguilla" << "Virgin Islands (US)" << 48 << QByteArray("0b45edca726fa8f5f54289bf81cce11a");
    QTest::newRow("Antarctica")
        << 2 << -1 << 11 << "McMurdo Station, Ross Island" << "Macquarie Island Station, Macquarie Island" << 0
        << QByteArray("6dd3713cd87eb4e346cca150862b8952");
    QTest::newRow("Arctic Ocean") << 3 << -1 << 1 << "Svalbard & Jan Mayen" << "Svalbard & Jan Mayen" << 0
        << QByteArray("693b45274865cc3c94288fec3a5c8618");
    QTest::newRow("Asia")
        << 4 << -1 << 50 << "Afghanistan" << "Yemen" << 0 << QByteArray("148b5a7555140a67de49b4895ad728f6");
    QTest::newRow("Atlantic Ocean")
        << 5 << -1 << 8 << "Bermuda" << "St Helena" << 0 << QByteArray("f1a534bbc145e5534ffad490b724eb44");
    QTest::newRow("Australia") << 6 << -1 << 12 << "Lord Howe Island" << "Western Australia - Eucla area" << 0
        << QByteArray("ae68269492141a44d9cceb556b9a4cee");
    QTest::newRow("Europe")
        << 7 << -1 << 49 << "Aaland Islands" << "Vatican City" << 0 << QByteArray("037d89af4abbba68f92c9a614e2ad028");
    QTest::newRow("Indian Ocean") << 8 << -1 << 11 << "British Indian Ocean Territory" << "Seychelles" << 0
        << QByteArray("d558072ce13293018bfe3da870610d0a");
    QTest::newRow("Pacific Ocean")
        << 9 << -1 << 27 << "Chile" << "Wallis & Futuna" << 0 << QByteArray("ba54c6aa61bda25abfe0de82fd7bbbd1");
    QTest::newRow("Africa, Congo (Dem. Rep.)")
        << 0 << 9 << 2 << "West Dem. Rep. of Congo" << "East Dem. Rep. of Congo" << 0
        << QByteArray("2f03b0997ca5259b16e9e5b9b9306a74");
    QTest::newRow("Africa, Spain")
        << 0 << 41 << 2 << "Ceuta & Melilla" << "Canary Islands" << 0 << QByteArray("dfceedfbb1de3cf851996f8e565f861b");
    QTest::newRow("Americas, Argentina") << 1 << 2 << 12 << "Buenos Aires (BA, CF)" << "Tierra del Fuego (TF)" << 0
        << QByteArray("6543ffe869d9e5099f9b09c03acf4354");
    QTest::newRow("Americas, Brazil")
        << 1 << 9 << 16 << "Atlantic islands" << "Acre" << 0 << QByteArray("f2708d4b13a4cc750d13591a31fda8ee");
    QTest::newRow("Americas, Canada")
        << 1 << 10 << 28 << "Newfoundland Time, including SE Labrador" << "Pacific Time - north Yukon" << 0
        << QByteArray("66969abe45b6baa287719ea7515f66ec");
    QTest::newRow("Americas, Greenland") << 1 << 22 << 4 << "Most locations" << "Thule / Pituffik" << 0
        << QByteArray("584651a8d008e89e4203bea18e0a0f95");
    QTest::newRow("Americas, Mexico")
        << 1 << 31 << 12 << "Central Time - most locations" << "Mexican Central Time - Bahia de Banderas" << 0
        << QByteArray("a90e1ab0cf420c9e5e2a0703b476a7b7");
    QTest::newRow("Americas, United States")
        << 1 << 48 << 30 << "Eastern Time" << "Hawaii" << 21 << QByteArray("3e874355cfb098a9dc905a1630d35f76");
    QTest::newRow("Asia, China")
        << 4 << 8 << 5 << "East China - Beijing, Guangdong, Shanghai, etc." << "West Tibet & Xinjiang" << 0
        << QByteArray("6059118017f81dbc49d6868a4c6c8a60");
    QTest::newRow("Asia, Indonesia")
        << 4 << 14 << 4 << "Java & Sumatra" << "West New Guinea (Irian Jaya) & Malukus (Moluccas)" << 0
        << QByteArray("6e395553a703a8c7ab6384a8ebe56f3d");
    QTest::newRow("Asia, Kazakhstan")
        << 4 << 20 << 5 << "Most locations" << "West Kazakhstan" << 0 << QByteArray("2063da3cdf8474e30f47565c4b662874");
    QTest::newRow("Asia, Malaysia") << 4 << 28 << 2 << "Peninsular Malaysia" << "Sabah & Sarawak" << 0
        << QByteArray("1b288a6381d208074f372f4779d2d09e");
    QTest::newRow("Asia, Mongolia") << 4 << 29 << 3 << "Most locations" << "Dornod, Sukhbaatar" << 0
        << QByteArray("814feb64f6e9c86267a1890775ec011f");
    QTest::newRow("Asia, Palestine")
        << 4 << 34 << 2 << "Gaza Strip" << "West Bank" << 0 << QByteArray("714aab4d051616a4a1f7223ae2acfe43");
    QTest::newRow("Asia, Russia") << 4 << 37 << 16 << "Moscow-01 - Kaliningrad" << "Moscow+08 - Bering Sea" << 0
        << QByteArray("efff1b41fc44998666dbe3759ca5a008");
    QTest::newRow("Asia, Uzbekistan") << 4 << 47 << 2 << "West Uzbekistan" << "East Uzbekistan" << 0
        << QByteArray("d1e73eaebe3678f73e38738cf799a028");
    QTest::newRow("Atlantic Ocean, Portugal")
        << 5 << 5 << 2 << "Madeira Islands" << "Azores" << 0 << QByteArray("b61c73907d548c6e6fb45e2e2890fad5");
    QTest::newRow("Europe, Russia") << 7 << 38 << 16 << "Moscow-01 - Kaliningrad" << "Moscow+08 - Bering Sea" << 0
        << QByteArray("efff1b41fc44998666dbe3759ca5a008");
    QTest::newRow("Europe, Ukraine")
        << 7 << 47 << 4 << "Most locations" << "Central Crimea" << 0 << QByteArray("1549e0809f2b8d0e96bd818b7fd0cfd9");
    QTest::newRow("Pacific Ocean, French Polynesia")
        << 9 << 4 << 3 << "Society Islands" << "Gambier Islands" << 0 << QByteArray("e6c8d1e680b7cd617142aeb5afca23fe");
    QTest::newRow("Pacific Ocean, Kiribati")
        << 9 << 6 << 3 << "Gilbert Islands" << "Line Islands" << 0 << QByteArray("f5a7bc5f339ff54abe279c712b85116f");
    QTest::newRow("Pacific Ocean, Marshall Islands")
        << 9 << 7 << 2 << "Most locations" << "Kwajalein" << 0 << QByteArray("2683ffc960e6a6a73afdd65b346881a6");
    QTest::newRow("Pacific Ocean, Micronesia")
        << 9 << 8 << 3 << "Chuuk (Truk) and Yap" << "Kosrae" << 0 << QByteArray("9f67997b44fc4ed3fc2846af29795610");
    QTest::newRow("Pacific Ocean, New Zealand")
        << 9 << 11 << 2 << "Most locations" << "Chatham Islands" << 0 << QByteArray("0afba22bf3f9ddbae381d8465a4a2706");
    QTest::newRow("Pacific Ocean, US minor outlying islands")
        << 9 << 24 << 3 << "Johnston Atoll" << "Wake Island" << 0 << QByteArray("c149a54518fa45b531e657c328c8aaa0");
}

void TestTimezoneTables::tables()
{
    QFETCH(int, continentRow);
    QFETCH(int, countryRow);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(int, current);
    QFETCH(QByteArray, digest);

    QStringList texts;
    QByteArray lines;
    if (continentRow < 0) {
        for (int i = 0; i < ContinentCount; ++i) {
            texts << text(continents[i].text);
            lines += QByteArray::number(i) + '\t' + continents[i].text + '\t' + continents[i].area + '\n';
        }
    } else {
        const Rows list = rowsOf(continentRow, countryRow);
        for (int i = 0; i < list.count; ++i) {
            texts << text(list.rows[i].text);
            lines += QByteArray::number(i) + '\t' + list.rows[i].text + '\t'
                + QByteArray(list.rows[i].city ? list.rows[i].city : "") + '\n';
        }
        const ZoneList *zones = zoneList(continentRow, countryRow);
        QCOMPARE(countryRow < 0 ? continent(continentRow)->currentRow : zones->preselected, current);
    }
    QCOMPARE(texts.size(), count);
    QCOMPARE(texts.first(), first);
    QCOMPARE(texts.last(), last);
    QCOMPARE(QCryptographicHash::hash(lines, QCryptographicHash::Md5).toHex(), digest);
}

// A country row has a city or a zone list, never both and never neither;
// and no zone list hangs off a row that is not a country.
void TestTimezoneTables::everyCountryWithoutCityHasZoneList()
{
    int withoutCity = 0;
    for (int c = 0; c < ContinentCount; ++c) {
        const Continent &cont = continents[c];
        for (int k = 0; k < cont.rowCount; ++k) {
            const bool hasList = zoneList(c, k) != nullptr;
            QVERIFY2(hasList == (cont.hasCountries && !cont.rows[k].city),
                     qPrintable(QStringLiteral("%1, %2").arg(text(cont.text), text(cont.rows[k].text))));
            withoutCity += hasList;
        }
    }
    QCOMPARE(withoutCity, ZoneListCount);
}

void TestTimezoneTables::zoneIds_data()
{
    QTest::addColumn<int>("continentRow");
    QTest::addColumn<int>("countryRow");
    QTest::addColumn<int>("zoneRow");
    QTest::addColumn<QString>("id");

    QTest::newRow("zone of a continent without countries") << int(Antarctica) << -1 << 0 << "Antarctica/McMurdo";
    QTest::newRow("the Arctic's one zone") << int(ArcticOcean) << -1 << 0 << "Arctic/Longyearbyen";
    QTest::newRow("one-zone country of an ocean") << int(AtlanticOcean) << 0 << -1 << "Atlantic/Bermuda";
    QTest::newRow("zone list of an ocean's country") << int(AtlanticOcean) << 5 << 1 << "Atlantic/Azores";
    QTest::newRow("city holding a slash") << int(Americas) << 48 << 2 << "America/Kentucky/Louisville";
    QTest::newRow("United States, Pacific Time") << int(Americas) << 48 << 21 << "America/Los_Angeles";
    QTest::newRow("United States, Hawaii") << int(Americas) << 48 << 29 << "Pacific/Honolulu";
    QTest::newRow("United States, Annette Island") << int(Americas) << 48 << 28 << "America/Metlakatla";
    QTest::newRow("Spain in Africa, Canary Islands") << int(Africa) << 41 << 1 << "Atlantic/Canary";
    QTest::newRow("Spain in Africa, Ceuta") << int(Africa) << 41 << 0 << "Africa/Ceuta";
    QTest::newRow("Spain in Europe") << int(Europe) << 43 << -1 << "Europe/Madrid";
    QTest::newRow("Russia in Asia, first row") << int(Asia) << 37 << 0 << "Europe/Kaliningrad";
    QTest::newRow("Russia in Europe, last row") << int(Europe) << 38 << 15 << "Asia/Anadyr";
    QTest::newRow("Russia without a zone") << int(Asia) << 37 << -1 << "";
    QTest::newRow("a stale zone row under the Indian Ocean") << int(IndianOcean) << 10 << 3 << "Indian/Mahe";
    QTest::newRow("a zone row past the list") << int(Americas) << 22 << 4 << "America";
    QTest::newRow("no continent") << -1 << -1 << -1 << "";
}

void TestTimezoneTables::zoneIds()
{
    QFETCH(int, continentRow);
    QFETCH(int, countryRow);
    QFETCH(int, zoneRow);
    QFETCH(QString, id);
    QCOMPARE(TimezoneCommand::zoneId(continentRow, countryRow, zoneRow), id);
}

void TestTimezoneTables::setTimezoneFrame_data()
{
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QByteArray>("frame");   // empty: refused

    // The last frame that fits the device's buffer: 10 bytes of header and
    // string framing, the 19-character zone id, 4067 server characters.
    const QString fits(4096 - 10 - 19, QLatin1Char('s'));
    QTest::newRow("default picks with a server")
        << "America/Los_Angeles" << "pool.ntp.org"
        << QByteArray::fromHex("04000025" "0014416d65726963612f4c6f735f416e67656c657300"
                               "000d706f6f6c2e6e74702e6f726700");
    QTest::newRow("empty server") << "Etc" << "" << QByteArray::fromHex("04000009" "000445746300" "000100");
    QTest::newRow("outside Latin-1")
        << "X" << QString::fromUtf8("\xe2\x82\xac") << QByteArray::fromHex("04000008" "00025800" "00023f00");
    QTest::newRow("fills the buffer") << "America/Los_Angeles" << fits
        << QByteArray::fromHex("04000ffc" "0014416d65726963612f4c6f735f416e67656c657300" "0fe4")
               + fits.toLatin1() + '\0';
    QTest::newRow("one byte over the buffer") << "America/Los_Angeles" << fits + 's' << QByteArray();
    QTest::newRow("over a 16-bit length") << "America/Los_Angeles" << QString(70000, QLatin1Char('s')) << QByteArray();
}

void TestTimezoneTables::setTimezoneFrame()
{
    QFETCH(QString, zone);
    QFETCH(QString, server);
    QFETCH(QByteArray, frame);
    QCOMPARE(TimezoneCommand::setTimezone(zone, server).toHex(), frame.toHex());
}

QTEST_GUILESS_MAIN(TestTimezoneTables)
#include "tst_timezonetables.moc"

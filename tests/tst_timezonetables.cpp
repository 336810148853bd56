// The time-zone tables, the zone-id rule and the set-time-zone frame.
#include "timezone/core/timezonecommand.h"
#include "timezone/core/timezonetables.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace TimezoneTables;

namespace {

QByteArray line(const QList<QByteArray> &fields)
{
    QByteArray out;
    for (const QByteArray &f : fields)
        out += (out.isEmpty() ? "" : "\t") + f;
    return out + '\n';
}

QByteArray n(int value)
{
    return QByteArray::number(value);
}

QByteArray city(const Place &place)
{
    return place.city ? QByteArray(place.city) : QByteArray();
}

} // namespace

class TestTimezoneTables : public QObject
{
    Q_OBJECT
private slots:
    // Every table as the combos walk it: each continent with its area, whether
    // it lists countries and the row made current; its rows with their cities;
    // under a row with a zone list, the list's preselected row and its zones.
    // The digest was checked against the reference tables the dialog was
    // designed with: it pins every row's place, text and city, and which rows
    // have a zone list (a country row has a city or a list, never both).
    void tables()
    {
        QByteArray text;
        for (int c = 0; c < ContinentCount; ++c) {
            const Continent *k = continent(c);
            text += line({n(c), "-", k->text, k->area, n(k->hasCountries), n(k->currentRow)});
            for (int r = 0; r < k->rowCount; ++r) {
                text += line({n(c), n(r), k->rows[r].text, city(k->rows[r])});
                if (const ZoneList *z = zoneList(c, r)) {
                    text += line({n(c), n(r), "zones", n(z->preselected)});
                    for (int i = 0; i < z->rowCount; ++i)
                        text += line({n(c), n(r), n(i), z->rows[i].text, city(z->rows[i])});
                }
            }
        }
        QCOMPARE(QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex(),
                 QByteArray("ce070c767dd1446549b79029a30da859"));
        QVERIFY(!continent(ContinentCount) && !continent(-1));
        QVERIFY(!zoneList(Americas, 53) && !zoneList(Antarctica, 0));
    }

    void zoneIds_data()
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

    void zoneIds()
    {
        QFETCH(int, continentRow);
        QFETCH(int, countryRow);
        QFETCH(int, zoneRow);
        QFETCH(QString, id);
        QCOMPARE(TimezoneCommand::zoneId(continentRow, countryRow, zoneRow), id);
    }

    void setTimezoneFrame_data()
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

    void setTimezoneFrame()
    {
        QFETCH(QString, zone);
        QFETCH(QString, server);
        QFETCH(QByteArray, frame);
        QCOMPARE(TimezoneCommand::setTimezone(zone, server).toHex(), frame.toHex());
    }
};

QTEST_GUILESS_MAIN(TestTimezoneTables)
#include "tst_timezonetables.moc"

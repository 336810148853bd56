// The profile editor's pages as values: when OK refuses them, with which
// box, and what a page's rows store.
#include "profiles/core/profile.h"
#include "profiles/core/profilepages.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ProfilePages;

// A display page from "setting output row" words, e.g. "c1=1 p1=2 r1=1"
// (c connector, p position, r referent, o orientation, s resolution).
static DisplayPage page(bool clone, const QString &timeout, const QString &rows)
{
    DisplayPage p;
    p.clone = clone;
    p.timeout = timeout;
    const QString kinds = QStringLiteral("cpros");
    for (const QString &w : rows.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        p.rows[rowIndex(Setting(kinds.indexOf(w.at(0))), w.at(1).digitValue() - 1)] = w.mid(3).toInt();
    return p;
}

static const QString hdmi1 = QStringLiteral("c1=1");
static const char *const displayTitle = "Validating display settings";

class TestProfilePages : public QObject
{
    Q_OBJECT
private slots:
    void name_data();
    void name();
    void server_data();
    void server();
    void display_data();
    void display();
    void stored_data();
    void stored();
};

void TestProfilePages::name_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("mustBeFree");
    QTest::addColumn<QString>("text");
    const QString unsafe = QStringLiteral("\nA profile name cannot begin with \".\" or contain \"/\", \"\\\" or line "
                                          "breaks. Please enter another profile name");
    QTest::newRow("empty") << "" << true << "\nPlease enter a name for this profile!";
    QTest::newRow("taken") << "office" << true << "\nA profile named\n\noffice\n\nalready exists. Please enter a unique profile name";
    QTest::newRow("own name kept in an edit") << "office" << false << "";
    QTest::newRow("free") << "lab" << true << "";
    QTest::newRow("other letter case is another file") << "Office" << true << "";
    QTest::newRow("parent directory") << "../office" << true << unsafe;
    QTest::newRow("slash") << "a/b" << true << unsafe;
    QTest::newRow("leading dot") << ".office" << false << unsafe;
    QTest::newRow("backslash") << "a\\b" << true << unsafe;
    QTest::newRow("line break") << "a\nb" << true << unsafe;
    QTest::newRow("delete character") << "a\x7f" "b" << true << unsafe;
    QTest::newRow("dot inside") << "site.office" << true << "";
    const QString tooLong = QStringLiteral("\nThis profile name is too long. Please enter a shorter profile name");
    QTest::newRow("longest name") << QString(244, QLatin1Char('n')) << true << "";
    QTest::newRow("a byte longer") << QString(245, QLatin1Char('n')) << true << tooLong;
    QTest::newRow("long in letters of three bytes") << QString(82, QChar(0x65e5)) << true << tooLong;
    QTest::newRow("own long name kept in an edit") << QString(245, QLatin1Char('n')) << false << tooLong;
}

void TestProfilePages::name()
{
    QFETCH(QString, name);
    QFETCH(bool, mustBeFree);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("office.prf")), QByteArray()));
    const Refusal r = checkName(name, dir.path(), mustBeFree);
    QCOMPARE(r.text, text);
    if (r.refused()) {
        QCOMPARE(r.title, QStringLiteral("Validating profile"));
        QVERIFY(r.overCaller);
    } else if (mustBeFree) {
        // A name let through is saved, and saved again over its file.
        Profile profile(dir.path());
        profile.name = name;
        QVERIFY(profile.save());
        QVERIFY(profile.save());
    }
}

void TestProfilePages::server_data()
{
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("text");
    const QString invalid = QStringLiteral("\nIn Korvane server tab, Port field does not contain a valid port number");
    QTest::newRow("dhcp ignores the fields") << true << "" << "x" << "";
    QTest::newRow("host empty") << false << "" << "5808" << "\nIn Korvane server tab, Hostname field cannot be empty.";
    QTest::newRow("host of one blank") << false << " " << "5808" << "";
    QTest::newRow("port empty") << false << "srv" << "" << "\nIn Korvane server tab, Port field cannot be empty.";
    QTest::newRow("port zero") << false << "srv" << "0" << invalid;
    QTest::newRow("port negative") << false << "srv" << "-5" << invalid;
    QTest::newRow("port letters") << false << "srv" << "abc" << invalid;
    QTest::newRow("port 65536") << false << "srv" << "65536" << "";
}

void TestProfilePages::server()
{
    QFETCH(bool, dhcp);
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(QString, text);
    const Refusal r = checkServer(dhcp, host, port);
    QCOMPARE(r.text, text);
    if (r.refused()) {
        QCOMPARE(r.title, QStringLiteral("Validating Korvane server settings"));
        QVERIFY(!r.overCaller);
    }
}

void TestProfilePages::display_data()
{
    QTest::addColumn<bool>("clone");
    QTest::addColumn<QString>("timeout");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("text");
    const QString timeout = QStringLiteral("\nIn Display tab, 'Screensaver timeout' field does not contain a valid number");
    const QString mismatch = QStringLiteral("\nIn Display tab, in clone mode, all selected connectors must have the same "
                                            "Orientation and Resolution");
    QTest::newRow("timeout empty") << true << "" << hdmi1 << timeout;
    QTest::newRow("timeout negative") << true << "-1" << hdmi1 << timeout;
    QTest::newRow("timeout zero") << true << "0" << hdmi1 << "";
    QTest::newRow("timeout before connectors") << true << "x" << "" << timeout;
    QTest::newRow("no connector") << true << "20" << "" << "\nIn Display tab, you must configure at least one output connector";
    QTest::newRow("position without referent") << false << "20" << "c1=1 p1=1" << "\nIn Display tab, invalid referent for Output 1";
    QTest::newRow("referent missing comes first")
        << false << "20" << "c1=1 p1=1 r1=1 c3=2 p3=1" << "\nIn Display tab, invalid referent for Output 3";
    QTest::newRow("1 relative to unconnected 2")
        << false << "20" << "c1=1 p1=1 r1=1"
        << "\nIn Display tab, position of Output 1 is relative to Output 2, but Output 2 has no connector";
    QTest::newRow("2 relative to unconnected 1")
        << false << "20" << "c2=1 p2=1 r2=1"
        << "\nIn Display tab, position of Output 2 is relative to Output 1, but Output 1 has no connector";
    QTest::newRow("2 relative to unconnected 3")
        << false << "20" << "c1=1 c2=1 p2=3 r2=2"
        << "\nIn Display tab, position of Output 2 is relative to Output 3, but Output 3 has no connector";
    QTest::newRow("3 relative to unconnected 2")
        << false << "20" << "c3=1 p3=4 r3=2"
        << "\nIn Display tab, position of Output 3 is relative to Output 2, but Output 2 has no connector";
    QTest::newRow("3 left of 1") << false << "20" << "c1=1 c3=2 p3=2 r3=1" << "";
    QTest::newRow("clone, resolutions of 1 and 3 differ") << true << "20" << "c1=1 c3=2 s3=4" << mismatch;
    QTest::newRow("clone, orientations of 2 and 3 differ") << true << "20" << "c2=1 c3=5 o2=1" << mismatch;
    QTest::newRow("clone, differing output unconnected") << true << "20" << "c1=1 c3=2 s2=4 o2=1" << "";
    QTest::newRow("extend, resolutions differ") << false << "20" << "c1=1 c3=2 s3=4" << "";
}

void TestProfilePages::display()
{
    QFETCH(bool, clone);
    QFETCH(QString, timeout);
    QFETCH(QString, rows);
    QFETCH(QString, text);
    const Refusal r = checkDisplay(page(clone, timeout, rows));
    QCOMPARE(r.text, text);
    if (r.refused())
        QCOMPARE(r.title, QLatin1String(displayTitle));
}

void TestProfilePages::stored_data()
{
    QTest::addColumn<bool>("clone");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QStringList>("outputs");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("rowsKept");

    QTest::newRow("defaults") << true << "" << QStringList{"none/none/0/landscape/auto", "none/none/0/landscape/auto",
                                                           "none/none/0/landscape/auto"}
                              << "clone" << true;
    QTest::newRow("last rows") << false << "c1=5 p1=4 r1=2 o1=1 s1=15 c2=4 c3=3"
                               << QStringList{"dms59/below/3/portrait/1920x1200", "displayport/none/0/landscape/auto",
                                              "dvi/none/0/landscape/auto"}
                               << "extendr" << true;
    QTest::newRow("referents name the other outputs")
        << false << "c1=1 p1=1 r1=1 c2=2 p2=2 r2=1 c3=1 p3=3 r3=2 s2=6"
        << QStringList{"hdmi/rightof/2/landscape/auto", "vga/leftof/1/landscape/1280x854", "hdmi/above/2/landscape/auto"}
        << "extendr" << true;
    QTest::newRow("rows beyond the lists store row 0")
        << true << "c1=6 p1=-1 r1=3 o1=2 s1=16"
        << QStringList{"none/none/0/landscape/auto", "none/none/0/landscape/auto", "none/none/0/landscape/auto"} << "clone"
        << false;
}

void TestProfilePages::stored()
{
    QFETCH(bool, clone);
    QFETCH(QString, rows);
    QFETCH(QStringList, outputs);
    QFETCH(QString, mode);
    QFETCH(bool, rowsKept);
    Profile p(QStringLiteral("/d"));
    const DisplayPage shown = page(clone, QStringLiteral(" 7"), rows);
    storeDisplay(shown, &p);
    QStringList stored;
    for (int n = 0; n < Profile::Outputs; ++n)
        stored << QStringList{p.dispOpConnector[n], p.dispOpPosition[n], p.dispOpReferent[n], p.dispOpOrientation[n],
                              p.dispOpResolution[n]}
                      .join(QLatin1Char('/'));
    QCOMPARE(stored, outputs);
    QCOMPARE(p.dispVideoMode, mode);
    QCOMPARE(p.dispScreensaverTimeout, QStringLiteral(" 7"));
    // The rows are kept beside the values, the ones beyond a list as row 0.
    for (int i = 0; i < RowCount; ++i)
        QCOMPARE(p.dispCmbxIndexes[i], rowsKept ? shown.rows[i] : 0);
}

QTEST_GUILESS_MAIN(TestProfilePages)
#include "tst_profilepages.moc"

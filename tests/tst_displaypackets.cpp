// The display layout's checks and values, and the display commands' frames,
// byte by byte.
#include "displayaccess/core/displaylayout.h"
#include "displayaccess/core/displaypackets.h"
#include "displayaccess/core/edidmodes.h"

#include <QtTest>

Q_DECLARE_METATYPE(EdidInfo)

using namespace DisplayLayout;

namespace {

// "extend", "timeout=<text>", or "<column><output>=<index>" with the columns
// c(onnector), p(osition), r(eferent), o(rientation) and s(creen resolution).
LayoutForm layout(const QStringList &edits)
{
    LayoutForm form;
    for (const QString &edit : edits) {
        if (edit == QLatin1String("extend")) {
            form.clone = false;
        } else if (edit.startsWith(QLatin1String("timeout="))) {
            form.timeout = edit.mid(8);
        } else {
            OutputChoice &o = form.outputs[edit.mid(1, 1).toInt() - 1];
            const int index = edit.mid(3).toInt();
            switch (edit.at(0).toLatin1()) {
            case 'c': o.connector = index; break;
            case 'p': o.position = index; break;
            case 'r': o.referent = index; break;
            case 'o': o.orientation = index; break;
            case 's': o.resolution = index; break;
            default: qFatal("bad edit %s", qPrintable(edit));
            }
        }
    }
    return form;
}

EdidInfo mode(const QString &resolution, const QString &clock, bool marker = false)
{
    const QString t = marker ? QStringLiteral("0") : QStringLiteral("1125");
    return {resolution, clock, t, marker ? t : QStringLiteral("1080"), t, marker ? t : QStringLiteral("+h+v")};
}

} // namespace

class TestDisplayPackets : public QObject
{
    Q_OBJECT
private slots:
    void layoutChecks_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("refusal");

        const QString timeout = QStringLiteral("\nYou must enter a valid screensaver timeout value");
        const QString clone =
            QStringLiteral("\nIn clone mode, all selected connectors must have the same Orientation and Resolution");
        QTest::newRow("untouched") << QStringList() << QString();
        QTest::newRow("timeout with leading zeros") << QStringList{"timeout=007"} << QString();
        QTest::newRow("timeout empty") << QStringList{"timeout="} << timeout;
        QTest::newRow("timeout negative") << QStringList{"timeout=-1"} << timeout;
        QTest::newRow("timeout fraction") << QStringList{"timeout=1.5"} << timeout;
        QTest::newRow("timeout beyond 32 bits") << QStringList{"timeout=2147483648"} << timeout;
        QTest::newRow("timeout longer than the command carries")
            << QStringList{"timeout=" + QString(MaxTimeoutLength + 1, QLatin1Char('0'))} << timeout;
        QTest::newRow("longest timeout the command carries")
            << QStringList{"timeout=" + QString(MaxTimeoutLength, QLatin1Char('0'))} << QString();
        QTest::newRow("timeout error hides the others")
            << QStringList{"timeout=x", "c1=7", "c2=7", "c3=7"} << timeout;
        QTest::newRow("no connector") << QStringList{"c1=7", "c2=7", "c3=7", "s1=3"}
                                      << "\nYou must configure at least one output connector";
        QTest::newRow("relative to an output without connector")
            << QStringList{"extend", "p1=0", "r1=0", "c2=7"}
            << "\nPosition of Output 1 is relative to Output 2, but Output 2 has no connector";
        QTest::newRow("referent without position names no output")
            << QStringList{"extend", "r1=0", "c2=7"} << QString();
        QTest::newRow("position without referent") << QStringList{"extend", "p2=1", "r2=2"}
                                                   << "\nInvalid referent for Output 2";
        QTest::newRow("outputs relative to each other in a circle")
            << QStringList{"extend", "p1=0", "r1=0", "p2=0", "r2=1", "p3=0", "r3=0"} << QString();
        QTest::newRow("clone with different resolutions") << QStringList{"s2=4"} << clone;
        QTest::newRow("clone with different orientations") << QStringList{"o3=1"} << clone;
        QTest::newRow("clone ignores an output without connector")
            << QStringList{"c2=7", "s2=4", "o2=1"} << QString();
        QTest::newRow("clone compares outputs 1 and 3") << QStringList{"c2=7", "s3=15"} << clone;
        QTest::newRow("clone compares outputs 2 and 3") << QStringList{"c1=7", "o3=1"} << clone;
        QTest::newRow("extend allows different resolutions") << QStringList{"extend", "s2=4", "o3=1"} << QString();
    }

    void layoutChecks()
    {
        QFETCH(QStringList, edits);
        QFETCH(QString, refusal);
        QCOMPARE(validate(layout(edits)), refusal);
    }

    void layoutFrames_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QByteArray>("frame");

        QTest::newRow("defaults") << QStringList()
                                  << QByteArray::fromHex(
                                         "3301007c" "0006636c6f6e6500" "0003323000"
                                         "00056175746f00" "00056e6f6e6500"
                                         "00023000" "000a6c616e64736361706500" "00056175746f00"
                                         "00056175746f00" "00056e6f6e6500"
                                         "00023000" "000a6c616e64736361706500" "00056175746f00"
                                         "00056175746f00" "00056e6f6e6500"
                                         "00023000" "000a6c616e64736361706500" "00056175746f00");
        QTest::newRow("extended, output 3 without connector")
            << QStringList{"extend", "c1=1", "c2=2", "p2=0", "r2=0", "c3=7"}
            << QByteArray::fromHex("33010062" "0008657874656e647200" "0003323000"
                                   "000568646d6900" "00056e6f6e6500" "00023000" "000a6c616e64736361706500" "00056175746f00"
                                   "0004766761" "00" "000872696768746f6600"
                                   "00023100" "000a6c616e64736361706500" "00056175746f00"
                                   "00056e6f6e6500");
        QTest::newRow("values of the long items")
            << QStringList{"extend", "c1=5", "c2=6", "c3=3", "p3=0", "r3=1", "o3=1", "s3=15"}
            << QByteArray::fromHex("3301008d" "0008657874656e647200" "0003323000"
                                   "0006646d73353900" "00056e6f6e6500"
                                   "00023000" "000a6c616e64736361706500" "00056175746f00"
                                   "00056c76647300" "00056e6f6e6500" "00023000" "000a6c616e64736361706500" "00056175746f00"
                                   "000c646973706c6179706f727400" "000872696768746f6600" "00023200" "0009706f72747261697400"
                                   "000a31393230783132303000");
    }

    void layoutFrames()
    {
        QFETCH(QStringList, edits);
        QFETCH(QByteArray, frame);
        QCOMPARE(DisplayPackets::configureDisplays(settings(layout(edits))).toHex(), frame.toHex());
    }

    void layoutFrameLimit_data()
    {
        QTest::addColumn<int>("timeoutLength");
        QTest::addColumn<int>("size");   // 0: refused

        QTest::newRow("longest values fill the buffer") << MaxTimeoutLength << DisplayPackets::ConfigureDisplaysBufferSize;
        QTest::newRow("one byte past the buffer") << MaxTimeoutLength + 1 << 0;
    }

    // The longest item of every combo: what is left of the buffer is the timeout's.
    void layoutFrameLimit()
    {
        QFETCH(int, timeoutLength);
        QFETCH(int, size);
        QStringList edits{"extend", "timeout=" + QString(timeoutLength, QLatin1Char('7'))};
        for (int n = 1; n <= OutputCount; ++n)
            edits << QStringLiteral("c%1=3").arg(n) << QStringLiteral("p%1=0").arg(n) << QStringLiteral("r%1=0").arg(n)
                  << QStringLiteral("s%1=15").arg(n);
        QCOMPARE(DisplayPackets::configureDisplays(settings(layout(edits))).size(), size);
    }

    void edidFrames_data()
    {
        QTest::addColumn<QString>("resolution");
        QTest::addColumn<QByteArray>("frame");   // empty: refused

        QTest::newRow("1920x1080") << "1920x1080"
                                   << QByteArray::fromHex("0200000a" "31393230783130383000"
                                                          "0022"
                                                          "6f6d617066622e6d6f64653d6476693a3139323078313038304d522d333240363000");
        QTest::newRow("empty resolution")
            << "" << QByteArray::fromHex("02000001" "00" "0019" "6f6d617066622e6d6f64653d6476693a4d522d333240363000");
        const QString longest(496, QLatin1Char('9'));
        QTest::newRow("resolution filling the buffer")
            << longest
            << QByteArray::fromHex("020001f1") + longest.toLatin1() + QByteArray::fromHex("000209")
                + "omapfb.mode=dvi:" + longest.toLatin1() + QByteArray("MR-32@60\0", 9);
        QTest::newRow("resolution one past the buffer") << QString(497, QLatin1Char('9')) << QByteArray();
    }

    void edidFrames()
    {
        QFETCH(QString, resolution);
        QFETCH(QByteArray, frame);
        const QByteArray built = DisplayPackets::setEdidResolution(resolution);
        QCOMPARE(built.toHex(), frame.toHex());
        QVERIFY(built.size() <= DisplayPackets::EdidBufferSize);
    }

    void edidRows_data()
    {
        QTest::addColumn<QList<EdidInfo>>("entries");
        QTest::addColumn<QStringList>("rows");   // resolution, then "on"/"off" selectable, then "*" when current
        QTest::addColumn<int>("pick");

        const EdidInfo full = mode("1920x1080", "148.5");
        const EdidInfo wide = mode("2560x1440", "241.5");
        const EdidInfo small = mode("1280x720", "74.25");
        QTest::newRow("unsupported mode greyed")
            << QList<EdidInfo>{full, wide, small} << QStringList{"1920x1080 on", "2560x1440 off", "1280x720 on"} << -1;
        QTest::newRow("marker after its mode")
            << QList<EdidInfo>{full, small, mode("1280x720", "74.25", true)}
            << QStringList{"1920x1080 on", "1280x720 on *"} << 1;
        QTest::newRow("marker before its mode marks nothing")
            << QList<EdidInfo>{mode("1920x1080", "148.5", true), full} << QStringList{"1920x1080 on"} << -1;
        QTest::newRow("marker needs the same pixel clock")
            << QList<EdidInfo>{full, mode("1920x1080", "74.25", true)} << QStringList{"1920x1080 on"} << -1;
        QTest::newRow("marker marks an unsupported mode")
            << QList<EdidInfo>{wide, mode("2560x1440", "241.5", true)} << QStringList{"2560x1440 off *"} << 0;
        QTest::newRow("several matches, the last is picked")
            << QList<EdidInfo>{full, small, full, mode("1920x1080", "148.5", true)}
            << QStringList{"1920x1080 on *", "1280x720 on", "1920x1080 on *"} << 2;
        QTest::newRow("only the marker") << QList<EdidInfo>{mode("1920x1080", "148.5", true)} << QStringList() << -1;
        // A listed mode is a whole word of the list, not any piece of it.
        QTest::newRow("pieces of listed modes greyed")
            << QList<EdidInfo>{mode("280x720", "74.25"), mode("1920x108", "148.5"), mode("720 1920", "1"),
                               mode("", "0")}
            << QStringList{"280x720 off", "1920x108 off", "720 1920 off", " off"} << -1;
    }

    void edidRows()
    {
        QFETCH(QList<EdidInfo>, entries);
        QFETCH(QStringList, rows);
        QFETCH(int, pick);
        const QList<EdidModes::Row> shown =
            EdidModes::rows(entries.constData(), int(entries.size()), QStringLiteral("640x480 1280x720 1920x1080"));
        QStringList described;
        for (const EdidModes::Row &r : shown)
            described << r.mode.resolution + (r.selectable ? " on" : " off") + (r.current ? " *" : "");
        QCOMPARE(described, rows);
        QCOMPARE(EdidModes::initialPick(shown), pick);
    }
};

QTEST_APPLESS_MAIN(TestDisplayPackets)
#include "tst_displaypackets.moc"

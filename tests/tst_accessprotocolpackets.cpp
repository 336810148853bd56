// The access-protocol commands and the help request, byte by byte.
#include "displayaccess/core/accessprotocolpackets.h"

#include <QtTest>

using namespace AccessProtocolPackets;

Q_DECLARE_METATYPE(AccessProtocolSettings)
Q_DECLARE_METATYPE(SignageOutputs)

namespace {

QByteArray ws(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    return QByteArray(1, char((bytes.size() + 1) >> 8)) + char((bytes.size() + 1) & 0xFF) + bytes + '\0';
}

QByteArray u16(int v)
{
    return QByteArray(1, char((v >> 8) & 0xFF)) + char(v & 0xFF);
}

QByteArray withHeader(quint8 type, quint8 sub, const QByteArray &payload)
{
    return QByteArray(1, char(type)) + char(sub) + u16(int(payload.size())) + payload;
}

// What the dialog leaves for RDP when nothing is touched.
AccessProtocolSettings rdpDefaults()
{
    AccessProtocolSettings s;
    s.connType = 3;
    s.connTypeIndex = 2;
    s.colorDepth = QStringLiteral("Auto");
    s.graphicsQuality = QStringLiteral("Auto");
    s.audioQuality = QStringLiteral("Best");
    s.redirectAudio = QStringLiteral("Yes");
    s.redirectVideo = QStringLiteral("No");
    s.redirectMic = QStringLiteral("Yes");
    s.latency = QStringLiteral("Auto");
    s.security = QStringLiteral("Default");
    s.windowSize = QStringLiteral("Auto");
    s.windowPercentage = QStringLiteral("80");
    s.hostnamePort = QStringLiteral("0.0.0.0");
    s.colorDepthIndex = 4;
    s.graphicsQualityIndex = 3;
    s.audioQualityIndex = 0;
    s.redirectAudioIndex = 0;
    s.redirectVideoIndex = 1;
    s.redirectMicIndex = 0;
    s.latencyIndex = 3;
    s.securityIndex = 0;
    s.windowSizeIndex = 2;
    return s;
}

// A local program: only the window size has items.
AccessProtocolSettings windowSizeOnly(int type, int index)
{
    AccessProtocolSettings s;
    s.connType = type;
    s.connTypeIndex = index;
    s.windowSize = QStringLiteral("Auto");
    s.windowSizeIndex = 2;
    s.windowPercentage = QStringLiteral("80");
    s.hostnamePort = QStringLiteral("0.0.0.0");
    return s;
}

const QByteArray EmptyOptions = ws("Auto") + ws("") + ws("") + ws("") + ws("") + ws("") + ws("") + ws("Auto")
                                + ws("80") + ws("") + ws("0.0.0.0") + QByteArray(2, '\0') + QByteArray(14, '\xFF')
                                + u16(2) + ws("") + QByteArray(2, '\xFF');

} // namespace

class TestAccessProtocolPackets : public QObject
{
    Q_OBJECT
private slots:
    void settings_data()
    {
        QTest::addColumn<AccessProtocolSettings>("settings");
        QTest::addColumn<QByteArray>("payload");

        // RDP's payload as the dialog leaves it, but for what a row changes.
        const auto rdp = [](const char *depth, const char *latency, const char *window, const char *percent,
                            const QByteArray &flags, int windowIndex) {
            return ws(depth) + ws("Auto") + ws("Best") + ws("Yes") + ws("Yes") + ws(latency) + ws("Default")
                   + ws(window) + ws(percent) + ws("") + ws("0.0.0.0") + flags + u16(4) + u16(3) + u16(0) + u16(0)
                   + u16(0) + u16(3) + u16(0) + u16(windowIndex) + ws("No") + u16(1);
        };
        const QByteArray noFlags(2, '\0');
        QTest::newRow("rdp defaults")
            << rdpDefaults() << u16(3) + u16(2) + rdp("Auto", "Auto", "Auto", "80", noFlags, 2);

        AccessProtocolSettings s = rdpDefaults();
        s.windowSize = QStringLiteral("Percent of screen");
        s.windowSizeIndex = 1;
        s.windowPercentage = QStringLiteral("50");
        s.latency = QStringLiteral("High (Internet/VPN)");
        s.colorDepth = QStringLiteral("High color (16 bit)");
        s.autoReconnect = true;
        QTest::newRow("percent window, derived texts")
            << s << u16(3) + u16(2) + rdp("16", "High", "Percentage", "50", QByteArray("\1\0", 2), 1);

        s = rdpDefaults();
        s.windowSize = QStringLiteral("Full screen");
        s.windowSizeIndex = 0;
        s.autoLogin = true;
        s.domain = QStringLiteral("CORP");
        s.password = QStringLiteral("s3cret");
        QTest::newRow("auto login, empty user name, full screen keeps the percentage")
            << s
            << u16(3) + u16(2)
                   + rdp("Auto", "Auto", "Fullscreen", "80",
                         QByteArray("\0\1", 2) + ws("CORP") + ws("") + ws("s3cret"), 0);

        // Audio and microphone differ, so their order shows in both lists.
        s = rdpDefaults();
        s.redirectMic = QStringLiteral("No");
        s.redirectMicIndex = 1;
        QTest::newRow("microphone not redirected")
            << s
            << u16(3) + u16(2) + ws("Auto") + ws("Auto") + ws("Best") + ws("Yes") + ws("No") + ws("Auto")
                   + ws("Default") + ws("Auto") + ws("80") + ws("") + ws("0.0.0.0") + noFlags + u16(4) + u16(3)
                   + u16(0) + u16(0) + u16(1) + u16(3) + u16(0) + u16(2) + ws("No") + u16(1);

        s = rdpDefaults();
        s.connType = 1;
        s.connTypeIndex = 0;
        QTest::newRow("citrix ends with two zero bytes")
            << s << u16(1) + u16(0) + rdp("Auto", "Auto", "Auto", "80", noFlags, 2) + u16(0);

        s = windowSizeOnly(8, 7);
        s.kioskMode = true;
        QTest::newRow("web ends with kiosk mode") << s << u16(8) + u16(7) + EmptyOptions + '\1';
        QTest::newRow("empty combos give FFFF") << windowSizeOnly(13, 12) << u16(13) + u16(12) + EmptyOptions;
    }

    void settings()
    {
        QFETCH(AccessProtocolSettings, settings);
        QFETCH(QByteArray, payload);
        const QByteArray frame = accessProtocol(settings);
        QCOMPARE(frame.toHex(' '), withHeader(0x12, 0x05, payload).toHex(' '));
    }

    void freeTextsBoundedByBuffer_data()
    {
        QTest::addColumn<bool>("autoLogin");
        QTest::addColumn<int>("argsLength");
        QTest::addColumn<bool>("fits");
        // RDP defaults take 108 bytes with an empty argument string.
        QTest::newRow("fills the buffer") << false << 4096 - 108 << true;
        QTest::newRow("one byte over") << false << 4096 - 108 + 1 << false;
        QTest::newRow("credentials count with auto login") << true << 4096 - 108 << false;
    }

    void freeTextsBoundedByBuffer()
    {
        QFETCH(bool, autoLogin);
        QFETCH(int, argsLength);
        QFETCH(bool, fits);
        AccessProtocolSettings s = rdpDefaults();
        s.cmdlineArgs = QString(argsLength, QLatin1Char('a'));
        s.autoLogin = autoLogin;
        const QByteArray frame = accessProtocol(s);
        QCOMPARE(!frame.isEmpty(), fits);
        if (fits)
            QCOMPARE(frame.size(), BufferSize);
    }

    void signage_data()
    {
        QTest::addColumn<SignageOutputs>("outputs");
        QTest::addColumn<QByteArray>("payload");

        SignageOutputs one;
        one[0].enabled = true;
        one[0].mode = QStringLiteral("movies");
        QTest::newRow("only output 1, movies, no sync")
            << one << u16(15) + u16(14) + '\1' + ws("movies") + ws("") + ws("") + '\0' + '\0' + '\0';

        SignageOutputs gap;
        gap[0].enabled = true;
        gap[0].mode = QStringLiteral("images");
        gap[0].duration = QStringLiteral("05");
        gap[0].syncNow = true;
        gap[2].enabled = true;
        gap[2].mode = QStringLiteral("browser");
        gap[2].url = QStringLiteral("http://x");
        QTest::newRow("disabled output between two, sync on the first")
            << gap
            << u16(15) + u16(14) + '\1' + ws("images") + ws("05") + ws("") + '\1' + ws("/c1") + ws("/t/l1") + '\0'
                   + '\1' + ws("browser") + ws("") + ws("http://x") + '\0';
    }

    void signage()
    {
        QFETCH(SignageOutputs, outputs);
        QFETCH(QByteArray, payload);
        const std::array<QString, 3> dirs{QStringLiteral("/c1"), QStringLiteral("/c2"), QStringLiteral("/c3")};
        const std::array<QString, 3> lists{QStringLiteral("/t/l1"), QStringLiteral("/t/l2"), QStringLiteral("/t/l3")};
        QCOMPARE(digitalSignage(14, outputs, dirs, lists).toHex(' '), withHeader(0x12, 0x14, payload).toHex(' '));
    }

    void signageTooLongIsRefused()
    {
        SignageOutputs one;
        one[0].enabled = true;
        one[0].syncNow = true;
        one[0].mode = QStringLiteral("movies");
        const std::array<QString, 3> dirs{QString(4096, QLatin1Char('d')), QString(), QString()};
        QVERIFY(digitalSignage(14, one, dirs, {QStringLiteral("/t/l1")}).isEmpty());
    }

    void signagePathLatin1CannotHold()
    {
        SignageOutputs one;
        one[0].enabled = true;
        one[0].syncNow = true;
        one[0].mode = QStringLiteral("movies");
        const std::array<QString, 3> dirs{QString::fromUtf8("/m/\u0414\u043e\u043a"), QString(), QString()};
        QVERIFY(digitalSignage(14, one, dirs, {QStringLiteral("/t/l1")}).isEmpty());
        // Only what the device fetches by path must hold; typed texts keep "?".
        one[0].url = QString::fromUtf8("\u0414");
        QVERIFY(!digitalSignage(14, one, {QStringLiteral("/m/d")}, {QStringLiteral("/t/l1")}).isEmpty());
        one[0].syncNow = false;
        QVERIFY(!digitalSignage(14, one, dirs, {QStringLiteral("/t/l1")}).isEmpty());
    }

    void fixedCommands()
    {
        QCOMPARE(connectionManager(), QByteArray::fromHex("1200000400060000"));
        // Only the low eight bits of the code travel.
        QCOMPARE(protocolHelpRequest(4), QByteArray::fromHex("2100000104"));
        QCOMPARE(protocolHelpRequest(0x108), QByteArray::fromHex("2100000108"));
    }

    void configName_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("name");
        QTest::newRow("lower case") << "abc123" << "ABC123.conf";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("slash") << "../etc/x" << "";
        QTest::newRow("backslash") << "a\\b" << "";
        QTest::newRow("dots") << ".." << "";
    }

    void configName()
    {
        QFETCH(QString, serial);
        QFETCH(QString, name);
        QCOMPARE(connectionManagerConfigName(serial), name);
    }
};

QTEST_APPLESS_MAIN(TestAccessProtocolPackets)
#include "tst_accessprotocolpackets.moc"

#include "simdeviceconfig.h"

namespace {

struct FleetEntry {
    const char *model;
    int version;
    quint8 subCode;
};

// The mix a fleet is drawn from, in turn: models as devices report them,
// with blanks, and both registration versions.
const FleetEntry fleetMix[] = {
    {"ORL K1", 2, 3},
    {"Pyrel PC", 1, 1},
    {"ORL QB64", 2, 3},
    {"ORL GZ", 1, 0},
    {"ORL WY", 2, 3},
};

} // namespace

SimDeviceConfig SimDeviceConfig::numbered(int index)
{
    const FleetEntry &e = fleetMix[index % (sizeof fleetMix / sizeof fleetMix[0])];
    SimDeviceConfig c;
    c.model = QString::fromLatin1(e.model);
    c.registrationVersion = e.version;
    c.subCode = e.subCode;
    c.deviceName = QStringLiteral("sim-%1").arg(index + 1, 4, 10, QLatin1Char('0'));
    // A locally administered unicast prefix: never a real vendor's.
    c.macAddress = QStringLiteral("02:4B:56:%1:%2:%3")
                       .arg((index >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                       .arg((index >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                       .arg(index & 0xFF, 2, 16, QLatin1Char('0'))
                       .toUpper();
    // Reported text only (the benchmark range); nothing is ever sent there.
    c.ipAddress = QStringLiteral("198.18.%1.%2").arg((index / 250) % 250).arg(index % 250 + 1);
    c.serialNumber = QStringLiteral("SIM%1").arg(index + 1, 6, 10, QLatin1Char('0'));
    c.boardHostname = c.deviceName;
    c.displayModes = {
        {QStringLiteral("1920x1080"), QStringLiteral("148.50"), QStringLiteral("1920 2008 2052 2200"),
         QStringLiteral("1080 1084 1089 1125"), QStringLiteral("+hsync +vsync"), QStringLiteral("positive")},
        {QStringLiteral("1280x1024"), QStringLiteral("108.00"), QStringLiteral("1280 1328 1440 1688"),
         QStringLiteral("1024 1025 1028 1066"), QStringLiteral("+hsync +vsync"), QStringLiteral("positive")},
    };
    return c;
}

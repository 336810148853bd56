#include "profilepages.h"

#include "profile.h"

#include <QFile>

namespace ProfilePages {

namespace {

// A save replaces the file through a temporary name 7 bytes longer than its
// own, and a name may have 255 bytes: a file with a longer name would be
// written once and then never again.
constexpr qsizetype MaxFileNameBytes = 248;

struct Row {
    const char *text;
    const char *value;
};

const Row connectors[] = {{"None", "none"}, {"HDMI", "hdmi"}, {"VGA", "vga"}, {"DVI", "dvi"},
                          {"DisplayPort", "displayport"}, {"Splitter cable", "dms59"}};
const Row positions[] = {{"None", "none"}, {"Right of", "rightof"}, {"Left of", "leftof"},
                         {"Above", "above"}, {"Below", "below"}};
// Orientation and resolution store their text in lower case.
const char *const orientations[] = {"Landscape", "Portrait"};
const char *const resolutions[] = {"Auto", "800x600", "1024x768", "1152x864", "1280x720", "1280x768",
                                   "1280x854", "1280x960", "1280x1024", "1366x768", "1440x900",
                                   "1440x1080", "1600x1200", "1680x1050", "1920x1080", "1920x1200"};

// The output (0 to 2) that a referent row of an output names, -1 for row 0:
// row 1 is the first other output, row 2 the second.
int referentOutput(int output, int row)
{
    if (row <= 0 || row > 2)
        return -1;
    const int other = row - 1;
    return other < output ? other : other + 1;
}

QString outputText(int output)
{
    return QStringLiteral("Output %1").arg(output + 1);
}

const QString nameTitle = QStringLiteral("Validating profile");
const QString serverTitle = QStringLiteral("Validating Korvane server settings");
const QString displayTitle = QStringLiteral("Validating display settings");

Refusal onCaller(const QString &title, const QString &text)
{
    return {title, text, true};
}

Refusal onEditor(const QString &title, const QString &text)
{
    return {title, text, false};
}

} // namespace

QStringList rowTexts(Setting setting, int output)
{
    QStringList texts;
    switch (setting) {
    case Connector:
        for (const Row &r : connectors)
            texts << QLatin1String(r.text);
        break;
    case Position:
        for (const Row &r : positions)
            texts << QLatin1String(r.text);
        break;
    case Referent:
        texts << QStringLiteral("None");
        for (int row = 1; row <= 2; ++row)
            texts << outputText(referentOutput(output, row));
        break;
    case Orientation:
        for (const char *t : orientations)
            texts << QLatin1String(t);
        break;
    case Resolution:
        for (const char *t : resolutions)
            texts << QLatin1String(t);
        break;
    }
    return texts;
}

int shownRow(Setting setting, int output, int storedRow)
{
    return storedRow >= 0 && storedRow < rowTexts(setting, output).size() ? storedRow : 0;
}

QString rowValue(Setting setting, int output, int row)
{
    row = shownRow(setting, output, row);
    switch (setting) {
    case Connector:
        return QLatin1String(connectors[row].value);
    case Position:
        return QLatin1String(positions[row].value);
    case Referent:
        return QString::number(referentOutput(output, row) + 1);
    case Orientation:
    case Resolution:
        break;
    }
    return rowTexts(setting, output).at(row).toLower();
}

void storeDisplay(const DisplayPage &page, Profile *profile)
{
    profile->dispVideoMode = page.clone ? QStringLiteral("clone") : QStringLiteral("extendr");
    profile->dispScreensaverTimeout = page.timeout;
    QString *fields[SettingCount] = {profile->dispOpConnector, profile->dispOpPosition, profile->dispOpReferent,
                                     profile->dispOpOrientation, profile->dispOpResolution};
    for (int s = 0; s < SettingCount; ++s) {
        for (int output = 0; output < Profile::Outputs; ++output) {
            const Setting setting = Setting(s);
            const int row = shownRow(setting, output, page.rows[rowIndex(setting, output)]);
            fields[s][output] = rowValue(setting, output, row);
            profile->dispCmbxIndexes[rowIndex(setting, output)] = row;
        }
    }
}

Refusal checkName(const QString &name, const QString &dir, bool mustBeFree)
{
    if (name.isEmpty())
        return onCaller(nameTitle, QStringLiteral("\nPlease enter a name for this profile!"));
    // The name becomes a file name in dir: it must not lead out of it or hide the file.
    if (!Profile::isSafeName(name))
        return onCaller(nameTitle, QStringLiteral("\nA profile name cannot begin with \".\" or contain \"/\", "
                                                  "\"\\\" or line breaks. Please enter another profile name"));
    if (QFile::encodeName(name + QStringLiteral(".prf")).size() > MaxFileNameBytes)
        return onCaller(nameTitle, QStringLiteral("\nThis profile name is too long. Please enter a shorter profile name"));
    if (mustBeFree && !dir.isEmpty() && QFile::exists(dir + QLatin1Char('/') + name + QStringLiteral(".prf")))
        return onCaller(nameTitle, QStringLiteral("\nA profile named\n\n") + name
                                       + QStringLiteral("\n\nalready exists. Please enter a unique profile name"));
    return {};
}

Refusal checkServer(bool dhcp, const QString &host, const QString &port)
{
    if (dhcp)
        return {};
    if (host.isEmpty())
        return onEditor(serverTitle, QStringLiteral("\nIn Korvane server tab, Hostname field cannot be empty."));
    if (port.isEmpty())
        return onEditor(serverTitle, QStringLiteral("\nIn Korvane server tab, Port field cannot be empty."));
    bool ok = false;
    const int number = port.toInt(&ok, 10);
    if (!ok || number <= 0)
        return onEditor(serverTitle,
                        QStringLiteral("\nIn Korvane server tab, Port field does not contain a valid port number"));
    return {};
}

Refusal checkDisplay(const DisplayPage &page)
{
    bool ok = false;
    const int timeout = page.timeout.toInt(&ok, 10);
    if (!ok || timeout < 0)
        return onEditor(displayTitle,
                        QStringLiteral("\nIn Display tab, 'Screensaver timeout' field does not contain a valid number"));
    if (!page.connected(0) && !page.connected(1) && !page.connected(2))
        return onEditor(displayTitle, QStringLiteral("\nIn Display tab, you must configure at least one output connector"));
    for (int output = 0; output < Profile::Outputs; ++output) {
        if (page.connected(output) && page.rows[rowIndex(Position, output)] != 0
            && page.rows[rowIndex(Referent, output)] == 0)
            return onEditor(displayTitle, QStringLiteral("\nIn Display tab, invalid referent for ") + outputText(output));
    }
    for (int output = 0; output < Profile::Outputs; ++output) {
        if (page.rows[rowIndex(Position, output)] == 0)
            continue;
        const int referent = referentOutput(output, page.rows[rowIndex(Referent, output)]);
        if (referent >= 0 && !page.connected(referent))
            return onEditor(displayTitle, QStringLiteral("\nIn Display tab, position of %1 is relative to %2, but %2 "
                                                         "has no connector")
                                              .arg(outputText(output), outputText(referent)));
    }
    if (!page.clone)
        return {};
    // In clone mode every connected output shows the same picture.
    for (int a = 0; a < Profile::Outputs; ++a) {
        for (int b = a + 1; b < Profile::Outputs; ++b) {
            if (!page.connected(a) || !page.connected(b))
                continue;
            if (page.rows[rowIndex(Orientation, a)] != page.rows[rowIndex(Orientation, b)]
                || page.rows[rowIndex(Resolution, a)] != page.rows[rowIndex(Resolution, b)])
                return onEditor(displayTitle, QStringLiteral("\nIn Display tab, in clone mode, all selected connectors "
                                                             "must have the same Orientation and Resolution"));
        }
    }
    return {};
}

static QString diskTrouble(const char *what, const QString &dir)
{
    return QStringLiteral("\nError %1 profile! Either the disk is full, you have entered some weird characters in "
                          "the profile name or you don't have write permission to the following directory:\n\n")
               .arg(QLatin1String(what))
        + dir;
}

Refusal renameFailed(const QString &dir)
{
    return onCaller(QStringLiteral("Renaming profile"), diskTrouble("renaming", dir));
}

Refusal saveFailed(const QString &dir)
{
    return onCaller(QStringLiteral("Saving profile"), diskTrouble("saving", dir));
}

} // namespace ProfilePages

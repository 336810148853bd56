#include "displaylayout.h"

namespace DisplayLayout {

namespace {

// An item of a combo and the value the command carries for it.
struct Choice {
    const char *item;
    const char *value;
};

const Choice Connectors[] = {
    {"Auto", "auto"},         {"HDMI", "hdmi"},           {"VGA", "vga"},
    {"DisplayPort", "displayport"}, {"DVI", "dvi"},       {"Splitter cable", "dms59"},
    {"Built-in Panel", "lvds"}, {"None", "none"},
};

const Choice Positions[] = {
    {"Right of", "rightof"}, {"Left of", "leftof"}, {"Above", "above"}, {"Below", "below"}, {"None", "none"},
};

const Choice Orientations[] = {{"Landscape", "landscape"}, {"Portrait", "portrait"}};

const Choice Resolutions[] = {
    {"Auto", "auto"},           {"800x600", "800x600"},     {"1024x768", "1024x768"},   {"1152x864", "1152x864"},
    {"1280x720", "1280x720"},   {"1280x768", "1280x768"},   {"1280x854", "1280x854"},   {"1280x960", "1280x960"},
    {"1280x1024", "1280x1024"}, {"1366x768", "1366x768"},   {"1440x900", "1440x900"},   {"1440x1080", "1440x1080"},
    {"1600x1200", "1600x1200"}, {"1680x1050", "1680x1050"}, {"1920x1080", "1920x1080"}, {"1920x1200", "1920x1200"},
};

// Each output's referent combo lists the two other outputs, then none.
const int Referents[OutputCount][2] = {{2, 3}, {1, 3}, {1, 2}};

template <int N>
QStringList itemTexts(const Choice (&table)[N])
{
    QStringList out;
    for (const Choice &c : table)
        out << QLatin1String(c.item);
    return out;
}

template <int N>
QString value(const Choice (&table)[N], int index)
{
    return index >= 0 && index < N ? QLatin1String(table[index].value) : QString();
}

// The output a referent index names, 0 for "None".
int referentOutput(int output, int index)
{
    return index == 0 || index == 1 ? Referents[output - 1][index] : 0;
}

const QString TimeoutInvalid = QStringLiteral("\nYou must enter a valid screensaver timeout value");

bool validTimeout(const QString &text)
{
    if (text.isEmpty() || text.size() > MaxTimeoutLength)
        return false;
    bool ok = false;
    const int minutes = text.toInt(&ok, 10);
    return ok && minutes >= 0;
}

bool connected(const LayoutForm &form, int output)
{
    return form.outputs[output - 1].connector != ConnectorNone;
}

} // namespace

QStringList items(Column column, int output)
{
    switch (column) {
    case Column::Connector:
        return itemTexts(Connectors);
    case Column::Position:
        return itemTexts(Positions);
    case Column::Referent:
        return {QStringLiteral("Output %1").arg(Referents[output - 1][0]),
                QStringLiteral("Output %1").arg(Referents[output - 1][1]), QStringLiteral("None")};
    case Column::Orientation:
        return itemTexts(Orientations);
    case Column::Resolution:
        return itemTexts(Resolutions);
    }
    return {};
}

int initialIndex(Column column)
{
    switch (column) {
    case Column::Position:
        return PositionNone;
    case Column::Referent:
        return ReferentNone;
    default:
        return 0;
    }
}

QString validate(const LayoutForm &form)
{
    if (!validTimeout(form.timeout))
        return TimeoutInvalid;
    if (!connected(form, 1) && !connected(form, 2) && !connected(form, 3))
        return QStringLiteral("\nYou must configure at least one output connector");

    for (int n = 1; n <= OutputCount; ++n) {
        const OutputChoice &o = form.outputs[n - 1];
        const int other = referentOutput(n, o.referent);
        if (o.position != PositionNone && other != 0 && !connected(form, other))
            return QStringLiteral("\nPosition of Output %1 is relative to Output %2, but Output %2 has no connector")
                .arg(n)
                .arg(other);
    }
    for (int n = 1; n <= OutputCount; ++n) {
        const OutputChoice &o = form.outputs[n - 1];
        if (connected(form, n) && o.position != PositionNone && o.referent == ReferentNone)
            return QStringLiteral("\nInvalid referent for Output %1").arg(n);
    }
    if (!form.clone)
        return QString();

    // Cloned outputs show one picture, so they must agree on its shape.
    static const int Pairs[][2] = {{1, 2}, {1, 3}, {2, 3}};
    for (const auto &pair : Pairs) {
        if (!connected(form, pair[0]) || !connected(form, pair[1]))
            continue;
        const OutputChoice &a = form.outputs[pair[0] - 1];
        const OutputChoice &b = form.outputs[pair[1] - 1];
        if (a.orientation != b.orientation || a.resolution != b.resolution)
            return QStringLiteral("\nIn clone mode, all selected connectors must have the same Orientation and "
                                  "Resolution");
    }
    return QString();
}

DisplaySettings settings(const LayoutForm &form)
{
    DisplaySettings s;
    s.videoMode = form.clone ? QStringLiteral("clone") : QStringLiteral("extendr");
    s.screensaverTimeout = form.timeout;
    for (int n = 1; n <= OutputCount; ++n) {
        const OutputChoice &o = form.outputs[n - 1];
        OutputSettings &out = s.outputs[n - 1];
        out.connector = value(Connectors, o.connector);
        out.position = value(Positions, o.position);
        out.referent = QString::number(referentOutput(n, o.referent));
        out.orientation = value(Orientations, o.orientation);
        out.resolution = value(Resolutions, o.resolution);
    }
    return s;
}

} // namespace DisplayLayout

#include "accessprotocoltable.h"

namespace AccessProtocolTable {

namespace {

using Step = OptionsStep;

// The list order is not the type-code order: the devices' numbering grew
// as protocols were added, the list keeps the common ones first.
const Protocol Protocols[ProtocolCount] = {
    {"Citrix HDX", 1, false, Step::OptionSet},
    {"RemoteFX", 2, false, Step::OptionSet},
    {"RDP", 3, false, Step::OptionSet},
    {"VNC", 4, false, Step::OptionSet},
    {"X11", 5, false, Step::OptionSet},
    {"Spice", 7, false, Step::OptionSet},
    {"NoMachine NX", 9, false, Step::OptionSet},
    {"Web", 8, false, Step::Web},
    {"Halvard connection manager", 6, false, Step::ConnectionManager},
    {"Telnet", 10, false, Step::OptionSet},
    {"Tn3270", 11, false, Step::OptionSet},
    {"VMWare View", 12, false, Step::OptionSet},
    {"Performance monitor", 13, true, Step::WindowSizeOnly},
    {"Korvane", 14, true, Step::WindowSizeOnly},
    {"Digital signage", 15, true, Step::DigitalSignage},
    {"Media Player", 16, true, Step::WindowSizeOnly},
};

// By type code 1 .. 16; they differ from the list's texts in several rows.
const char *const QuestionNames[] = {
    "Citrix HDX", "RemoteFX", "RDP", "VNC", "X11", "Halvard connection manager", "SPICE", "Web",
    "NoMachine NX", "Telnet", "TN3270", "VMView", "Performance monitor", "Korvane", "Digital signage",
    "Media player",
};

constexpr const char *Depths = "8 bit|High color (16 bit)|True color (24 bit)|True color (32 bit)|Auto";
constexpr const char *Qualities = "Medium|High|Best|Auto";
constexpr const char *Latencies = "Low (LAN)|Medium (WAN)|High (Internet/VPN)|Auto";
constexpr ComboOptions Window = {"Full screen|Percent of screen|Auto", AutoWindowSize};
constexpr ComboOptions None = {"", -1};

// Columns: colour depth, graphics quality, audio quality, redirect audio,
// redirect video, redirect mic, latency, security, window size.
const OptionSet OptionSets[] = {
    {0, {{"8 bit|High color (16 bit)|True color (24 bit)|Auto", 3}, {"Auto", 0}, {Qualities, 3}, {"Yes|No", 0},
         {"Yes|No", 1}, {"Yes|No", 0}, {"Auto", 0}, {"Default|SSL", 0}, Window}},
    {1, {{"True color (32 bit)", 0}, {Qualities, 3}, {"Best", 0}, {"Yes|No", 0}, {"Yes|No", 1}, {"Yes|No", 1},
         {Latencies, 3}, {"Default|SSL|NLA", 0}, Window}},
    {2, {{Depths, 4}, {Qualities, 3}, {"Best", 0}, {"Yes|No", 0}, {"Yes|No", 1}, {"Yes|No", 0}, {Latencies, 3},
         {"Default|SSL|NLA", 0}, Window}},
    {3, {{Depths, 4}, {Qualities, 3}, None, {"No", 0}, {"No", 0}, {"No", 0}, {Latencies, 3}, {"Default|SSL", 0},
         Window}},
    {4, {{Depths, 4}, {"Best", 0}, None, {"No", 0}, {"No", 0}, {"No", 0}, {"Low (LAN)", 0}, {"Default", 0},
         Window}},
    {5, {{"High color (16 bit)|True color (32 bit)|Auto", 2}, {"Auto", 0}, {"Auto", 0}, {"Yes|No", 0}, {"No", 0},
         {"Yes|No", 0}, {Latencies, 3}, {"Default|SSL", 0}, Window}},
    {6, {{Depths, 4}, {Qualities, 1}, {"Best", 0}, {"Yes|No", 0}, {"No", 0}, {"No", 0}, {Latencies, 0},
         {"Default", 0}, Window}},
    {9, {{"True color (32 bit)", 0}, {"Best", 0}, {"Best", 0}, {"No", 0}, {"No", 0}, {"No", 0}, None,
         {"Default", 0}, Window}},
    {10, {{"True color (32 bit)", 0}, {"Best", 0}, {"Best", 0}, {"No", 0}, {"No", 0}, {"No", 0}, None,
          {"Default|SSL", 0}, Window}},
    // VMWare View takes exactly the RDP set.
    {11, {{Depths, 4}, {Qualities, 3}, {"Best", 0}, {"Yes|No", 0}, {"Yes|No", 1}, {"Yes|No", 0}, {Latencies, 3},
          {"Default|SSL|NLA", 0}, Window}},
};

} // namespace

const ComboOptions WindowSizes = Window;

const Protocol *protocol(int index)
{
    return index >= 0 && index < ProtocolCount ? &Protocols[index] : nullptr;
}

QString questionName(int typeCode)
{
    constexpr int count = int(sizeof(QuestionNames) / sizeof(QuestionNames[0]));
    if (typeCode < 1 || typeCode > count)
        return QStringLiteral("undefined");
    return QLatin1String(QuestionNames[typeCode - 1]);
}

const OptionSet *optionSet(int protocolIndex)
{
    for (const OptionSet &set : OptionSets)
        if (set.protocolIndex == protocolIndex)
            return &set;
    return nullptr;
}

QStringList items(const ComboOptions &combo)
{
    if (!*combo.items)
        return {};
    return QString::fromLatin1(combo.items).split(QLatin1Char('|'));
}

} // namespace AccessProtocolTable

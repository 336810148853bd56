#ifndef ACCESSPROTOCOLTABLE_H
#define ACCESSPROTOCOLTABLE_H

#include <QString>
#include <QStringList>

// The access protocols as the access-protocol dialog lists them, and the
// option sets of the ten remote-access protocols among them. The devices
// receive both the item texts and their positions, so both are exact.
namespace AccessProtocolTable {

constexpr int ProtocolCount = 16;

// What choosing a protocol does to the rest of the dialog.
enum class OptionsStep {
    OptionSet,           // the protocol's row of the option-set table
    Web,                 // the window size alone, and the kiosk box
    ConnectionManager,   // every option disabled and empty
    WindowSizeOnly,      // a local program: the window size alone
    DigitalSignage,      // hands over to the signage dialog
};

struct Protocol {
    const char *itemText;
    int typeCode;        // what the devices know the protocol by
    bool runsProgram;    // labelled "Run program" rather than "Connect using"
    OptionsStep step;
};

// Index 0 .. 15 of the dialog's list; null outside.
const Protocol *protocol(int index);
// The name the confirmation question uses; "undefined" for an unknown code.
QString questionName(int typeCode);

// The nine option combos, in the order every option set fills them.
enum OptionCombo {
    ColorDepth,
    GraphicsQuality,
    AudioQuality,
    RedirectAudio,
    RedirectVideo,
    RedirectMic,
    Latency,
    Security,
    WindowSize,
    OptionComboCount
};

struct ComboOptions {
    const char *items;   // separated by "|"; empty: the combo holds nothing
    int preselected;     // -1 with no items
};

struct OptionSet {
    int protocolIndex;
    ComboOptions combos[OptionComboCount];
};

// The option set of the protocol at this index of the dialog's list; null
// for the six types that have none.
const OptionSet *optionSet(int protocolIndex);
QStringList items(const ComboOptions &combo);

// Every type's window-size list, and its "Percent of screen" and "Auto" rows.
extern const ComboOptions WindowSizes;
constexpr int PercentOfScreen = 1;
constexpr int AutoWindowSize = 2;

} // namespace AccessProtocolTable

#endif // ACCESSPROTOCOLTABLE_H

#ifndef KEYBOARDPACKET_H
#define KEYBOARDPACKET_H

#include <QByteArray>
#include <QString>

// The set-keyboard command: the four XKB codes the administrator chose and
// the table rows they stand at. Devices are sent both.
namespace KeyboardPacket {

constexpr quint8 CMD_SET_KEYBOARD = 0x22;
constexpr quint8 SetKeyboardSubCode = 0x01;

struct KeyboardChoice {
    QString modelCode;
    QString layoutCode;
    QString variantCode;   // empty for a layout without variants
    QString optionCode;
    quint16 modelRow = 0;
    quint16 layoutRow = 0;
    quint16 variantRow = 0;   // 0xFFFF for a layout without variants
    quint16 optionRow = 0;
};

// The choice that combo rows of the keyboard tables stand for. A row is
// sent as 16 bits, so the -1 of an empty combo goes out as 0xFFFF; a row
// outside its table gives an empty code.
KeyboardChoice choiceFromRows(int modelRow, int layoutRow, int variantRow, int optionRow);

// Type, sub-code, length, the four codes as wire strings (model, layout,
// variant, option), then the four rows big-endian in the same order.
QByteArray setKeyboard(const KeyboardChoice &choice);

} // namespace KeyboardPacket

#endif // KEYBOARDPACKET_H

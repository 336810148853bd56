#include "keyboardpacket.h"

#include "keyboardtables.h"
#include "devicelink/wire.h"

namespace KeyboardPacket {

KeyboardChoice choiceFromRows(int modelRow, int layoutRow, int variantRow, int optionRow)
{
    KeyboardChoice c;
    c.modelCode = KeyboardTables::models().code(modelRow);
    c.layoutCode = KeyboardTables::layouts().code(layoutRow);
    // A layout without variants sends no code at all, not "none".
    c.variantCode = KeyboardTables::variants(layoutRow).code(variantRow);
    c.optionCode = KeyboardTables::options().code(optionRow);
    c.modelRow = quint16(modelRow);
    c.layoutRow = quint16(layoutRow);
    c.variantRow = quint16(variantRow);
    c.optionRow = quint16(optionRow);
    return c;
}

QByteArray setKeyboard(const KeyboardChoice &choice)
{
    WireWriter w(CMD_SET_KEYBOARD, SetKeyboardSubCode);
    w.wireString(choice.modelCode).wireString(choice.layoutCode).wireString(choice.variantCode);
    w.wireString(choice.optionCode);
    w.u16(choice.modelRow).u16(choice.layoutRow).u16(choice.variantRow).u16(choice.optionRow);
    return w.finish();
}

} // namespace KeyboardPacket

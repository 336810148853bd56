#ifndef DLGKEYBOARDTYPE_H
#define DLGKEYBOARDTYPE_H

#include "keyboard/core/keyboardpacket.h"

#include <QDialog>

namespace KeyboardTables {
class Table;
}
namespace Ui {
class DlgKeyboardType;
}

// Picks an XKB model, layout, variant and option from the built-in tables.
// Always opens on the generic 105-key model and the US layout: what the
// devices reported is not read here. After OK, `choice` holds the codes and
// the rows the combos stood at.
class DlgKeyboardType : public QDialog
{
    Q_OBJECT
public:
    explicit DlgKeyboardType(QWidget *parent = nullptr);
    ~DlgKeyboardType() override;

    KeyboardPacket::KeyboardChoice choice;

public slots:
    void accept() override;

private slots:
    void onLayoutChanged(int layoutRow);

private:
    void fillVariantCombo(const KeyboardTables::Table &variants);

    Ui::DlgKeyboardType *ui;
};

#endif // DLGKEYBOARDTYPE_H

#ifndef DLGCONFIGUREDISPLAYS_H
#define DLGCONFIGUREDISPLAYS_H

#include "displayaccess/core/displaylayout.h"

#include <QDialog>

class QComboBox;

namespace Ui {
class DlgConfigureDisplays;
}

// The layout of up to three monitor outputs and the screensaver timeout.
// Opens at fixed defaults each time. done(1) on a valid OK, with the values
// in `settings`; done(0) on Cancel.
class DlgConfigureDisplays : public QDialog
{
    Q_OBJECT
public:
    explicit DlgConfigureDisplays(QWidget *parent);
    ~DlgConfigureDisplays() override;

    DisplayLayout::LayoutForm form() const;

    DisplayLayout::DisplaySettings settings;

public slots:
    void accept() override;
    void reject() override;
    void onCloneSelected(bool on);
    // output: 1 to 3.
    void onConnectorChanged(int output, int index);
    void onPositionChanged(int output, int index);

private:
    void initCombos();
    QComboBox *&combo(DisplayLayout::Column column, int output);

    Ui::DlgConfigureDisplays *ui;
    QWidget *parentWindow;
    // Per output, in column order; named cmbxOp<N><Column> for the window's
    // users. The table owns them.
    QComboBox *m_combos[DisplayLayout::OutputCount][5] = {};
};

#endif // DLGCONFIGUREDISPLAYS_H

#ifndef DLGRESOLUTIONSTRING_H
#define DLGRESOLUTIONSTRING_H

#include <QDialog>
#include <QString>

class QComboBox;
class QGroupBox;

namespace Ui {
class DlgResolutionString;
}

// Device type, output resolutions and dual-display arrangement, turned on
// OK into the frame-buffer mode string the device boots with. done(1) on a
// valid OK with the results in the fields; done(0) on Cancel.
class DlgResolutionString : public QDialog
{
    Q_OBJECT
public:
    explicit DlgResolutionString(QWidget *parent);
    ~DlgResolutionString() override;

    QString resolutionString;
    QString resolution;           // the VGA/DVI text; "1080p" of type 3 as 1920x1080
    quint8 deviceType = 0;        // 1 Dorn/WY, 2 QB, 3 K1, 4 K2
    bool vgaTimingAdjust = false;
    bool dualDisplay = false;
    bool vgaEnabled = false;
    bool hdmiEnabled = false;
    bool vgaIsPrimary = false;
    QString vgaResolution;
    QString hdmiResolution;
    QString dualMode;             // "clone", "independent" or "extdesktop"
    QString secondaryPosition;    // "top", "left", "right" or "bottom"

public slots:
    void accept() override;
    void reject() override;
    void onDornClicked();
    void onOrlQbClicked();
    void onOrlK1Clicked();
    void onOrlK2Clicked();
    void onVgaResolutionToggled(bool on);
    void onHdmiResolutionToggled(bool on);
    void onCloneToggled(bool on);

private:
    int validateSelection();
    void fillResolutionCombos(QComboBox *list);
    void showOneOutput(bool adjustments);
    // The two-output types: both groups checkable, dual group when both on.
    void showTwoOutputs(bool checkHdmi);
    void outputToggled(bool on, QGroupBox *other);

    Ui::DlgResolutionString *ui;
};

#endif // DLGRESOLUTIONSTRING_H

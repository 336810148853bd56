#ifndef DLGREMPROTOSETTINGS_H
#define DLGREMPROTOSETTINGS_H

#include <QDialog>
#include <QString>

namespace Ui {
class DlgRemProtoSettings;
}

// Session options of a remote-display protocol, each list choice kept as the
// protocol's keyword. Unlike the other dialogs it ends with 0 on a valid OK
// and -1 on Cancel.
class DlgRemProtoSettings : public QDialog
{
    Q_OBJECT
public:
    explicit DlgRemProtoSettings(QWidget *parent);
    ~DlgRemProtoSettings() override;

    QString colorDepth;
    QString graphicsQuality;
    QString redirectAudio;
    QString audioQuality;
    QString bandwidth;
    QString security;
    QString windowSize;
    QString windowPercent;   // 1 to 100 as typed; only with "Percentage"

public slots:
    void accept() override;
    void reject() override;
    void onColorDepthChanged(int index);
    void onGraphicsQualityChanged(int index);
    void onRedirectAudioChanged(int index);
    void onAudioQualityChanged(int index);
    void onBandwidthChanged(int index);
    void onSecurityChanged(int index);
    void onWindowSizeChanged(int index);

private:
    void initControls();

    Ui::DlgRemProtoSettings *ui;
};

#endif // DLGREMPROTOSETTINGS_H

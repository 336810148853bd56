#ifndef DLGDIGITALSIGNAGE_H
#define DLGDIGITALSIGNAGE_H

#include "displayaccess/core/accessprotocolpackets.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace Ui {
class DlgDigitalSignage;
}

// What each of a device's three outputs shows under digital signage, and
// whether its content directory is synchronised now. The caller's three
// directory strings are shown at start and written on a valid OK, for the
// ticked outputs only.
class DlgDigitalSignage : public QDialog
{
    Q_OBJECT
public:
    DlgDigitalSignage(QWidget *parent, QString *contentDir1, QString *contentDir2, QString *contentDir3);
    ~DlgDigitalSignage() override;

    SignageOutputs outputs;

    // 0 when the form is valid, -1 after one warning.
    int validate();
    QString browseDirectory(QWidget *parent, const QString &start);

public slots:
    void accept() override;
    void reject() override;
    void OnOp1ImageToggled(bool on);
    void OnOp2ImageToggled(bool on);
    void OnOp3ImageToggled(bool on);
    void OnOp1BrowserToggled(bool on);
    void OnOp2BrowserToggled(bool on);
    void OnOp3BrowserToggled(bool on);
    void onOp1BrowseClicked();
    void onOp2BrowseClicked();
    void onOp3BrowseClicked();

private:
    // The widgets of one output's group box.
    struct OutputWidgets {
        QGroupBox *box;
        QRadioButton *movies;
        QRadioButton *images;
        QLineEdit *duration;
        QRadioButton *browser;
        QLineEdit *url;
        QLineEdit *contentDir;
        QCheckBox *syncNow;
    };
    OutputWidgets output(int k) const;
    void browseInto(int k);

    Ui::DlgDigitalSignage *ui;
    QWidget *msgParent;
    QString *contentDirs[SignageOutputCount];
};

#endif // DLGDIGITALSIGNAGE_H

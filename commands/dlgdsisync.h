#ifndef DLGDSISYNC_H
#define DLGDSISYNC_H

#include <QDialog>
#include <QString>

namespace Ui {
class DlgDsiSync;
}

// Asks which signage outputs to sync and from which content directories.
// The three caller strings are shown at start and overwritten on accept.
class DlgDsiSync : public QDialog
{
    Q_OBJECT
public:
    DlgDsiSync(QWidget *parent, QString *dir1, QString *dir2, QString *dir3);
    ~DlgDsiSync() override;

    QString browseDirectory(const QString &start);

    bool sync1 = false;
    bool sync2 = false;
    bool sync3 = false;

public slots:
    void accept() override;
    void reject() override;
    void onBrowse1Clicked();
    void onBrowse2Clicked();
    void onBrowse3Clicked();

private:
    void browseInto(class QLineEdit *edit);

    Ui::DlgDsiSync *ui;
    QWidget *owner;
    QString *dir1;
    QString *dir2;
    QString *dir3;
};

#endif // DLGDSISYNC_H

#ifndef ABOUTDIALOG_H
#define ABOUTDIALOG_H

#include <QDialog>

namespace Ui {
class AboutDialog;
}

// The product logo, its name and version, the maker's notice and a way to
// the support page.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    AboutDialog(QWidget *parent, const QString &version);
    ~AboutDialog() override;

private slots:
    void onCloseClicked(bool checked);
    void onWebsiteClicked(bool checked);

private:
    Ui::AboutDialog *ui;
};

#endif // ABOUTDIALOG_H

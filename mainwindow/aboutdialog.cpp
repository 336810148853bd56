#include "aboutdialog.h"
#include "ui_aboutdialog.h"

#include "links.h"
#include "prompter.h"

#include <QUrl>

AboutDialog::AboutDialog(QWidget *parent, const QString &version) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    connect(ui->btnClose, &QPushButton::clicked, this, &AboutDialog::onCloseClicked);
    connect(ui->btnWebsite, &QPushButton::clicked, this, &AboutDialog::onWebsiteClicked);
    ui->lblVersion->setText(version);
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

void AboutDialog::onCloseClicked(bool)
{
    close();
}

void AboutDialog::onWebsiteClicked(bool)
{
    // A browser that cannot start is not reported; the box closes anyway.
    prompter()->openUrl(QUrl(QLatin1String(Links::SupportPage)));
    close();
}

#include "dlgshowtext.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

DlgShowText::DlgShowText(QWidget *parent, const QString &text) : QDialog(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("DlgShowText"));
    resize(469, 450);
    setWindowTitle(QStringLiteral("Remote protocol help"));

    closeButton = new QPushButton(QStringLiteral("Close window"));
    textEdit = new QPlainTextEdit;
    auto *buttonLayout = new QHBoxLayout;
    buttonLayout->addWidget(closeButton);
    auto *mainLayout = new QVBoxLayout(this);
    mainLayout->addWidget(textEdit);
    mainLayout->addLayout(buttonLayout);
    textEdit->setPlainText(text);
    textEdit->setFont(QFont(QStringLiteral("Courier"), 11));
    connect(closeButton, &QPushButton::clicked, this, &DlgShowText::onCloseWindow);
}

void DlgShowText::onCloseWindow()
{
    done(0);
}

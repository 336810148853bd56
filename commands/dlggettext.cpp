#include "dlggettext.h"
#include "ui_dlggettext.h"

#include "mainwindow/prompter.h"

namespace {
bool allowedInRestrictedText(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' || u == '.'
        || u == '_' || u == ' ';
}
} // namespace

DlgGetText::DlgGetText(QWidget *parent, const QString &prompt, QString *result, bool restrictChars,
                       bool allowEmpty)
    : QDialog(parent), ui(new Ui::DlgGetText), result(result), restrictChars(restrictChars),
      allowEmpty(allowEmpty)
{
    ui->setupUi(this);
    ui->lblText->setText(prompt);
    if (result)
        ui->tbxText->setText(*result);
    connect(ui->btnOK, &QPushButton::clicked, this, &DlgGetText::onOK);
    connect(ui->tbxText, &QLineEdit::textEdited, this, &DlgGetText::onTextEdited);
}

DlgGetText::~DlgGetText()
{
    delete ui;
}

void DlgGetText::onOK()
{
    if (!allowEmpty && ui->tbxText->text().isEmpty()) {
        prompter()->information(nullptr, QStringLiteral("Input Validation"),
                                QStringLiteral("You must enter some text!"));
        return;
    }
    if (result)
        *result = ui->tbxText->text();
    done(0);
}

void DlgGetText::onTextEdited(const QString &text)
{
    // The first keystroke into a preset text replaces it: the field is
    // wiped, the keystroke with it.
    if (firstEdit) {
        firstEdit = false;
        if (text.size() > 1) {
            ui->tbxText->clear();
            return;
        }
    }
    if (!restrictChars || text.isEmpty())
        return;
    // Only the character just typed at the end is filtered.
    if (!allowedInRestrictedText(text.back()))
        ui->tbxText->setText(text.left(text.size() - 1));
}

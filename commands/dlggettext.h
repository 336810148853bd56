#ifndef DLGGETTEXT_H
#define DLGGETTEXT_H

#include <QDialog>

namespace Ui { class DlgGetText; }

// Asks for one line of text: a device name, a department name or a
// password. The caller's string gives the starting text and receives the
// entered one. The dialog always ends with 0, so callers test the text.
class DlgGetText : public QDialog
{
    Q_OBJECT
public:
    // restrictChars: only letters, digits, '-', '.', '_' and space may be
    // typed. allowEmpty: OK accepts an empty line.
    DlgGetText(QWidget *parent, const QString &prompt, QString *result, bool restrictChars = false,
               bool allowEmpty = false);
    ~DlgGetText() override;

public slots:
    void onOK();
    void onTextEdited(const QString &text);

private:
    Ui::DlgGetText *ui;
    QString *result;
    bool restrictChars;
    bool firstEdit = true;
    bool allowEmpty;
};

#endif // DLGGETTEXT_H

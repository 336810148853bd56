#ifndef DLGSHOWTEXT_H
#define DLGSHOWTEXT_H

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// A text in a fixed-pitch view with a "Close window" button under it. The
// view stays editable; changes go with the window. Every way out gives 0.
class DlgShowText : public QDialog
{
    Q_OBJECT
public:
    DlgShowText(QWidget *parent, const QString &text);

    QPushButton *closeButton = nullptr;
    QPlainTextEdit *textEdit = nullptr;

public slots:
    void onCloseWindow();
};

#endif // DLGSHOWTEXT_H

#ifndef PROMPTER_H
#define PROMPTER_H

#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;
class QUrl;

// Every modal box, chooser, dialog run and desktop hand-off of the console
// goes through the installed Prompter, so tests can answer them. The default
// one shows Qt's boxes with exactly the title, text, buttons and default
// given, the text always as plain text.
class Prompter
{
public:
    virtual ~Prompter();

    static Prompter *instance();
    // Installs p (not owned) and returns the one it replaces; nullptr restores the default.
    static Prompter *install(Prompter *p);

    virtual QMessageBox::StandardButton information(QWidget *parent, const QString &title, const QString &text,
                                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    virtual QMessageBox::StandardButton warning(QWidget *parent, const QString &title, const QString &text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    virtual QMessageBox::StandardButton critical(QWidget *parent, const QString &title, const QString &text,
                                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    virtual QMessageBox::StandardButton question(QWidget *parent, const QString &title, const QString &text,
                                                 QMessageBox::StandardButtons buttons = QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No),
                                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // The box the default prompter shows, not yet shown; the caller owns it.
    static QMessageBox *createBox(QMessageBox::Icon icon, QWidget *parent, const QString &title, const QString &text,
                                  QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton);

    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
    virtual QStringList openFileNames(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
    virtual QString existingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                      QFileDialog::Options options = QFileDialog::ShowDirsOnly);

    // Runs a dialog modally and returns its result (QDialog::exec()).
    virtual int exec(QDialog *dialog);

    virtual bool openUrl(const QUrl &url);
    // pid, when given, receives the started process's id.
    virtual bool startDetached(const QString &program, const QStringList &arguments, qint64 *pid = nullptr);

private:
    static QMessageBox::StandardButton showBox(QMessageBox::Icon icon, QWidget *parent, const QString &title,
                                               const QString &text, QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton);
};

// Shorthand used throughout the console.
inline Prompter *prompter() { return Prompter::instance(); }

#endif // PROMPTER_H

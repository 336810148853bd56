#include "prompter.h"
#include "formfit.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QProcess>
#include <QUrl>

static Prompter *defaultPrompter()
{
    static Prompter p;
    return &p;
}

static Prompter *current = nullptr;

Prompter::~Prompter() = default;

Prompter *Prompter::instance()
{
    return current ? current : defaultPrompter();
}

Prompter *Prompter::install(Prompter *p)
{
    Prompter *old = current;
    current = p;
    return old;
}

QMessageBox::StandardButton Prompter::information(QWidget *parent, const QString &title, const QString &text,
                                                  QMessageBox::StandardButtons buttons,
                                                  QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::information(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton Prompter::warning(QWidget *parent, const QString &title, const QString &text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::warning(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton Prompter::critical(QWidget *parent, const QString &title, const QString &text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::critical(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton Prompter::question(QWidget *parent, const QString &title, const QString &text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::question(parent, title, text, buttons, defaultButton);
}

QString Prompter::openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QStringList Prompter::openFileNames(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter);
}

QString Prompter::saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString Prompter::existingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                   QFileDialog::Options options)
{
    return QFileDialog::getExistingDirectory(parent, caption, dir, options);
}

int Prompter::exec(QDialog *dialog)
{
    FormFit::growClippedTexts(dialog);
    return dialog->exec();
}

bool Prompter::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool Prompter::startDetached(const QString &program, const QStringList &arguments, qint64 *pid)
{
    return QProcess::startDetached(program, arguments, QString(), pid);
}

#include "prompter.h"
#include "formfit.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

static Prompter *defaultPrompter()
{
    static Prompter p;
    return &p;
}

static Prompter *current = nullptr;

Prompter::~Prompter() = default;

QMessageBox *Prompter::createBox(QMessageBox::Icon icon, QWidget *parent, const QString &title, const QString &text,
                                 QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    auto *box = new QMessageBox(icon, title, text, QMessageBox::NoButton, parent);
    // Box texts carry what devices and the update server report: a name that
    // looks like markup is still shown as the characters it is.
    box->setTextFormat(Qt::PlainText);
    auto *buttonBox = box->findChild<QDialogButtonBox *>();
    // The buttons and the default as Qt's own static boxes choose them.
    for (uint mask = QMessageBox::FirstButton; mask <= QMessageBox::LastButton; mask <<= 1) {
        const uint sb = uint(buttons) & mask;
        if (!sb)
            continue;
        QPushButton *button = box->addButton(QMessageBox::StandardButton(sb));
        if (box->defaultButton())
            continue;
        if ((defaultButton == QMessageBox::NoButton && buttonBox
             && buttonBox->buttonRole(button) == QDialogButtonBox::AcceptRole)
            || (defaultButton != QMessageBox::NoButton && sb == uint(defaultButton)))
            box->setDefaultButton(button);
    }
    return box;
}

QMessageBox::StandardButton Prompter::showBox(QMessageBox::Icon icon, QWidget *parent, const QString &title,
                                              const QString &text, QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)
{
    // The parent may go while the box runs its own event loop, and the box with it.
    QPointer<QMessageBox> box = createBox(icon, parent, title, text, buttons, defaultButton);
    const int result = box->exec();
    if (!box)
        return QMessageBox::Cancel;
    const QMessageBox::StandardButton clicked = box->standardButton(box->clickedButton());
    delete box;
    return result == -1 ? QMessageBox::Cancel : clicked;
}

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
    return showBox(QMessageBox::Information, parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton Prompter::warning(QWidget *parent, const QString &title, const QString &text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)
{
    return showBox(QMessageBox::Warning, parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton Prompter::critical(QWidget *parent, const QString &title, const QString &text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton)
{
    return showBox(QMessageBox::Critical, parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton Prompter::question(QWidget *parent, const QString &title, const QString &text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton)
{
    return showBox(QMessageBox::Question, parent, title, text, buttons, defaultButton);
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

#ifndef SCRIPTEDPROMPTER_H
#define SCRIPTEDPROMPTER_H

#include "mainwindow/prompter.h"

#include <QList>
#include <QQueue>
#include <QVariant>
#include <functional>

// A Prompter for tests: records every call, answers from a script, and
// fails the running test on a prompt nobody scripted.
class ScriptedPrompter : public Prompter
{
public:
    struct Call {
        QString kind;      // "information", "warning", "critical", "question", "openFileName", ...,
                           // "exec", "openUrl", "startDetached"
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QString dialogClass;    // for exec
        QStringList arguments;  // for startDetached
        QFileDialog::Options options;   // for existingDirectory
    };
    // An answer: a button for boxes, a string for choosers, an int for exec
    // (or a handler that drives the dialog and returns its result), a bool
    // for openUrl/startDetached.
    using DialogHandler = std::function<int(QDialog *)>;

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    // Queue answers in the order the prompts will come.
    void answer(QMessageBox::StandardButton b) { m_answers.enqueue(QVariant::fromValue(int(b))); }
    void answerText(const QString &s) { m_answers.enqueue(s); }
    void answerDialog(DialogHandler h) { m_dialogs.enqueue(h); }
    void answerBool(bool b) { m_answers.enqueue(b); }
    // Runs f inside the next box, before it is answered: what happens while
    // the box is up.
    void duringNextBox(std::function<void()> f) { m_duringBox.enqueue(f); }
    // Boxes that only have an OK button are answered OK without scripting.
    void setAutoOk(bool on) { m_autoOk = on; }

    QList<Call> calls;
    // The process id a started program reports: by default this test's own,
    // a program that stays open for as long as the test runs.
    qint64 startedPid;
    QStringList unexpected;    // prompts that had no scripted answer

    // Texts of the calls of one kind (or all), for exact assertions.
    QStringList texts(const QString &kind = QString()) const;
    // What the administrator saw, one line per prompt: "exec " and the
    // dialog's class, or the box's kind, title, ": " and text.
    QStringList trail() const;
    Call last() const { return calls.isEmpty() ? Call() : calls.last(); }
    void clear() { calls.clear(); unexpected.clear(); m_answers.clear(); m_dialogs.clear(); }

    QMessageBox::StandardButton information(QWidget *, const QString &title, const QString &text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton warning(QWidget *, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton critical(QWidget *, const QString &title, const QString &text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton question(QWidget *, const QString &title, const QString &text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;
    QString openFileName(QWidget *, const QString &caption, const QString &dir, const QString &filter) override;
    QStringList openFileNames(QWidget *, const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(QWidget *, const QString &caption, const QString &dir, const QString &filter) override;
    QString existingDirectory(QWidget *, const QString &caption, const QString &dir,
                              QFileDialog::Options options = QFileDialog::ShowDirsOnly) override;
    int exec(QDialog *dialog) override;
    bool openUrl(const QUrl &url) override;
    bool startDetached(const QString &program, const QStringList &arguments, qint64 *pid = nullptr) override;

private:
    QMessageBox::StandardButton box(const QString &kind, const QString &title, const QString &text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton);
    QString chooser(const QString &kind, const QString &caption, QFileDialog::Options options = {});

    QQueue<QVariant> m_answers;
    QQueue<DialogHandler> m_dialogs;
    QQueue<std::function<void()>> m_duringBox;
    bool m_autoOk = true;
    Prompter *m_previous = nullptr;
};

#endif // SCRIPTEDPROMPTER_H

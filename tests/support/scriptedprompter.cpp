#include "scriptedprompter.h"

#include <QCoreApplication>
#include <QDialog>
#include <QTest>
#include <QUrl>

ScriptedPrompter::ScriptedPrompter() : startedPid(QCoreApplication::applicationPid())
{
    m_previous = Prompter::install(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    // A prompt nobody scripted fails the test that met it, whether or not
    // the test looked: answered with its default, it took the console down
    // a path the test never meant to walk.
    if (!unexpected.isEmpty() && QTest::currentTestFunction())
        QTest::qFail(qPrintable(QLatin1String("unscripted prompts: ") + unexpected.join(QLatin1String("; "))),
                     __FILE__, __LINE__);
    Prompter::install(m_previous);
}

QStringList ScriptedPrompter::texts(const QString &kind) const
{
    QStringList out;
    for (const Call &c : calls)
        if (kind.isEmpty() || c.kind == kind)
            out << c.text;
    return out;
}

QStringList ScriptedPrompter::trail() const
{
    QStringList out;
    for (const Call &c : calls)
        out << (c.kind == QLatin1String("exec") ? QStringLiteral("exec ") + c.dialogClass
                                                : c.kind + QLatin1Char(' ') + c.title + QStringLiteral(": ") + c.text);
    return out;
}

QMessageBox::StandardButton ScriptedPrompter::box(const QString &kind, const QString &title, const QString &text,
                                                  QMessageBox::StandardButtons buttons,
                                                  QMessageBox::StandardButton defaultButton)
{
    Call c;
    c.kind = kind;
    c.title = title;
    c.text = text;
    c.buttons = buttons;
    c.defaultButton = defaultButton;
    calls << c;
    if (!m_duringBox.isEmpty())
        m_duringBox.dequeue()();
    if (!m_answers.isEmpty() && m_answers.head().typeId() == QMetaType::Int)
        return QMessageBox::StandardButton(m_answers.dequeue().toInt());
    if (m_autoOk && (buttons == QMessageBox::Ok || buttons == QMessageBox::NoButton))
        return QMessageBox::Ok;
    unexpected << kind + QLatin1String(": ") + title + QLatin1String(" / ") + text;
    return defaultButton != QMessageBox::NoButton ? defaultButton : QMessageBox::Cancel;
}

QMessageBox::StandardButton ScriptedPrompter::information(QWidget *, const QString &title, const QString &text,
                                                          QMessageBox::StandardButtons buttons,
                                                          QMessageBox::StandardButton defaultButton)
{
    return box(QStringLiteral("information"), title, text, buttons, defaultButton);
}

QMessageBox::StandardButton ScriptedPrompter::warning(QWidget *, const QString &title, const QString &text,
                                                      QMessageBox::StandardButtons buttons,
                                                      QMessageBox::StandardButton defaultButton)
{
    return box(QStringLiteral("warning"), title, text, buttons, defaultButton);
}

QMessageBox::StandardButton ScriptedPrompter::critical(QWidget *, const QString &title, const QString &text,
                                                       QMessageBox::StandardButtons buttons,
                                                       QMessageBox::StandardButton defaultButton)
{
    return box(QStringLiteral("critical"), title, text, buttons, defaultButton);
}

QMessageBox::StandardButton ScriptedPrompter::question(QWidget *, const QString &title, const QString &text,
                                                       QMessageBox::StandardButtons buttons,
                                                       QMessageBox::StandardButton defaultButton)
{
    return box(QStringLiteral("question"), title, text, buttons, defaultButton);
}

QString ScriptedPrompter::chooser(const QString &kind, const QString &caption, QFileDialog::Options options)
{
    Call c;
    c.kind = kind;
    c.title = caption;
    c.options = options;
    calls << c;
    if (!m_answers.isEmpty() && m_answers.head().typeId() == QMetaType::QString)
        return m_answers.dequeue().toString();
    unexpected << kind + QLatin1String(": ") + caption;
    return QString();
}

QString ScriptedPrompter::openFileName(QWidget *, const QString &caption, const QString &, const QString &)
{
    return chooser(QStringLiteral("openFileName"), caption);
}

QStringList ScriptedPrompter::openFileNames(QWidget *, const QString &caption, const QString &, const QString &)
{
    const QString s = chooser(QStringLiteral("openFileNames"), caption);
    return s.isEmpty() ? QStringList() : s.split(QLatin1Char('\n'));
}

QString ScriptedPrompter::saveFileName(QWidget *, const QString &caption, const QString &, const QString &)
{
    return chooser(QStringLiteral("saveFileName"), caption);
}

QString ScriptedPrompter::existingDirectory(QWidget *, const QString &caption, const QString &,
                                           QFileDialog::Options options)
{
    return chooser(QStringLiteral("existingDirectory"), caption, options);
}

int ScriptedPrompter::exec(QDialog *dialog)
{
    Call c;
    c.kind = QStringLiteral("exec");
    c.dialogClass = QString::fromLatin1(dialog->metaObject()->className());
    c.title = dialog->windowTitle();
    calls << c;
    if (!m_dialogs.isEmpty())
        return m_dialogs.dequeue()(dialog);
    unexpected << QLatin1String("exec: ") + c.dialogClass;
    return QDialog::Rejected;
}

bool ScriptedPrompter::openUrl(const QUrl &url)
{
    Call c;
    c.kind = QStringLiteral("openUrl");
    c.text = url.toString();
    calls << c;
    if (!m_answers.isEmpty() && m_answers.head().typeId() == QMetaType::Bool)
        return m_answers.dequeue().toBool();
    return true;
}

bool ScriptedPrompter::startDetached(const QString &program, const QStringList &arguments, qint64 *pid)
{
    if (pid)
        *pid = startedPid;
    Call c;
    c.kind = QStringLiteral("startDetached");
    c.text = program;
    c.arguments = arguments;
    calls << c;
    if (!m_answers.isEmpty() && m_answers.head().typeId() == QMetaType::Bool)
        return m_answers.dequeue().toBool();
    return true;
}

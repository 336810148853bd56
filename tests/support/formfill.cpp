#include "formfill.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QTableWidget>

QStringList fillForm(QDialog *dialog, const QStringList &edits)
{
    QStringList missing;
    for (const QString &edit : edits) {
        const qsizetype eq = edit.indexOf(QLatin1Char('='));
        const QString name = edit.left(eq);
        const QString value = edit.mid(eq + 1);
        QObject *w = dialog->findChild<QObject *>(name);
        if (auto *line = qobject_cast<QLineEdit *>(w))
            line->setText(value);
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            group->setChecked(value == QLatin1String("on"));
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            button->click();
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            combo->setCurrentIndex(value.toInt());
        else if (auto *table = qobject_cast<QTableWidget *>(w))
            qobject_cast<QCheckBox *>(table->cellWidget(value.toInt(), 0))->setChecked(true);
        else
            missing << name;
    }
    return missing;
}

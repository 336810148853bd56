#include "exportdevicelist.h"

#include "mainwindow/prompter.h"

#include <QFileInfo>

namespace DeviceListExport {

bool run(QWidget *parent, const QList<ThinclientInfo *> *shownDepartment,
         const std::function<QList<Department>()> &departmentsNow)
{
    if (!shownDepartment || shownDepartment->isEmpty()) {
        prompter()->information(parent, QStringLiteral("Export thinclient list"),
                                QStringLiteral("Cannot export list. No devices found!"));
        return false;
    }
    QString fileName = prompter()->saveFileName(parent, QStringLiteral("Save file as"), QString(),
                                                QStringLiteral("Text files (*.txt)"));
    if (fileName.isEmpty())
        return false;
    // The chooser asked before replacing the name as typed; a suffix added
    // here names another file, which gets the chooser's own question.
    const QString typed = fileName;
    fileName = withTxtSuffix(fileName);
    const QFileInfo target(fileName);
    if (fileName != typed && (target.exists() || target.isSymLink())
        && prompter()->warning(parent, QStringLiteral("Save file as"),
                               target.fileName() + QStringLiteral(" already exists.\nDo you want to replace it?"),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return false;

    int count = 0;
    const QByteArray bytes = content(departmentsNow ? departmentsNow() : QList<Department>(), &count);
    switch (writeFile(fileName, bytes)) {
    case FileResult::CannotCreate:
        prompter()->warning(parent, QStringLiteral("File create error"),
                            QStringLiteral("Error creating file\n\n") + fileName);
        return false;
    case FileResult::WriteFailed:
        prompter()->warning(parent, QStringLiteral("File write error"),
                            QStringLiteral("Error writing file\n\n") + fileName);
        return false;
    case FileResult::Written:
        break;
    }
    prompter()->information(parent, QStringLiteral("Export completed"),
                            QStringLiteral("\nData for ") + QString::number(count)
                                + QStringLiteral(" thinclients has been exported"));
    return true;
}

} // namespace DeviceListExport

#include "exportdevicelist.h"

#include "mainwindow/prompter.h"

namespace DeviceListExport {

bool run(QWidget *parent, const QList<ThinclientInfo *> *shownDepartment, const QList<Department> &departments)
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
    fileName = withTxtSuffix(fileName);

    int count = 0;
    const QByteArray bytes = content(departments, &count);
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

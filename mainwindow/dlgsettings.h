#ifndef DLGSETTINGS_H
#define DLGSETTINGS_H

#include "devicelink/columns.h"

#include <QDialog>
#include <QString>

class QListWidgetItem;
class QSettings;
class QTimer;
class Ui_DlgSettings;

// The descriptor behind one item of the column list: the position key it
// writes and the header text that goes with it.
struct ColumnInfo {
    QString key;
    QString header;
};

// The preferences dialog: working directory, ports, broadcast period, the
// device-list columns and, at first run, the offer to start the wizard. It
// closes only through a successful save.
class DlgSettings : public QDialog
{
    Q_OBJECT
public:
    DlgSettings(QWidget *parent, QSettings *settings, QTimer *updateTimer, bool showRunWizard);
    ~DlgSettings() override;

    // The run-wizard box as it was at the last successful save.
    bool runWizard() const { return m_runWizard; }

    void loadColumns();
    void saveColumns();

    // The column list's items in column-table order; owned by the list.
    QListWidgetItem *columnItems[Columns::Count] = {};

public slots:
    void reject() override;

private slots:
    void onSaveSettings();
    void onBrowseTemp();

private:
    // The column-table index a list item stands for; -1 for none.
    static int columnOf(const QListWidgetItem *item);
    bool validateInput();
    bool createDataDirectories(const QString &dir);

    Ui_DlgSettings *ui;
    QSettings *settings;
    QTimer *updateTimer;
    bool m_runWizard = false;
    ColumnInfo m_columnInfo[Columns::Count];
};

#endif // DLGSETTINGS_H

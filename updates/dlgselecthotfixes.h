#ifndef DLGSELECTHOTFIXES_H
#define DLGSELECTHOTFIXES_H

#include <QDialog>
#include <QList>
#include <QStringList>

class QCheckBox;
namespace Ui { class DlgSelectHotfixes; }

// The hotfix files of one model's directory, each with a check box. On OK
// the ticked files' absolute paths are appended to the caller's list.
class DlgSelectHotfixes : public QDialog
{
    Q_OBJECT
public:
    DlgSelectHotfixes(QWidget *parent, QStringList *chosen, const QString &directory);
    ~DlgSelectHotfixes() override;

    int rowCount() const { return int(m_rows.size()); }
    // Ticks a row as the administrator would (tests).
    void setChecked(int row, bool checked);

public slots:
    void accept() override;
    void reject() override;

private:
    struct Row {
        QString localPath;
        QCheckBox *checkBox;
    };
    Ui::DlgSelectHotfixes *ui;
    QStringList *m_chosen;
    QList<Row> m_rows;
};

#endif // DLGSELECTHOTFIXES_H

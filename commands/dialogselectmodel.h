#ifndef DIALOGSELECTMODEL_H
#define DIALOGSELECTMODEL_H

#include <QDialog>

namespace Ui { class DialogSelectModel; }

// Chooses a device model. OK does nothing until a model is picked; the
// chosen name then goes to the caller's string and exec() gives 1.
class DialogSelectModel : public QDialog
{
    Q_OBJECT
public:
    DialogSelectModel(QWidget *parent, QString *model);
    ~DialogSelectModel() override;

public slots:
    void accept() override;
    void reject() override;

private:
    Ui::DialogSelectModel *ui;
    QString *model;
};

#endif // DIALOGSELECTMODEL_H

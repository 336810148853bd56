#ifndef DLGSELECTUPDATESERVER_H
#define DLGSELECTUPDATESERVER_H

#include <QDialog>
#include <QStringList>

namespace Ui { class DlgSelectUpdateServer; }

// The wizard's server choice: OK with a server chosen sets the server base
// and closes; without one it does nothing. Closing the window keeps the base.
class DlgSelectUpdateServer : public QDialog
{
    Q_OBJECT
public:
    DlgSelectUpdateServer(QWidget *parent, QString *serverBase, QStringList *servers);
    ~DlgSelectUpdateServer() override;

public slots:
    void onBtnOKClicked();

private:
    Ui::DlgSelectUpdateServer *ui;
    QString *m_serverBase;
    QStringList *m_servers;
};

#endif // DLGSELECTUPDATESERVER_H

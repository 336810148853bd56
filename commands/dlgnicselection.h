#ifndef DLGNICSELECTION_H
#define DLGNICSELECTION_H

#include <QDialog>
#include <QList>
#include <QNetworkAddressEntry>
#include <QNetworkInterface>

namespace Ui { class DlgNicSelection; }

// Chooses one IPv4 address of a local interface that is up and not the
// loop-back. exec() gives 0 whether OK or the window's close button ended
// it, so callers compare their entry instead.
class DlgNicSelection : public QDialog
{
    Q_OBJECT
public:
    DlgNicSelection(QWidget *parent, QNetworkAddressEntry *entry);
    // The same over a given interface list.
    DlgNicSelection(QWidget *parent, QNetworkAddressEntry *entry, const QList<QNetworkInterface> &interfaces);
    ~DlgNicSelection() override;

    // What the list shows: for every IPv4 entry of an up, non-loop-back
    // interface, the interface's readable name and the entry, in Qt's order.
    // An interface with two IPv4 addresses appears twice.
    struct Choice {
        QString name;
        QNetworkAddressEntry entry;
    };
    static QList<Choice> choices(const QList<QNetworkInterface> &interfaces);

public slots:
    void onOK();

private:
    Ui::DlgNicSelection *ui;
    QNetworkAddressEntry *entry;
    QList<QNetworkAddressEntry> entries;
};

#endif // DLGNICSELECTION_H

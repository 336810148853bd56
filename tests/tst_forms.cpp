// Every form of the console, as laid out on this platform's font: no label,
// check box, radio button or push button is narrower than its text.
#include "commands/dlgusbredirection.h"
#include "mainwindow/formfit.h"
#include "mainwindow/prompter.h"
#include "updates/dlgselectdownloads.h"
#include "updates/dlgselecthotfixes.h"
#include "ui_aboutdialog.h"
#include "ui_dialogselectmodel.h"
#include "ui_dlgconfigdorn.h"
#include "ui_dlgconnectiontype.h"
#include "ui_dlgdigitalsignage.h"
#include "ui_dlgdsisync.h"
#include "ui_dlgeditwhitelist.h"
#include "ui_dlggetchoice.h"
#include "ui_dlggetfilelist.h"
#include "ui_dlggetnicinfo.h"
#include "ui_dlggettext.h"
#include "ui_dlggooglecloudprint.h"
#include "ui_dlghostcredentials.h"
#include "ui_dlginstallondevice.h"
#include "ui_dlgkeyboardtype.h"
#include "ui_dlgnicselection.h"
#include "ui_dlgprofileeditor.h"
#include "ui_dlgprofilemanager.h"
#include "ui_dlgselecthotfixes.h"
#include "ui_dlgsetcpuspeed.h"
#include "ui_dlgsetstatus.h"
#include "ui_dlgsettings.h"
#include "ui_dlgshowdevinfo.h"
#include "ui_dlgstartupmode.h"
#include "ui_dlgusbredirection.h"
#include "ui_dlgzorserverinfo.h"
#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QMainWindow>
#include <QTextDocument>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
using Form = std::function<QWidget *()>;

template <class Ui, class Base>
QWidget *form()
{
    auto *w = new Base;
    Ui ui;
    ui.setupUi(w);
    return w;
}

QString textOf(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    return static_cast<const QAbstractButton *>(w)->text();
}
} // namespace

Q_DECLARE_METATYPE(Form)

namespace {
using ListDialog = std::function<QDialog *(const QString &dir)>;
QList<UpgradeFile> downloads{{QStringLiteral("firmware"), QStringLiteral("ORL_K1"), QStringLiteral("k1.bin"),
                              QString(), QString(), QStringLiteral("2024-01-01"), QStringLiteral("K1 firmware"),
                              1 << 20, 0}};
QString serverBase;
QStringList servers;
QStringList chosenHotfixes;
} // namespace
Q_DECLARE_METATYPE(ListDialog)

class TestForms : public QObject
{
    Q_OBJECT
private slots:
    void noTextIsCut_data()
    {
        QTest::addColumn<Form>("make");
        QTest::newRow("aboutdialog.ui") << Form(form<Ui::AboutDialog, QDialog>);
        QTest::newRow("dialogselectmodel.ui") << Form(form<Ui::DialogSelectModel, QDialog>);
        QTest::newRow("dlgconfigdorn.ui") << Form(form<Ui::DlgConfigDorn, QDialog>);
        QTest::newRow("dlgconnectiontype.ui") << Form(form<Ui::DlgConnectionType, QDialog>);
        QTest::newRow("dlgdigitalsignage.ui") << Form(form<Ui::DlgDigitalSignage, QDialog>);
        QTest::newRow("dlgdsisync.ui") << Form(form<Ui::DlgDsiSync, QDialog>);
        QTest::newRow("dlgeditwhitelist.ui") << Form(form<Ui::DlgEditWhiteList, QDialog>);
        QTest::newRow("dlggetchoice.ui") << Form(form<Ui::DlgGetChoice, QDialog>);
        QTest::newRow("dlggetfilelist.ui") << Form(form<Ui::DlgGetFileList, QDialog>);
        QTest::newRow("dlggetnicinfo.ui") << Form(form<Ui::DlgGetNicInfo, QDialog>);
        QTest::newRow("dlggettext.ui") << Form(form<Ui::DlgGetText, QDialog>);
        QTest::newRow("dlggooglecloudprint.ui") << Form(form<Ui::DlgGoogleCloudPrint, QDialog>);
        QTest::newRow("dlghostcredentials.ui") << Form(form<Ui::DlgHostCredentials, QDialog>);
        QTest::newRow("dlginstallondevice.ui") << Form(form<Ui::DlgInstallOnDevice, QDialog>);
        QTest::newRow("dlgkeyboardtype.ui") << Form(form<Ui::DlgKeyboardType, QDialog>);
        QTest::newRow("dlgnicselection.ui") << Form(form<Ui::DlgNicSelection, QDialog>);
        QTest::newRow("dlgprofileeditor.ui") << Form(form<Ui::DlgProfileEditor, QDialog>);
        QTest::newRow("dlgprofilemanager.ui") << Form(form<Ui::DlgProfileManager, QDialog>);
        QTest::newRow("dlgselecthotfixes.ui") << Form(form<Ui::DlgSelectHotfixes, QDialog>);
        QTest::newRow("dlgsetcpuspeed.ui") << Form(form<Ui::DlgSetCpuSpeed, QDialog>);
        QTest::newRow("dlgsetstatus.ui") << Form(form<Ui::DlgSetStatus, QDialog>);
        QTest::newRow("dlgsettings.ui") << Form(form<Ui::DlgSettings, QDialog>);
        QTest::newRow("dlgshowdevinfo.ui") << Form(form<Ui::DlgShowDevInfo, QDialog>);
        QTest::newRow("dlgstartupmode.ui") << Form(form<Ui::DlgStartupMode, QDialog>);
        QTest::newRow("dlgusbredirection.ui") << Form(form<Ui::DlgUsbRedirection, QDialog>);
        QTest::newRow("dlgzorserverinfo.ui") << Form(form<Ui::DlgZorServerInfo, QDialog>);
        QTest::newRow("mainwindow.ui") << Form(form<Ui::MainWindow, QMainWindow>);
    }

    void noTextIsCut()
    {
        QFETCH(Form, make);
        std::unique_ptr<QWidget> w(make());
        FormFit::growClippedTexts(w.get());
        w->show();
        QStringList cut;
        for (const QWidget *child : w->findChildren<QWidget *>())
            if (FormFit::isClipped(child))
                cut << child->objectName() + QStringLiteral(" \"") + textOf(child) + QLatin1Char('"');
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
    }

    // A list the administrator picks from shows what will be sent or
    // installed; a cell typed over would show one thing and send another.
    void listCellsStayAsShown_data()
    {
        QTest::addColumn<ListDialog>("make");
        QTest::newRow("hotfixes") << ListDialog([](const QString &dir) -> QDialog * {
            QFile(dir + QStringLiteral("/fix1.bin")).open(QIODevice::WriteOnly);
            return new DlgSelectHotfixes(nullptr, &chosenHotfixes, dir);
        });
        QTest::newRow("downloads") << ListDialog([](const QString &) -> QDialog * {
            auto *d = new DlgSelectDownloads(nullptr, &downloads, &serverBase, &servers, QStringLiteral("http://x/"));
            d->findChild<QComboBox *>(QStringLiteral("cmbxServers"))->setCurrentIndex(0);
            return d;
        });
        QTest::newRow("usb redirection") << ListDialog([](const QString &) -> QDialog * {
            return new DlgUsbRedirection(nullptr, {QStringLiteral("ID 0781:5567 SanDisk Cruzer")});
        });
    }

    void listCellsStayAsShown()
    {
        QFETCH(ListDialog, make);
        QTemporaryDir dir;
        std::unique_ptr<QDialog> dialog(make(dir.path()));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        auto *table = dialog->findChild<QTableWidget *>(QStringLiteral("table"));
        QVERIFY(table && table->rowCount() > 0 && table->item(0, 1));
        const QString shown = table->item(0, 1)->text();
        table->setCurrentCell(0, 1);
        table->setFocus();
        QTRY_VERIFY(table->hasFocus());
        QTest::keyClicks(table, QStringLiteral("x"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // An editor hands its text over in a posted call.
        QCoreApplication::sendPostedEvents();
        QCOMPARE(table->item(0, 1)->text(), shown);
    }

    // What a device reports (here its model, on the box's first line) is
    // shown as its own characters, never taken for markup.
    void boxShowsReportedTextsPlain_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("tag") << QStringLiteral("<h1>ORL</h1>");
        QTest::newRow("image") << QStringLiteral("<img src=\"file:///etc/passwd\">");
        QTest::newRow("link") << QStringLiteral("<a href=\"http://x\">K1</a>");
        QTest::newRow("entity") << QStringLiteral("&lt;K1&gt;");
    }

    void boxShowsReportedTextsPlain()
    {
        QFETCH(QString, model);
        const QString text = QStringLiteral("The ") + model + QStringLiteral(" device named: \n\nx");
        std::unique_ptr<QMessageBox> box(Prompter::createBox(QMessageBox::Question, nullptr, QStringLiteral("t"),
                                                             text, QMessageBox::Yes | QMessageBox::No,
                                                             QMessageBox::Yes));
        const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        QCOMPARE(label->text(), text);
        QVERIFY(label->textFormat() == Qt::PlainText
                || (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(text)));
        QCOMPARE(box->standardButton(box->defaultButton()), QMessageBox::Yes);
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"

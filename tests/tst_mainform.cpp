// The main window's menus, tool bar and actions as the administrator sees them.
#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"
#include "scriptedprompter.h"
#include "windowfixture.h"

#include <QDir>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextDocument>
#include <QToolBar>
#include <QWidgetAction>

using namespace WindowFixture;

// One line per entry: text, then "\t" + shortcut when it has one; ">" before a submenu.
static QStringList entries(const QList<QAction *> &actions)
{
    QStringList out;
    for (QAction *a : actions) {
        if (a->isSeparator())
            continue;
        if (a->menu())
            out << QLatin1Char('>') + a->text();
        else
            out << a->text() + (a->shortcut().isEmpty() ? QString() : QLatin1Char('\t') + a->shortcut().toString());
    }
    return out;
}

// The actions a menu and its submenus hold.
static QList<QAction *> actionsUnder(QMenu *menu)
{
    QList<QAction *> out;
    for (QAction *a : menu->actions()) {
        if (a->menu())
            out += actionsUnder(a->menu());
        else if (!a->isSeparator())
            out << a;
    }
    return out;
}

// Counts the shortcuts that reach the objects it watches, and keeps them
// from acting.
class ShortcutCatcher : public QObject
{
public:
    QHash<QObject *, int> caught;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Shortcut)
            return false;
        ++caught[watched];
        return true;
    }
};

class TestMainForm : public QObject
{
    Q_OBJECT

    MainWindow *w = nullptr;
    ScriptedPrompter *prompter = nullptr;

    QMenu *menu(const QString &objectName) { return w->findChild<QMenu *>(objectName); }

private slots:
    void initTestCase()
    {
        prompter = new ScriptedPrompter;
        QSettings *s = newSettings();
        seedPreferences(s, freeTcpPort(), freeUdpPort());
        w = new MainWindow(nullptr, environment(s));
    }

    void cleanupTestCase()
    {
        delete w;
        delete prompter;
    }

    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("menu bar") << "" << QStringList{">&File", ">&Edit", ">&Tools", ">&Help", ">&About"};
        QTest::newRow("File") << "menuFile" << QStringList{"Exit\tCtrl+Q"};
        QTest::newRow("Edit") << "menuEdit" << QStringList{"Settings"};
        QTest::newRow("Help") << "menuHelp" << QStringList{"Online Help"};
        QTest::newRow("About") << "menuAbout" << QStringList{"About Korvane ..."};
        QTest::newRow("Tools") << "menuView"
                               << QStringList{">Quick launch", ">Configuration", ">Downloads", ">Install", ">Log",
                                              ">Storage", "Set power save mode\tCtrl+Shift+E",
                                              "Set firewall state\tCtrl+Shift+F", "Set keyboard type\tCtrl+Shift+K",
                                              "Set Orlconfig password", "Show serial number", "Setup USB redirection",
                                              "Clear application settings", "Sync digital signage directory",
                                              "Export thinclient list", "Reset to factory defaults",
                                              "Exit upgrade mode", "Profile manager\tCtrl+Alt+P"};
        QTest::newRow("Quick launch") << "menuQuick_launch"
                                      << QStringList{"Change device name\tCtrl+D", "Set access protocol\tCtrl+A",
                                                     "Configure displays\tCtrl+M", "Reboot device\tCtrl+R",
                                                     "Set time zone\tCtrl+T",      "Enter upgrade mode\tCtrl+U",
                                                     "Upgrade firmware\tCtrl+F"};
        QTest::newRow("Configuration") << "menuConfiguration"
                                       << QStringList{"Korvane server configuration\tCtrl+Shift+T",
                                                      "Set PXE server configuration\tCtrl+Shift+R",
                                                      "Google Cloud Print Configuration\tCtrl+Shift+P",
                                                      "Terminal services gateway configuration\tCtrl+Shift+S",
                                                      "Network configuration\tCtrl+Shift+N"};
        QTest::newRow("Downloads") << "menuDownloads"
                                   << QStringList{"Clear updates cache\tCtrl+Shift+C", "Download updates\tCtrl+Shift+D"};
        QTest::newRow("Install") << "menuInstall"
                                 << QStringList{"Install Korvane client\tCtrl+Shift+U", "Install Hotfix\tCtrl+Shift+H",
                                                "Install file on device\tCtrl+Shift+I"};
        QTest::newRow("Log") << "menuLog"
                             << QStringList{"Get device log files\tCtrl+Shift+G", "Set device log state\tCtrl+Shift+L"};
        QTest::newRow("Storage") << "menuWhite_list" << QStringList{"Dedicate storage"};
    }

    void menus()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, expected);
        const QList<QAction *> actions = menu.isEmpty() ? w->menuBar()->actions() : this->menu(menu)->actions();
        QCOMPARE(entries(actions), expected);
    }

    void toolBar()
    {
        QToolBar *bar = w->ui->mainToolBar;
        QStringList shown;
        for (QAction *a : bar->actions()) {
            if (qobject_cast<QWidgetAction *>(a))
                shown << QStringLiteral("[logo]");
            else if (a->isVisible())
                shown << a->text();
            if (!qobject_cast<QWidgetAction *>(a)) {
                QVERIFY2(!a->toolTip().isEmpty(), qPrintable(a->text()));
                QVERIFY2(!a->icon().isNull(), qPrintable(a->text()));
                QVERIFY2(!a->icon().pixmap(48, 48).isNull(), qPrintable(a->text()));
            }
        }
        QCOMPARE(shown, (QStringList{"Discover", "Name", "Protocol", "Display", "Reboot", "Zone", "Upgrade", "Network",
                                     "Keyboard", "Firewall", "Upload", "Download", "Storage", "Wizard", "[logo]"}));
    }

    void discoverButtonShowsItsState()
    {
        QAction *discover = w->ui->btnUdpBroadcast;
        QVERIFY(discover->isCheckable());
        const QIcon icon = discover->icon();
        const QImage off = icon.pixmap(QSize(48, 48), QIcon::Normal, QIcon::Off).toImage();
        const QImage on = icon.pixmap(QSize(48, 48), QIcon::Normal, QIcon::On).toImage();
        QVERIFY(!off.isNull() && !on.isNull());
        QVERIFY(off != on);
    }

    void hiddenAndUnplacedActions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("Mode") << "actionEnter_upgrade_mode" << "Mode" << false << false;
        QTest::newRow("Enter upgrade mode") << "actionEnter_upgrade_mode_1" << "Enter upgrade mode" << false << false;
        QTest::newRow("EDID") << "actionSet_EDID_Resolution" << "Set EDID resolution" << true << false;
    }

    void hiddenAndUnplacedActions()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        QAction *a = w->findChild<QAction *>(name);
        QVERIFY(a);
        QCOMPARE(a->text(), text);
        QCOMPARE(a->isVisible(), visible);
        QCOMPARE(a->isEnabled(), enabled);
    }

    void actionWithoutSlotDoesNothing()
    {
        prompter->clear();
        QSignalSpy triggered(w->ui->actionTest, &QAction::triggered);
        w->ui->actionTest->trigger();
        QCOMPARE(triggered.size(), 1);
        QVERIFY(prompter->calls.isEmpty());
        QVERIFY(!w->noSaveOnExit);
    }

    // A status line holds device names and update comments: markup in one
    // is shown as its own characters.
    void statusShowsReportedTextsPlain_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("tag") << QStringLiteral("<h1>lab</h1>");
        QTest::newRow("image") << QStringLiteral("<img src=\"file:///etc/passwd\">");
        QTest::newRow("entity") << QStringLiteral("&lt;lab&gt;");
    }

    void statusShowsReportedTextsPlain()
    {
        QFETCH(QString, name);
        const QString text = QStringLiteral("The USB list of ") + name + QStringLiteral(" was not shown");
        w->setStatusText(text);
        QCOMPARE(w->statusLabel->text(), text);
        QVERIFY(w->statusLabel->textFormat() == Qt::PlainText
                || (w->statusLabel->textFormat() == Qt::AutoText && !Qt::mightBeRichText(text)));
        w->setStatusText(QString());
    }

    // Devices and the update server may send names of any length, with line
    // breaks: the status line stays one line inside the window.
    void statusStaysOneLineInTheWindow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("long name") << QStringLiteral("The USB list of %1 was not shown").arg(QString(1024, u'W'));
        QTest::newRow("line breaks")
            << QStringLiteral("The USB list of %1 was not shown").arg(QStringLiteral("lab\n").repeated(50));
        QTest::newRow("other breaks") << QStringLiteral("Downloading a\rb\vc\fd\u0085e\u2028f\u2029g : 5 %");
        QTest::newRow("megabyte") << QStringLiteral("Online updates: installing ") + QString(1 << 20, u'W');
    }

    void statusStaysOneLineInTheWindow()
    {
        QFETCH(QString, text);
        QStatusBar *bar = w->statusBar();
        w->setStatusText(QStringLiteral("x"));
        bar->layout()->activate();
        const QSize minimum = bar->minimumSizeHint();
        w->setStatusText(text);
        bar->layout()->activate();
        QCOMPARE(bar->minimumSizeHint(), minimum);
        QVERIFY(w->statusLabel->text().size() <= MainWindow::MaxStatusLength);
        QVERIFY(text.startsWith(w->statusLabel->text().left(10)));
        w->setStatusText(QString());
    }

    // The wizard's lock leaves the actions of its menus enabled: no shortcut
    // may reach one of them while it holds, and its end gives each back as it
    // was.
    void lockedMenusTakeNoShortcut()
    {
        const QList<QAction *> actions = actionsUnder(w->ui->menuEdit) + actionsUnder(w->ui->menuView);
        ShortcutCatcher catcher;
        QHash<QAction *, bool> before;
        for (QAction *a : actions) {
            before.insert(a, a->isEnabled());
            a->installEventFilter(&catcher);
        }
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        const auto fired = [&](QAction *a) {
            catcher.caught.clear();
            QTest::keySequence(w, a->shortcut());
            return catcher.caught.value(a);
        };
        w->disableDeviceActions();
        for (QAction *a : actions)
            QVERIFY2(a->shortcut().isEmpty() || fired(a) == 0, qPrintable(a->text()));
        w->enableDeviceActions();
        for (QAction *a : actions) {
            QVERIFY2(a->isEnabled() == before.value(a), qPrintable(a->text()));
            QVERIFY2(a->shortcut().isEmpty() || fired(a) == int(before.value(a)), qPrintable(a->text()));
        }
        w->hide();
    }

    void profileManagerOpensOnTheProfileDirectory()
    {
        prompter->clear();
        const QString dir = w->settings->value(QStringLiteral("profileDir")).toString();
        QVERIFY(QDir().mkpath(dir));
        QFile f(dir + QStringLiteral("/lab.prf"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QStringList shown;
        prompter->answerDialog([&shown](QDialog *d) {
            const auto *list = d->findChild<QListWidget *>(QStringLiteral("listWidget"));
            for (int i = 0; list && i < list->count(); ++i)
                shown << list->item(i)->text();
            return 0;
        });
        w->ui->actionProfileManager->trigger();
        QCOMPARE(prompter->last().dialogClass, QStringLiteral("DlgProfileManager"));
        QCOMPARE(shown, QStringList{QStringLiteral("lab")});
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"

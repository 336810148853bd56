// The upgrade actions from the administrator's side: which directories and
// files they accept, which boxes say so, and which device receives what.
#include "updates/core/devicemodels.h"
#include "updates/core/upgradepackets.h"
#include "updates/dlggetchoice.h"
#include "updates/dlgselecthotfixes.h"
#include "updates/upgradecommands.h"

#include "devicelink/thinclientinfo.h"
#include "fakedevices.h"
#include "scriptedprompter.h"
#include "testfiles.h"

#include <QRadioButton>
#include <QSettings>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QDate Today(2026, 12, 7);

// Writes files given as "name:id"; an id of -1 writes a file without a header.
void writeFiles(const QString &dir, const QStringList &files)
{
    for (const QString &spec : files) {
        const QString name = spec.section(QLatin1Char(':'), 0, 0);
        const int id = spec.section(QLatin1Char(':'), 1).toInt();
        QVERIFY(TestFiles::write(dir + QLatin1Char('/') + name,
                                 id < 0 ? QByteArray(200, 't') : DeviceModels::imageHeader(id) + name.toLatin1()));
    }
}
} // namespace

class TestUpgradeCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firmwareDirectory_data();
    void firmwareDirectory();
    void firmwareModelChoice_data();
    void firmwareModelChoice();
    void firmwareToOneDevice();
    void chosenVersionKeepsLinks();
    void latestVersionOnOneLine_data();
    void latestVersionOnOneLine();
    void storeThroughALink_data();
    void storeThroughALink();
    void clientGroups_data();
    void clientGroups();
    void clientOutsideStore();
    void hotfixChecksEachDevice();
    void hotfixNothingTicked();
    void hotfixDevicesJoinWhileWarning();
    void hotfixWarningNamesModelOnOneLine();
    void hotfixNotSentToADeviceChangedMeanwhile_data();
    void hotfixNotSentToADeviceChangedMeanwhile();
    void hotfixPathLatin1CannotHold_data();
    void hotfixPathLatin1CannotHold();
    void backingOut_data();
    void backingOut();

private:
    // Devices of these models, ticked and online unless the model ends in
    // "/off" (offline) or "/unticked".
    QList<ThinclientInfo *> devices(const QStringList &models);
    // "title|text" of every box shown.
    QStringList boxes() const;
    // Indices of the devices that received a frame, joined by ",".
    QString receivers(const QList<ThinclientInfo *> &list) const;
    // Answers the hotfix chooser by ticking every file it offers, and the
    // question after it with Yes.
    void tickEveryHotfix();

    FakeDevices m_fake;
    ScriptedPrompter *m_prompter = nullptr;
    QTemporaryDir m_dir;
    QSettings *m_settings = nullptr;
};

void TestUpgradeCommands::init()
{
    m_prompter = new ScriptedPrompter;
    m_prompter->setAutoOk(true);
    m_settings = new QSettings(m_dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    m_settings->setValue(QStringLiteral("firmwareImageDir"), m_dir.filePath(QStringLiteral("fw")));
    m_settings->setValue(QStringLiteral("appImageDir"), m_dir.filePath(QStringLiteral("app")));
    m_settings->setValue(QStringLiteral("hotfixDir"), m_dir.filePath(QStringLiteral("hf")));
}

void TestUpgradeCommands::cleanup()
{
    m_fake.reset();
    delete m_prompter;
    delete m_settings;
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

QList<ThinclientInfo *> TestUpgradeCommands::devices(const QStringList &models)
{
    QList<ThinclientInfo *> list;
    for (const QString &spec : models) {
        const QString model = spec.section(QLatin1Char('/'), 0, 0);
        const QString state = spec.section(QLatin1Char('/'), 1);
        list << m_fake.add(model, state != QLatin1String("unticked"), state != QLatin1String("off"));
    }
    return list;
}

QStringList TestUpgradeCommands::boxes() const
{
    QStringList out;
    for (const ScriptedPrompter::Call &call : m_prompter->calls)
        if (call.kind != QLatin1String("exec"))
            out << call.title + QLatin1Char('|') + call.text;
    return out;
}

QString TestUpgradeCommands::receivers(const QList<ThinclientInfo *> &list) const
{
    QStringList out;
    for (int i = 0; i < list.size(); ++i)
        if (!m_fake.writtenTo(list.at(i)).isEmpty())
            out << QString::number(i);
    return out.join(QLatin1Char(','));
}

void TestUpgradeCommands::firmwareDirectory_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("models");
    QTest::addColumn<QString>("store");      // firmwareImageDir relative to the test's directory
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("box");        // "title|text" start, or empty
    QTest::addColumn<QString>("receivers");
    QTest::addColumn<QString>("commandModel");

    const QStringList k1 = {"uImage.bin:1", "rfs_jffs2.img:1"};
    QTest::newRow("outside the store") << k1 << QStringList{"ORL K1"} << "elsewhere" << -1
                                       << "Wrong directory selected|Firmware files must be present in:" << "" << "";
    QTest::newRow("empty store setting") << k1 << QStringList{"ORL K1"} << "" << 0 << "" << "0" << "ORL K1";
    QTest::newRow("prefixes in capitals") << QStringList{"RFS_JFFS2.IMG:1", "UIMAGE.BIN.new:1"}
                                          << QStringList{"ORL K1"} << "fw" << 0 << "" << "0" << "ORL K1";
    QTest::newRow("the kernel listed last") << QStringList{"uImage.bin:1", "uImage.bin.2:1"} << QStringList{"ORL K1"}
                                            << "fw" << 0 << "" << "0" << "ORL K1";
    QTest::newRow("only a bad header") << QStringList{"uImage.bin:-1", "notes.txt:1"} << QStringList{"ORL K1"} << "fw"
                                       << -1 << "Firmware upgrade|No upgrade files found in \n\n" << "" << "";
    QTest::newRow("a model without firmware") << QStringList{"rfs_jffs2.a:1", "uImage.bin:7"}
                                              << QStringList{"ORL K1"} << "fw" << -1
                                              << "Invalid firmware file|The files you have selected are not valid "
                                                 "firmware images"
                                              << "" << "";
    // A device flashes the kernel and the root file system it is sent: both
    // must be its own model's.
    QTest::newRow("kernel and root file system of two models")
        << QStringList{"rfs_jffs2.k2:6", "uImage.bin:1"} << QStringList{"ORL K1", "orl k2", "HV QB"} << "fw" << -1
        << "Invalid firmware file|The files you have selected are not valid firmware images" << "" << "";
    QTest::newRow("kernels of two models") << QStringList{"uImage.bin.a:6", "uImage.bin.b:1"}
                                           << QStringList{"ORL K1", "orl k2", "HV QB"} << "fw" << 0 << "" << "0"
                                           << "ORL K1";
    QTest::newRow("one model under both ids") << QStringList{"rfs_jffs2.img:5", "uImage.bin:1"}
                                              << QStringList{"orl k1", "ORL K2"} << "fw" << 0 << "" << "0"
                                              << "ORL K1";
    // "ORL WY2" contains "ORL WY", yet its images are not an "ORL WY2"'s.
    QTest::newRow("longer model keeps its own") << QStringList{"uImage.bin:11"} << QStringList{"ORL WY2", "ORL WY"}
                                                << "fw" << 0 << "" << "1" << "ORL WY";
    QTest::newRow("nobody matches") << QStringList{"uImage.bin:11"} << QStringList{"ORL WY2", "ORL WY/off",
                                                                                   "ORL WY/unticked"}
                                    << "fw" << 0
                                    << "Upgrading firmware|\nFirmware upgrade command has NOT been sent to any devices"
                                    << "" << "";
}

void TestUpgradeCommands::firmwareDirectory()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, models);
    QFETCH(QString, store);
    QFETCH(QString, box);
    QFETCH(QString, commandModel);
    const QString dir = m_dir.filePath(QStringLiteral("fw/ORL K1/1.2"));
    writeFiles(dir, files);
    m_settings->setValue(QStringLiteral("firmwareImageDir"), store.isEmpty() ? QString() : m_dir.filePath(store));
    const QList<ThinclientInfo *> list = devices(models);

    QTEST(UpgradeCommands::upgradeFirmware(nullptr, &list, nullptr, dir, m_settings, Today), "result");
    const QStringList shown = boxes();
    QCOMPARE(shown.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty())
        QVERIFY2(shown.first().startsWith(box), qPrintable(shown.first()));
    QTEST(receivers(list), "receivers");
    if (!commandModel.isEmpty()) {
        QString kernel, rootFs;
        for (const QString &spec : files) {
            const QString name = spec.section(QLatin1Char(':'), 0, 0);
            (name.startsWith(QLatin1String("uimage"), Qt::CaseInsensitive) ? kernel : rootFs) = dir + '/' + name;
        }
        const QByteArray expected = UpgradePackets::upgradeFirmware(Today, commandModel, kernel, rootFs);
        for (ThinclientInfo *device : list)
            if (!m_fake.writtenTo(device).isEmpty())
                QCOMPARE(m_fake.writtenTo(device), expected);
    }
}

void TestUpgradeCommands::firmwareModelChoice_data()
{
    QTest::addColumn<QStringList>("models");
    QTest::addColumn<QString>("box");
    QTest::newRow("no devices") << QStringList() << "Upgrading firmware|\nCannot upgrade firmware. No devices found!";
    QTest::newRow("none ticked") << QStringList{"ORL K1/unticked", "ORL K1/off"}
                                 << "Upgrading firmware|\nCannot upgrade firmware. No devices selected!";
    QTest::newRow("two models") << QStringList{"ORL K1", "orl k1", "ORL K2", "ORL K2"}
                                << "Upgrading firmware|You have selected multiple models:\n\nORL K1, ORL K2\n\n"
                                   "Please select just one model to upgrade firmware";
    QTest::newRow("a model whose name holds another's")
        << QStringList{"ORL WY2", "ORL WY", "ORL WY"}
        << "Upgrading firmware|You have selected multiple models:\n\nORL WY2, ORL WY\n\n"
           "Please select just one model to upgrade firmware";
    // The devices name their models: a line break in one adds no line to the box.
    QTest::newRow("a model with line breaks")
        << QStringList{"ORL K1", "ORL K2\n\nPlease select"}
        << "Upgrading firmware|You have selected multiple models:\n\nORL K1, ORL K2  Please select\n\n"
           "Please select just one model to upgrade firmware";
    QTest::newRow("no version downloaded") << QStringList{"ORL K1", "orl k1"}
                                           << "Upgrading firmware|\nNo firmware upgrades were found.\n\nYou can "
                                              "download firmware upgrades by clicking on the Download button in "
                                              "the toolbar";
    // A model is the device's word: one that names a path finds nothing,
    // even where the path leads to versions.
    const char *const none = "Upgrading firmware|\nNo firmware upgrades were found.\n\nYou can download firmware "
                             "upgrades by clicking on the Download button in the toolbar";
    QTest::newRow("a model that climbs out") << QStringList{"../elsewhere/ORL K1"} << none;
    QTest::newRow("a model that is the store") << QStringList{"."} << none;
}

void TestUpgradeCommands::firmwareModelChoice()
{
    QFETCH(QStringList, models);
    for (const char *dir : {"fw/4.3.0", "elsewhere/ORL K1/4.3.0"})
        QVERIFY(QDir(m_dir.path()).mkpath(QLatin1String(dir)));
    const QList<ThinclientInfo *> list = devices(models);
    QFETCH(QString, box);
    UpgradeCommands::upgradeFirmwareAction(nullptr, &list, m_settings, Today);
    QCOMPARE(boxes(), QStringList{box});
    QVERIFY(m_fake.writes.isEmpty());
}

void TestUpgradeCommands::firmwareToOneDevice()
{
    const QString dir = m_dir.filePath(QStringLiteral("fw/ORL K1/1.2"));
    writeFiles(dir, {"uImage.bin:5"});
    const QList<ThinclientInfo *> list = devices({"orl k1/unticked", "ORL K1/off", "ORL K1 Plus"});
    // The wizard's device: its tick does not count, its model must be equal.
    QCOMPARE(UpgradeCommands::upgradeFirmware(nullptr, &list, list[0], dir, m_settings, Today), 0);
    QCOMPARE(UpgradeCommands::upgradeFirmware(nullptr, &list, list[1], dir, m_settings, Today), -1);
    QCOMPARE(UpgradeCommands::upgradeFirmware(nullptr, &list, list[2], dir, m_settings, Today), 0);
    QCOMPARE(receivers(list), QStringLiteral("0"));
    QVERIFY(boxes().isEmpty());
}

void TestUpgradeCommands::chosenVersionKeepsLinks()
{
    writeFiles(m_dir.filePath(QStringLiteral("fw/ORL K1/1.2")), {"uImage.bin:5"});
    const QList<ThinclientInfo *> list = devices({"ORL K1"});
    m_prompter->answerDialog([](QDialog *dialog) {
        static_cast<DlgGetChoice *>(dialog)->choice = 2;
        return int(QDialog::Accepted);
    });
    m_prompter->answerText(QString());
    UpgradeCommands::upgradeFirmwareAction(nullptr, &list, m_settings, Today);
    QCOMPARE(m_prompter->last().kind, QStringLiteral("existingDirectory"));
    QCOMPARE(m_prompter->last().options, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

// A version folder's name came with a package: it adds no lines to the
// choice that offers it, nor to the box that refuses its path.
void TestUpgradeCommands::latestVersionOnOneLine_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("firmware") << "firmware" << "fw/ORL K1" << "uImage.bin:5" << "Install latest firmware version "
                              << "\nThe firmware paths hold characters that devices cannot read:\n\n";
    QTest::newRow("client") << "client" << "app" << "a.pkg:1" << "Install latest Korvane client version "
                            << "\nThe package path holds characters that devices cannot read:\n\n";
}

void TestUpgradeCommands::latestVersionOnOneLine()
{
    QFETCH(QString, action);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QFETCH(QString, choice);
    QFETCH(QString, refusal);
    const QString version = QStringLiteral("1.2\u2028\u2028Recommended\n");
    writeFiles(m_dir.filePath(folder + QLatin1Char('/') + version), {file});
    const QList<ThinclientInfo *> list = devices({"ORL K1"});
    QString offered;
    m_prompter->answerDialog([&offered](QDialog *dialog) {
        offered = dialog->findChild<QRadioButton *>(QStringLiteral("rdbtn_1"))->text();
        dialog->accept();
        return dialog->result();
    });
    m_prompter->answer(QMessageBox::Yes);
    if (action == QLatin1String("firmware"))
        UpgradeCommands::upgradeFirmwareAction(nullptr, &list, m_settings, Today);
    else
        UpgradeCommands::upgradeClient(nullptr, &list, m_settings, Today);
    const QString oneLine = QStringLiteral("1.2  Recommended ");
    QCOMPARE(offered, choice + oneLine);
    QVERIFY2(m_prompter->texts().last().startsWith(refusal + m_dir.filePath(folder + QLatin1Char('/') + oneLine)),
             qPrintable(m_prompter->texts().last()));
}

// The store and the chosen version may be named one through a link and the
// other by where the link leads: the version is in the store all the same.
// Devices fetch only what is named under the store, as set or where it
// leads: a version chosen through a link from outside goes out as where
// the link leads.
void TestUpgradeCommands::storeThroughALink_data()
{
    QTest::addColumn<QString>("store");       // relative to the test's directory; "link" leads to "real"
    QTest::addColumn<QString>("directory");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("sent");        // the kernel's folder in the command
    QTest::newRow("store set through the link") << "link/fw" << "real/fw/ORL K1/1.2" << 0 << "real/fw/ORL K1/1.2";
    QTest::newRow("both through the link") << "link/fw" << "link/fw/ORL K1/1.2" << 0 << "link/fw/ORL K1/1.2";
    QTest::newRow("version chosen through the link")
        << "real/fw" << "link/fw/ORL K1/1.2" << 0 << "real/fw/ORL K1/1.2";
    QTest::newRow("a store beside it") << "real/fw2" << "link/fw/ORL K1/1.2" << -1 << "";
    QTest::newRow("through a link in the store leading out")
        << "real/fw2" << "real/fw2/out/ORL K1/1.2" << -1 << "";
}

void TestUpgradeCommands::storeThroughALink()
{
    QFETCH(QString, store);
    QFETCH(QString, directory);
    writeFiles(m_dir.filePath(QStringLiteral("real/fw/ORL K1/1.2")), {"uImage.bin:5"});
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("real/fw2"))));
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("real")), m_dir.filePath(QStringLiteral("link"))));
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("real/fw")), m_dir.filePath(QStringLiteral("real/fw2/out"))));
    m_settings->setValue(QStringLiteral("firmwareImageDir"), m_dir.filePath(store));
    const QList<ThinclientInfo *> list = devices({"ORL K1"});
    QFETCH(int, result);
    QCOMPARE(UpgradeCommands::upgradeFirmware(nullptr, &list, nullptr, m_dir.filePath(directory), m_settings, Today),
             result);
    QCOMPARE(receivers(list), result == 0 ? QStringLiteral("0") : QString());
    QFETCH(QString, sent);
    // The path travels in the wire's Latin-1, not as the disk names it.
    if (!sent.isEmpty())
        QVERIFY(m_fake.writtenTo(list.first()).contains((m_dir.filePath(sent) + "/uImage.bin").toLatin1()));
}

void TestUpgradeCommands::clientGroups_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("models");
    QTest::addColumn<QStringList>("packages");   // per device: the file it is told to fetch
    QTest::addColumn<QString>("box");

    QTest::newRow("one package per group") << QStringList{"a.pkg:1", "b.pkg:14", "readme.txt:-1"}
                                           << QStringList{"HV WY", "ORL K1", "ORL K2"}
                                           << QStringList{"b.pkg", "a.pkg", ""} << "";
    QTest::newRow("one package for every Pyrel") << QStringList{"p.pkg:3"}
                                                 << QStringList{"Pyrel PC", "Pyrel Instance", "Pyrel Server/off"}
                                                 << QStringList{"p.pkg", "p.pkg", ""} << "";
    QTest::newRow("longer model keeps its own") << QStringList{"wy.pkg:11", "wy2.pkg:12"}
                                                << QStringList{"ORL WY2", "ORL WY"}
                                                << QStringList{"wy2.pkg", "wy.pkg"} << "";
    QTest::newRow("the package listed last") << QStringList{"a.pkg:9", "b.pkg:9"} << QStringList{"ORL QB32"}
                                             << QStringList{"b.pkg"} << "";
    QTest::newRow("a model without a group") << QStringList{"a.pkg:1", "k3.pkg:7"} << QStringList{"ORL K1"}
                                             << QStringList{""}
                                             << "Invalid firmware file|The files you have selected are not valid "
                                                "firmware images";
    QTest::newRow("no usable package") << QStringList{"readme.txt:-1"} << QStringList{"ORL K1"} << QStringList{""}
                                       << "Upgrade Korvane client|No upgrade files found in \n\n";
    QTest::newRow("nobody matches") << QStringList{"a.pkg:1"} << QStringList{"ORL K1/unticked", "HV QB"}
                                    << QStringList{"", ""}
                                    << "Upgrading Korvane client|\nUpgrade command has NOT been sent to any device(s)";
}

void TestUpgradeCommands::clientGroups()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, models);
    QFETCH(QStringList, packages);
    QFETCH(QString, box);
    const QString dir = m_dir.filePath(QStringLiteral("app/7.2.0"));
    writeFiles(dir, files);
    writeFiles(m_dir.filePath(QStringLiteral("app/7.1.9")), {"old.pkg:1"});
    const QList<ThinclientInfo *> list = devices(models);
    // The newest version, as offered.
    m_prompter->answerDialog([](QDialog *d) {
        d->accept();
        return d->result();
    });

    UpgradeCommands::upgradeClient(nullptr, &list, m_settings, Today);
    const QStringList shown = boxes();
    QCOMPARE(shown.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty())
        QVERIFY2(shown.first().startsWith(box), qPrintable(shown.first()));
    for (int i = 0; i < list.size(); ++i) {
        const QByteArray expected = packages.at(i).isEmpty()
            ? QByteArray()
            : UpgradePackets::upgradeClient(Today, dir + QLatin1Char('/') + packages.at(i));
        QCOMPARE(m_fake.writtenTo(list.at(i)), expected);
    }
}

void TestUpgradeCommands::clientOutsideStore()
{
    // Devices fetch only from inside the store, so a package elsewhere is refused.
    writeFiles(m_dir.filePath(QStringLiteral("app/7.2.0")), {"a.pkg:1"});
    const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere"));
    writeFiles(elsewhere, {"a.pkg:1"});
    const QList<ThinclientInfo *> list = devices({"ORL K1"});
    m_prompter->answerDialog([](QDialog *dialog) {
        static_cast<DlgGetChoice *>(dialog)->choice = 2;
        return int(QDialog::Accepted);
    });
    m_prompter->answerText(elsewhere);
    UpgradeCommands::upgradeClient(nullptr, &list, m_settings, Today);
    QCOMPARE(boxes().size(), 2);   // the chooser, then the refusal
    QCOMPARE(boxes().last(), QStringLiteral("Wrong directory selected|Korvane client files must be present in:\n\n%1"
                                            "\n\nBut you selected\n\n%2\n\nYou can change this directory in "
                                            "Edit->Settings menu")
                                 .arg(m_dir.filePath(QStringLiteral("app")), elsewhere));
    QVERIFY(m_fake.writes.isEmpty());
}

void TestUpgradeCommands::hotfixChecksEachDevice()
{
    const QString dir = m_dir.filePath(QStringLiteral("hf/ORL K1"));
    writeFiles(dir, {"hf%4.2.1%.bin:1", "hf5%4.2.1%.bin:5", "bad.bin:-1", "k2%4.2.1%.bin:6", "notes.txt:1"});
    // A link would hand devices a file from outside the store.
    writeFiles(m_dir.path(), {"outside%4.2.1%.bin:1"});
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("outside%4.2.1%.bin")),
                        dir + QStringLiteral("/link%4.2.1%.bin")));
    const QList<ThinclientInfo *> list = devices({"ORL K1", "orl k1", "ORL K1/unticked"});
    list[0]->firmwareVersion = QStringLiteral("4.2.1");
    list[1]->firmwareVersion = QStringLiteral("4.2.10");
    m_prompter->answerDialog([](QDialog *d) {
        auto *dialog = static_cast<DlgSelectHotfixes *>(d);
        // Every .bin file, and nothing else, is offered.
        if (dialog->rowCount() != 4)
            return 0;
        for (int row = 0; row < dialog->rowCount(); ++row)
            dialog->setChecked(row, true);
        dialog->accept();
        return dialog->result();
    });
    m_prompter->answer(QMessageBox::Yes);

    UpgradeCommands::installHotfix(nullptr, &list, m_settings, Today);
    const QString title = QStringLiteral("Hotfix installation|");
    const QString bad = title + QStringLiteral("This is not a valid hotfix file:\n\n") + dir + QStringLiteral("/bad.bin");
    const QString foreign = title + QStringLiteral("This is not a valid hotfix file for %1 devices:\n\n") + dir
        + QStringLiteral("/k2%4.2.1%.bin");
    const QString mismatch = title
        + QStringLiteral("The following hotfix file cannot be installed due to a firmware version mismatch\n\n") + dir;
    QStringList expected = {title + QStringLiteral("Are you sure you want to install hotfix on selected devices?"),
                            bad, foreign.arg(QStringLiteral("ORL K1")), mismatch + QStringLiteral("/hf%4.2.1%.bin"),
                            mismatch + QStringLiteral("/hf5%4.2.1%.bin"), bad, foreign.arg(QStringLiteral("orl k1"))};
    QStringList shown = boxes();
    shown.sort();
    expected.sort();
    QCOMPARE(shown, expected);

    // Ids 1 and 5 are one model; the second device's version fits neither.
    QCOMPARE(m_fake.writtenTo(list[0]),
             UpgradePackets::installHotfix(Today, "ORL K1", {dir + "/hf%4.2.1%.bin", dir + "/hf5%4.2.1%.bin"}));
    QVERIFY(m_fake.writtenTo(list[1]).isEmpty());
    QVERIFY(m_fake.writtenTo(list[2]).isEmpty());
}

void TestUpgradeCommands::hotfixNothingTicked()
{
    writeFiles(m_dir.filePath(QStringLiteral("hf/ORL K1")), {"hf%4.2.1%.bin:1"});
    const QList<ThinclientInfo *> list = devices({"ORL K1", "ORL K2/unticked"});
    // OK with no file ticked ends the operation without the question.
    m_prompter->answerDialog([](QDialog *d) {
        d->accept();
        return d->result();
    });
    UpgradeCommands::installHotfix(nullptr, &list, m_settings, Today);
    QVERIFY(boxes().isEmpty());

    // A model without a directory of its own.
    list[0]->model = QStringLiteral("HV QB");
    UpgradeCommands::installHotfix(nullptr, &list, m_settings, Today);
    QCOMPARE(boxes(), QStringList{QStringLiteral("Hotfix selection|Hotfix directory does not exist:\n\n")
                                  + m_dir.filePath(QStringLiteral("hf/HV QB"))});
    // Nor has a model that names a path, wherever it leads.
    m_prompter->calls.clear();
    list[0]->model = QStringLiteral("../hf/ORL K1");
    UpgradeCommands::installHotfix(nullptr, &list, m_settings, Today);
    QCOMPARE(boxes(), QStringList{QStringLiteral("Hotfix selection|Hotfix directory does not exist:\n\n")
                                  + m_dir.filePath(QStringLiteral("hf/../hf/ORL K1"))});
    // Nor is a line break in the model shown as one.
    m_prompter->calls.clear();
    list[0]->model = QStringLiteral("ORL K1\n\nis no server");
    UpgradeCommands::installHotfix(nullptr, &list, m_settings, Today);
    QCOMPARE(boxes(), QStringList{QStringLiteral("Hotfix selection|Hotfix directory does not exist:\n\n")
                                  + m_dir.filePath(QStringLiteral("hf/ORL K1  is no server"))});
    QVERIFY(m_fake.writes.isEmpty());
    QVERIFY(m_prompter->unexpected.isEmpty());
}

void TestUpgradeCommands::tickEveryHotfix()
{
    m_prompter->answerDialog([](QDialog *d) {
        auto *dialog = static_cast<DlgSelectHotfixes *>(d);
        for (int row = 0; row < dialog->rowCount(); ++row)
            dialog->setChecked(row, true);
        dialog->accept();
        return dialog->result();
    });
    m_prompter->answer(QMessageBox::Yes);
}

void TestUpgradeCommands::hotfixDevicesJoinWhileWarning()
{
    const QString dir = m_dir.filePath(QStringLiteral("hf/ORL K1"));
    writeFiles(dir, {"hf%4.2.1%.bin:1", "bad.bin:-1"});
    QList<ThinclientInfo *> list = devices({"ORL K1", "ORL K1"});
    for (ThinclientInfo *device : list)
        device->firmwareVersion = QStringLiteral("4.2.1");
    tickEveryHotfix();
    // Devices register into the department while the first warning is up;
    // the list grows under the loop that raised it.
    m_prompter->duringNextBox([&] {});
    m_prompter->duringNextBox([&] {
        for (int i = 0; i < 200; ++i)
            list << m_fake.add(QStringLiteral("ORL K1"), false);
    });

    UpgradeCommands::installHotfix(nullptr, &list, m_settings, Today);
    const QByteArray expected = UpgradePackets::installHotfix(Today, "ORL K1", {dir + "/hf%4.2.1%.bin"});
    QCOMPARE(m_fake.writtenTo(list[0]), expected);
    QCOMPARE(m_fake.writtenTo(list[1]), expected);
    QCOMPARE(m_fake.writes.size(), 2);
}

// A device that registers again while a warning is up reports its model
// anew: a line break in it adds no line to the warnings that name it.
void TestUpgradeCommands::hotfixWarningNamesModelOnOneLine()
{
    const QString dir = m_dir.filePath(QStringLiteral("hf/ORL K1"));
    writeFiles(dir, {"hf%4.2.1%.bin:1", "bad.bin:-1"});
    QList<ThinclientInfo *> list = devices({"ORL K1", "ORL K1"});
    tickEveryHotfix();
    m_prompter->duringNextBox([] {});
    m_prompter->duringNextBox([&] { list[1]->model = QStringLiteral("ORL K1\n\nis no server"); });

    UpgradeCommands::installHotfix(nullptr, &list, m_settings, Today);
    QVERIFY(boxes().contains(QStringLiteral("Hotfix installation|This is not a valid hotfix file for ORL K1  is no "
                                            "server devices:\n\n")
                             + dir + QStringLiteral("/hf%4.2.1%.bin")));
}

void TestUpgradeCommands::hotfixNotSentToADeviceChangedMeanwhile_data()
{
    // What happens to the first device while the warning about its second
    // file is up.
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("version");   // the firmware it reports then
    QTest::newRow("back on a newer firmware") << "reconnects" << "4.3.0";
    QTest::newRow("offline, connection kept") << "offline" << "4.2.1";
    QTest::newRow("a newer firmware reported on the same connection") << "reports" << "4.3.0";
}

void TestUpgradeCommands::hotfixNotSentToADeviceChangedMeanwhile()
{
    QFETCH(QString, change);
    QFETCH(QString, version);
    const QString dir = m_dir.filePath(QStringLiteral("hf/ORL K1"));
    // The good file is checked first, then the warning about the other one.
    writeFiles(dir, {"hf%4.2.1%.bin:1", "zz.bin:-1"});
    QList<ThinclientInfo *> list = devices({"ORL K1", "ORL K1"});
    for (ThinclientInfo *device : list)
        device->firmwareVersion = QStringLiteral("4.2.1");
    tickEveryHotfix();
    QSslSocket newConnection;
    m_prompter->duringNextBox([] {});
    m_prompter->duringNextBox([&] {
        if (change == QLatin1String("reconnects"))
            list[0]->socket = &newConnection;
        else if (change == QLatin1String("offline"))
            list[0]->online = false;
        list[0]->firmwareVersion = version;
    });

    UpgradeCommands::installHotfix(nullptr, &list, m_settings, Today);
    // The file was accepted for what the device reported before: it goes
    // only to the device still on the connection it was checked on.
    const QByteArray expected = UpgradePackets::installHotfix(Today, "ORL K1", {dir + "/hf%4.2.1%.bin"});
    QCOMPARE(m_fake.writtenTo(list[1]), expected);
    QCOMPARE(m_fake.writes.size(), 1);
}

void TestUpgradeCommands::hotfixPathLatin1CannotHold_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    const QString cyrillic = QString::fromUtf8("\u0414\u043e\u043a%4.2.1%.bin");
    QTest::newRow("Cyrillic") << cyrillic << cyrillic;
    // A name a package brought: it adds no lines to the box.
    QTest::newRow("line separators") << "hf%4.2.1%\u2028\u2028It is safe.bin" << "hf%4.2.1%  It is safe.bin";
}

void TestUpgradeCommands::hotfixPathLatin1CannotHold()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    const QString dir = m_dir.filePath(QStringLiteral("hf/ORL K1"));
    writeFiles(dir, {"hf%4.2.1%.bin:1", name + ":1"});
    const QList<ThinclientInfo *> list = devices({"ORL K1"});
    list[0]->firmwareVersion = QStringLiteral("4.2.1");
    tickEveryHotfix();

    UpgradeCommands::installHotfix(nullptr, &list, m_settings, Today);
    QCOMPARE(boxes().last(), QStringLiteral("Hotfix installation|The path of the following hotfix file holds "
                                            "characters that devices cannot read\n\n")
                                 + dir + QLatin1Char('/') + shown);
    QCOMPARE(m_fake.writtenTo(list[0]), UpgradePackets::installHotfix(Today, "ORL K1", {dir + "/hf%4.2.1%.bin"}));
}

void TestUpgradeCommands::backingOut_data()
{
    // Each answer in turn: "accept" takes the dialog as offered (every
    // hotfix ticked), "reject" cancels it (after ticking every hotfix),
    // "own" picks "Let me select", "dir:" answers the chooser ("dir:"
    // alone cancels it), "yes" and "no" the question.
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("sent");
    QTest::newRow("firmware, all the way") << "firmware" << QStringList{"accept", "yes"} << true;
    QTest::newRow("firmware, choice cancelled") << "firmware" << QStringList{"reject"} << false;
    QTest::newRow("firmware, chooser cancelled") << "firmware" << QStringList{"own", "dir:"} << false;
    QTest::newRow("firmware, chosen then No") << "firmware" << QStringList{"own", "dir:fw/ORL K1/1.2", "no"} << false;
    QTest::newRow("firmware, No") << "firmware" << QStringList{"accept", "no"} << false;
    QTest::newRow("client, all the way") << "client" << QStringList{"accept"} << true;
    QTest::newRow("client, choice cancelled") << "client" << QStringList{"reject"} << false;
    QTest::newRow("client, chooser cancelled") << "client" << QStringList{"own", "dir:"} << false;
    QTest::newRow("hotfix, all the way") << "hotfix" << QStringList{"accept", "yes"} << true;
    QTest::newRow("hotfix, ticked then cancelled") << "hotfix" << QStringList{"reject"} << false;
    QTest::newRow("hotfix, No") << "hotfix" << QStringList{"accept", "no"} << false;
}

void TestUpgradeCommands::backingOut()
{
    QFETCH(QString, action);
    QFETCH(QStringList, answers);
    QFETCH(bool, sent);
    writeFiles(m_dir.filePath(QStringLiteral("fw/ORL K1/1.2")), {"uImage.bin:5"});
    writeFiles(m_dir.filePath(QStringLiteral("app/7.2.0")), {"a.pkg:1"});
    writeFiles(m_dir.filePath(QStringLiteral("hf/ORL K1")), {"hf%4.2.1%.bin:1"});
    const QList<ThinclientInfo *> list = devices({"ORL K1"});
    list[0]->firmwareVersion = QStringLiteral("4.2.1");
    for (const QString &answer : answers) {
        if (answer == QLatin1String("yes") || answer == QLatin1String("no")) {
            m_prompter->answer(answer == QLatin1String("yes") ? QMessageBox::Yes : QMessageBox::No);
        } else if (answer.startsWith(QLatin1String("dir:"))) {
            const QString dir = answer.mid(4);
            m_prompter->answerText(dir.isEmpty() ? QString() : m_dir.filePath(dir));
        } else {
            m_prompter->answerDialog([answer](QDialog *d) {
                if (auto *hotfixes = qobject_cast<DlgSelectHotfixes *>(d))
                    for (int row = 0; row < hotfixes->rowCount(); ++row)
                        hotfixes->setChecked(row, true);
                if (answer == QLatin1String("reject")) {
                    d->reject();
                    return d->result();
                }
                if (answer == QLatin1String("own")) {
                    static_cast<DlgGetChoice *>(d)->choice = 2;
                    return int(QDialog::Accepted);
                }
                d->accept();
                return d->result();
            });
        }
    }

    if (action == QLatin1String("firmware"))
        UpgradeCommands::upgradeFirmwareAction(nullptr, &list, m_settings, Today);
    else if (action == QLatin1String("client"))
        UpgradeCommands::upgradeClient(nullptr, &list, m_settings, Today);
    else
        UpgradeCommands::installHotfix(nullptr, &list, m_settings, Today);
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(QLatin1Char('\n'))));
    QCOMPARE(!m_fake.writes.isEmpty(), sent);
    // Backing out is told nothing: no information or warning follows.
    for (const ScriptedPrompter::Call &call : std::as_const(m_prompter->calls))
        QVERIFY2(sent || (call.kind != QLatin1String("information") && call.kind != QLatin1String("warning")),
                 qPrintable(call.title + QLatin1Char('|') + call.text));
}

QTEST_MAIN(TestUpgradeCommands)
#include "tst_upgradecommands.moc"

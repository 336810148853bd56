#include "dlgsettings.h"
#include "ui_dlgsettings.h"

#include "prompter.h"

#include "devicelink/utils.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidgetItem>
#include <QSettings>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The data directories under the working directory, in the order they are
// created and their keys written.
const struct {
    const char *subdir;
    const char *key;
} dataDirs[] = {
    {"firmware", "firmwareImageDir"},
    {"korvaneclient", "appImageDir"},
    {"hotfix", "hotfixDir"},
    {"temp", "tempDir"},
    {"profiles", "profileDir"},
};

// A broadcast period longer than a day helps nobody, and the timer takes
// milliseconds in an int.
constexpr int MaxFrequency = 86400;

// The temporary folder may be shared with other users: the default working
// directory there is taken only when it is a folder of this user's, not a
// link, nor a folder someone else made to receive the console's files.
bool isOwnDirectory(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink() && info.ownerId() == uint(::geteuid());
}

const QString inputValidation = QStringLiteral("Input Validation");

// The number a field holds when it is a whole number from low to high; 0 otherwise.
int numberInRange(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok && value >= low && value <= high ? value : 0;
}

// The file a path names now, or none. The store puts each write in place as
// a new file: a write that reached the disk leaves another file at its path.
QPair<dev_t, ino_t> fileAt(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_dev, st.st_ino};
}

QString settingText(QSettings *settings, const char *key, const char *fallback)
{
    const QString k = QLatin1String(key);
    return settings->contains(k) ? settings->value(k).toString() : QString::fromLatin1(fallback);
}

} // namespace

DlgSettings::DlgSettings(QWidget *parent, QSettings *settings, QTimer *updateTimer, bool showRunWizard)
    : QDialog(parent), ui(new Ui_DlgSettings), settings(settings), updateTimer(updateTimer)
{
    ui->setupUi(this);

    ui->chbxAutoUpdate->hide();
    m_runWizard = false;
    if (!showRunWizard)
        ui->chbxRunWizard->hide();

    connect(ui->btnSaveSettings, &QPushButton::clicked, this, &DlgSettings::onSaveSettings);
    connect(ui->btnBrowseTemp, &QPushButton::clicked, this, &DlgSettings::onBrowseTemp);
    // The directory field takes no typing, so the dialog would open with
    // Browse focused, and Enter, meant to save, would open the chooser.
    ui->tbxSSLPort->setFocus();

    // A relative directory (a hand-edited or damaged store) is why this
    // dialog opened at start: offered again, the data directories would go
    // under whatever folder the console was started in, and the next start
    // would ask once more. The field only takes a chosen directory, so the
    // default stands in for it.
    const QString stored = settings->value(QStringLiteral("zorWorkingDir")).toString();
    // One in the shared temporary folder that is gone, or that another user
    // may have made, is not offered again either: the default is made anew.
    if (settings->contains(QStringLiteral("zorWorkingDir")) && (stored.isEmpty() || !QDir::isRelativePath(stored))
        && !Utils::isNotOwnInSharedFolder(stored)) {
        ui->tbxTempDir->setText(stored);
    } else if (!QDir::tempPath().isEmpty()) {
        // Empty when the folder TMPDIR names is not there: the default would
        // then be a folder at the root.
        const QString dir = QDir::tempPath() + QStringLiteral("/korvane");
        // Other users may look into the shared folder: the department file
        // lists the fleet, and devices upload their files here.
        const bool own = isOwnDirectory(dir);
        const bool made = !own && QDir().mkdir(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // Where TMPDIR lies in another user's folder, the next start would
        // refuse the default again, and open this dialog at every start.
        if ((own || made) && !Utils::isNotOwnInSharedFolder(dir))
            ui->tbxTempDir->setText(dir);
        else if (made)
            QDir().rmdir(dir);
    }

    ui->tbxSSLPort->setText(settingText(settings, "SSLPort", "5808"));
    ui->tbxUDPBroadcastPort->setText(settingText(settings, "UDPPort", "7909"));
    ui->tbxBroadcastFrequency->setText(settingText(settings, "UDPFrequency", "5"));

    if (settings->contains(QStringLiteral("autoUpdate"))) {
        const bool enabled = settings->value(QStringLiteral("autoUpdate")).toString() == QLatin1String("enabled");
        ui->chbxAutoUpdate->setCheckState(enabled ? Qt::Checked : Qt::Unchecked);
    }

    // A row copied by a drag replaces the item it was copied from; the copy
    // is inserted empty and then given the original's data.
    connect(ui->listWidget->model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
                    QListWidgetItem *item = ui->listWidget->item(row);
                    const int column = columnOf(item);
                    if (column >= 0)
                        columnItems[column] = item;
                }
            });
    loadColumns();
}

DlgSettings::~DlgSettings()
{
    delete ui;
}

void DlgSettings::reject()
{
    // Escape and the close button land here; the store must never be left
    // half set up at first run, so only Save closes the dialog.
    prompter()->warning(this, QStringLiteral("Invalid input"),
                        QStringLiteral("\nClick on 'Save settings' to close this dialog box"), QMessageBox::Ok);
}

bool DlgSettings::validateInput()
{
    const struct {
        QString text;
        const char *message;
    } required[] = {
        {ui->tbxTempDir->text(), "You must specify a directory where Korvane can store temporary files"},
        {ui->tbxSSLPort->text(), "You must enter a value for SSL port number"},
        {ui->tbxUDPBroadcastPort->text(), "You must enter a value for UDP port number"},
        {ui->tbxBroadcastFrequency->text(), "You must enter a value for UDP broadcast frequency"},
    };
    for (const auto &r : required) {
        if (r.text.isEmpty()) {
            prompter()->information(nullptr, inputValidation, QString::fromLatin1(r.message), QMessageBox::Ok);
            return false;
        }
    }

    // Stored as 0, a port would make the server listen on a random port and
    // announce 0, and a period of 0 would flood the network with datagrams.
    const struct {
        QString text;
        int high;
        const char *message;
    } numbers[] = {
        {ui->tbxSSLPort->text(), 65535, "You must enter an SSL port number from 1 to 65535"},
        {ui->tbxUDPBroadcastPort->text(), 65535, "You must enter a UDP port number from 1 to 65535"},
        {ui->tbxBroadcastFrequency->text(), MaxFrequency,
         "You must enter a UDP broadcast frequency from 1 to 86400 seconds"},
    };
    for (const auto &n : numbers) {
        if (numberInRange(n.text, 1, n.high) == 0) {
            prompter()->information(nullptr, inputValidation, QString::fromLatin1(n.message), QMessageBox::Ok);
            return false;
        }
    }

    const QString dir = ui->tbxTempDir->text();
    if (!QDir(dir).exists()) {
        prompter()->warning(this, QStringLiteral("Directory not found"),
                            QStringLiteral("Korvane temp directory\n\n") + dir + QStringLiteral("\n\ndoes not exist!"),
                            QMessageBox::Ok);
        return false;
    }
    // The next start would refuse it as well: a folder others may write into
    // (the shared temporary folder, or one another user made in it) would
    // receive the fleet's files and hold firmware this console never put there.
    if (Utils::isNotOwnInSharedFolder(dir)) {
        prompter()->warning(this, inputValidation,
                            QStringLiteral("Korvane temp directory\n\n") + dir
                                + QStringLiteral("\n\nis open to other users. Choose a directory of your own."),
                            QMessageBox::Ok);
        return false;
    }
    return true;
}

bool DlgSettings::createDataDirectories(const QString &dir)
{
    QDir base(dir);
    for (const auto &d : dataDirs) {
        const QString name = QLatin1String(d.subdir);
        // A file of that name is no store: mkdir fails on it and says so.
        if (QFileInfo(base.filePath(name)).isDir())
            continue;
        if (!base.mkdir(name)) {
            prompter()->warning(this, QStringLiteral("Creating directory"),
                                QStringLiteral("Unable to create directory\n\n") + dir + QLatin1Char('/') + name,
                                QMessageBox::Ok);
            return false;
        }
    }
    return true;
}

void DlgSettings::onSaveSettings()
{
    if (!validateInput())
        return;
    const QString dir = ui->tbxTempDir->text();
    if (!createDataDirectories(dir))
        return;

    settings->setValue(QStringLiteral("zorWorkingDir"), dir);
    for (const auto &d : dataDirs)
        settings->setValue(QLatin1String(d.key), dir + QLatin1Char('/') + QLatin1String(d.subdir));

    settings->setValue(QStringLiteral("SSLPort"), ui->tbxSSLPort->text().toInt(nullptr, 10));
    settings->setValue(QStringLiteral("UDPPort"), ui->tbxUDPBroadcastPort->text().toInt(nullptr, 10));
    settings->setValue(QStringLiteral("UDPFrequency"), ui->tbxBroadcastFrequency->text().toInt(nullptr, 10));

    if (ui->chbxAutoUpdate->isChecked()) {
        settings->setValue(QStringLiteral("autoUpdate"), QStringLiteral("enabled"));
        // The update check runs one second after the dialog closes.
        if (updateTimer)
            updateTimer->start(1000);
    } else {
        settings->setValue(QStringLiteral("autoUpdate"), QStringLiteral("disabled"));
        if (updateTimer)
            updateTimer->stop();
    }

    m_runWizard = ui->chbxRunWizard->isChecked();
    saveColumns();
    // What could not be written lasts only in memory: this run goes on with
    // it, but the next start would open this dialog again, and the one after.
    // The status keeps the first error the store ever met, so only a change
    // tells of this write; whether the file can be written is asked afresh.
    // After an earlier error (the values a start sets, written on a disk
    // that was full then), only a new file at the store's path tells.
    const QSettings::Status before = settings->status();
    const auto old = fileAt(settings->fileName());
    settings->sync();
    const auto written = fileAt(settings->fileName());
    const bool failed = before == QSettings::NoError ? settings->status() == QSettings::AccessError
                                                      : written == decltype(written)() || written == old;
    if (!settings->isWritable() || failed)
        prompter()->warning(this, QStringLiteral("Korvane Preferences"),
                            QStringLiteral("\nKorvane could not save its settings to\n\n") + settings->fileName()
                                + QStringLiteral("\n\nThey apply only until Korvane closes: the next start finds "
                                                 "the file as it was."),
                            QMessageBox::Ok);
    done(QDialog::Accepted);
}

void DlgSettings::onBrowseTemp()
{
    const QString current = ui->tbxTempDir->text();
    const QString chosen = prompter()->existingDirectory(this, QStringLiteral("Select Korvane temp directory"),
                                                         current.isEmpty() ? QStringLiteral("/") : current);
    if (!chosen.isEmpty())
        ui->tbxTempDir->setText(chosen);
}

void DlgSettings::loadColumns()
{
    ui->listWidget->clear();

    QListWidgetItem *byPosition[Columns::Count] = {};
    QList<QListWidgetItem *> misplaced;    // shown, but at a position taken or out of range
    QList<QListWidgetItem *> hidden;

    for (int i = 0; i < Columns::Count; ++i) {
        const ColumnDef &c = Columns::table[i];
        m_columnInfo[i] = {QLatin1String(c.key), QLatin1String(c.header)};

        auto *item = new QListWidgetItem(QLatin1String(c.listText));
        columnItems[i] = item;
        // The column's index, not its descriptor's address: a drag that Qt
        // cannot make a move (one dropped just below where it started) copies
        // the row through its drag data, where a pointer does not survive and
        // the copy would lose its text, its tick and its column.
        item->setData(Qt::UserRole, i);

        const int position = settings->value(QLatin1String(c.key), QVariant()).toInt();
        if (position < 0) {
            item->setCheckState(Qt::Unchecked);
            hidden << item;
            continue;
        }
        item->setCheckState(Qt::Checked);
        // A hand-edited store may repeat a position or name one past the
        // table; such columns stay shown, after the well-placed ones.
        if (position < Columns::Count && !byPosition[position])
            byPosition[position] = item;
        else
            misplaced << item;
    }

    for (QListWidgetItem *item : byPosition)
        if (item)
            ui->listWidget->addItem(item);
    for (QListWidgetItem *item : misplaced)
        ui->listWidget->addItem(item);
    for (QListWidgetItem *item : hidden)
        ui->listWidget->addItem(item);
}

int DlgSettings::columnOf(const QListWidgetItem *item)
{
    bool ok = false;
    const int column = item ? item->data(Qt::UserRole).toInt(&ok) : -1;
    return ok && column >= 0 && column < Columns::Count ? column : -1;
}

void DlgSettings::saveColumns()
{
    QList<const ColumnInfo *> shown;
    QList<const ColumnInfo *> hidden;
    for (int row = 0; row < ui->listWidget->count(); ++row) {
        const QListWidgetItem *item = ui->listWidget->item(row);
        const int column = columnOf(item);
        if (column < 0)
            continue;
        const ColumnInfo *info = &m_columnInfo[column];
        if (item->data(Qt::CheckStateRole).toInt() != 0)
            shown << info;
        else
            hidden << info;
    }

    int i = 0;
    for (const ColumnInfo *info : shown) {
        settings->setValue(info->key, i);
        settings->setValue(Columns::textKey(i), info->header);
        ++i;
    }
    for (const ColumnInfo *info : hidden) {
        settings->setValue(info->key, -1);
        settings->setValue(Columns::textKey(i), QString());
        ++i;
    }
    Columns::renewLayout(settings);
}

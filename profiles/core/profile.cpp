#include "profile.h"

#include "devicelink/utils.h"
#include "updates/core/disksync.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// The five settings of each output, in the order of the file and of the rows.
const char *const outputSettings[] = {"Connector", "Position", "Referent", "Orientation", "Resolution"};

// The key texts of the nineteen string fields and the fifteen rows, in file
// order, each with its "=". Built once: a file is read with all of them.
const QList<QByteArray> &stringKeys()
{
    static const QList<QByteArray> keys = [] {
        QList<QByteArray> k{"zorServerHostname=", "zorServerPort=", "dispVideoMode=", "dispScreensaverTimeout="};
        for (const char *setting : outputSettings)
            for (int n = 1; n <= Profile::Outputs; ++n)
                k << "dispOp" + QByteArray::number(n) + setting + '=';
        return k;
    }();
    return keys;
}

const QList<QByteArray> &indexKeys()
{
    static const QList<QByteArray> keys = [] {
        QList<QByteArray> k;
        for (const char *setting : outputSettings)
            for (int n = 1; n <= Profile::Outputs; ++n)
                k << "dispCmbxOp" + QByteArray::number(n) + setting + "Index=";
        return k;
    }();
    return keys;
}

// Longer lines are read in pieces of this many bytes; a piece past the first
// counts as a line of its own.
constexpr qint64 MaxLineBytes = 2047;

// The next line that is not a comment or empty, without its line end (LF or
// CR LF); false at the end of the file or on a read error. With lineOpen,
// which holds whether the last piece read ended inside its line, the rest of
// a long line is passed over as well: a long value (a text pasted into a
// field) would otherwise give a key of its own wherever a piece of it starts
// like one.
bool nextDataLine(QIODevice *file, QByteArray *line, bool *lineOpen = nullptr)
{
    char piece[MaxLineBytes + 1];
    for (;;) {
        const qint64 n = file->readLine(piece, sizeof piece);
        if (n <= 0)
            return false;
        QByteArrayView view(piece, n);
        const bool rest = lineOpen && *lineOpen;
        if (lineOpen)
            *lineOpen = !view.endsWith('\n');
        if (view.endsWith('\n'))
            view.chop(1);
        if (view.endsWith('\r'))
            view.chop(1);
        if (rest || view.isEmpty() || view.startsWith('#'))
            continue;
        *line = view.toByteArray();
        return true;
    }
}

// What follows the first "=" of a line.
QByteArray valueOf(const QByteArray &line)
{
    return line.sliced(line.indexOf('=') + 1);
}

// The value of the first later line that starts with key, passing over
// every other line; false at the end of the file or on a read error.
bool findValue(QIODevice *file, const QByteArray &key, QByteArray *value)
{
    QByteArray line;
    while (nextDataLine(file, &line)) {
        if (line.startsWith(key)) {
            *value = valueOf(line);
            return true;
        }
    }
    return false;
}

// A string value in the file's encoding.
QString textOf(const QByteArray &value, Profile::Encoding encoding)
{
    return encoding == Profile::Encoding::Latin1 ? QString::fromLatin1(value) : QString::fromUtf8(value);
}

// Blanks allowed around the digits; anything else, or a number beyond 32
// bits, gives 0.
int toNumber(const QByteArray &value)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok, 10);
    return ok ? n : 0;
}

// A line break inside a value would start a line of its own in the file.
QByteArray fileValue(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return v.toUtf8();
}

// The string fields of a record in file order, zorServerHostname to
// dispOp3Resolution (const or not, as the record).
template <typename Record>
auto stringFields(Record &r)
{
    QList<decltype(&r.zorServerHostname)> fields{&r.zorServerHostname, &r.zorServerPort, &r.dispVideoMode,
                                                 &r.dispScreensaverTimeout};
    for (auto *setting : {r.dispOpConnector, r.dispOpPosition, r.dispOpReferent, r.dispOpOrientation,
                          r.dispOpResolution})
        for (int n = 0; n < Profile::Outputs; ++n)
            fields << &setting[n];
    return fields;
}

} // namespace

Profile::Profile(const QString &dir) : dir(dir)
{
    setDefaults();
}

void Profile::setDefaults()
{
    zorServerUseDHCP = true;
    zorServerHostname.clear();
    zorServerPort = QStringLiteral("5808");
    dispVideoMode = QStringLiteral("clone");
    dispScreensaverTimeout = QStringLiteral("20");
    for (int n = 0; n < Outputs; ++n) {
        dispOpConnector[n] = QStringLiteral("none");
        dispOpPosition[n] = QStringLiteral("none");
        dispOpReferent[n] = QStringLiteral("none");
        dispOpOrientation[n] = QStringLiteral("landscape");
        dispOpResolution[n] = QStringLiteral("auto");
    }
    for (qint32 &index : dispCmbxIndexes)
        index = 0;
}

bool Profile::isSafeName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        return false;
    for (const QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

QByteArray Profile::fileContent() const
{
    const QList<QByteArray> &strings = stringKeys();
    const QList<QByteArray> &indexes = indexKeys();
    const auto fields = stringFields(*this);

    QByteArray out = "#\n"
                     "# THIS IS AN AUTO-GENERATED FILE. DO NOT EDIT THIS FILE MANUALLY!\n"
                     "#\n"
                     "# Korvane profile configuration file\n"
                     "#\n"
                     "\n"
                     "Version=1\n"
                     "\n";
    out += "zorServerUseDHCP=" + QByteArray(zorServerUseDHCP ? "1" : "0") + '\n';
    for (int i = 0; i < strings.size(); ++i) {
        out += strings[i] + fileValue(*fields[i]) + '\n';
        // Blank lines after the server and after the display values.
        if (i == 1 || i == strings.size() - 1)
            out += '\n';
    }
    for (int i = 0; i < IndexCount; ++i)
        out += indexes[i] + QByteArray::number(dispCmbxIndexes[i]) + '\n';
    out += '\n';
    return out;
}

bool Profile::save() const
{
    if (dir.isEmpty() || !isSafeName(name))
        return false;
    QSaveFile file(dir + QLatin1Char('/') + name + QStringLiteral(".prf"));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray content = fileContent();
    // commit() does not see a failure of the final flush of the buffer.
    if (file.write(content) != content.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return DiskSync::commit(file);
}

bool Profile::load(const QString &fileName)
{
    if (dir.isEmpty() || fileName.isEmpty())
        return false;
    name = QFileInfo(fileName).completeBaseName();
    QFile file(dir + QLatin1Char('/') + fileName);
    // A pipe under the name would hold the console on open until a writer
    // came; a folder or a device is no profile either.
    // Read whole before the keys are looked for: a read that fails gives no
    // bytes, or part-way the bytes before it as if the file ended there, and
    // the keys missing would open as defaults for a save to write over the
    // file's own.
    QByteArray content;
    if (!Utils::openRegular(&file, false) || file.size() > MaxFileBytes
        || !Utils::readUpTo(&file, MaxFileBytes, &content))
        return false;
    QBuffer buffer(&content);
    buffer.open(QIODevice::ReadOnly);
    read(&buffer);
    return true;
}

void Profile::read(QIODevice *source)
{
    Encoding encoding = encodingOf(source);
    QByteArray content = source->read(MaxFileBytes);
    // A Windows editor's "Unicode" is UTF-16 behind a byte order mark, and its
    // "UTF-8" puts a mark before the first line: read byte by byte, no key of
    // the one and the first key of the other would be found.
    if (const auto marked = QStringConverter::encodingForData(content); marked == QStringConverter::Utf8) {
        if (encoding == Encoding::Utf8)
            content.remove(0, 3);
    } else if (marked) {
        content = QString(QStringDecoder(*marked).decode(content)).toUtf8();
        encoding = Encoding::Utf8;
    }
    // Some editors end lines with CR alone. Read up to LF only, such a file
    // would be one comment line, every value would open as its default and
    // the next save would write the defaults over it: CR alone ends a line.
    for (qsizetype i = 0; i < content.size(); ++i)
        if (content.at(i) == '\r' && (i + 1 == content.size() || content.at(i + 1) != '\n'))
            content[i] = '\n';
    QBuffer buffer(&content);
    buffer.open(QIODevice::ReadOnly);
    QIODevice *file = &buffer;
    // Each key is looked for in the whole file, wherever it stands, so that
    // a key missing, misspelt or out of place costs its own value alone. The
    // first line of a key counts; lines that start with no key (the version
    // line among them) are passed over.
    const QList<QByteArray> &strings = stringKeys();
    const QList<QByteArray> &indexes = indexKeys();
    QList<QByteArray> keys{"zorServerUseDHCP="};
    keys << strings << indexes;
    QList<QByteArray> values(keys.size());
    QList<bool> found(keys.size(), false);
    QByteArray line;
    bool lineOpen = false;
    while (nextDataLine(file, &line, &lineOpen)) {
        for (int k = 0; k < keys.size(); ++k) {
            if (!found[k] && line.startsWith(keys[k])) {
                found[k] = true;
                values[k] = valueOf(line);
                break;
            }
        }
    }

    if (found[0])
        zorServerUseDHCP = toNumber(values[0]) != 0;
    const auto fields = stringFields(*this);
    for (int i = 0; i < strings.size(); ++i) {
        const int k = 1 + i;
        if (found[k])
            *fields[i] = textOf(values[k], encoding);
    }
    for (int i = 0; i < IndexCount; ++i) {
        const int k = 1 + int(strings.size()) + i;
        if (found[k])
            dispCmbxIndexes[i] = toNumber(values[k]);
    }
}

Profile::Encoding Profile::encodingOf(QIODevice *file)
{
    const qint64 start = file->pos();
    QStringDecoder utf8(QStringDecoder::Utf8);
    // In pieces, so that a large file costs no more memory than a small one.
    char piece[16384];
    qint64 n = 0;
    // decode() converts only when its result is taken.
    QString decoded;
    while (!utf8.hasError() && (n = file->read(piece, sizeof piece)) > 0)
        decoded = utf8.decode(QByteArrayView(piece, n));
    // A character cut off by the end of the file shows as an error only
    // when something follows it.
    decoded = utf8.decode(QByteArrayView("\n", 1));
    file->seek(start);
    return utf8.hasError() ? Encoding::Latin1 : Encoding::Utf8;
}

bool Profile::readString(QIODevice *file, const QByteArray &key, QString *out, Encoding encoding)
{
    QByteArray value;
    if (!findValue(file, key, &value))
        return false;
    *out = textOf(value, encoding);
    return true;
}

bool Profile::readBool(QIODevice *file, const QByteArray &key, bool *out)
{
    int number = 0;
    if (!readInt(file, key, &number))
        return false;
    *out = number != 0;
    return true;
}

bool Profile::readInt(QIODevice *file, const QByteArray &key, int *out)
{
    QByteArray value;
    if (!findValue(file, key, &value))
        return false;
    *out = toNumber(value);
    return true;
}

// What devices get of the white list file, over any file content: the first
// two input bytes give the byte limit, the rest is the file. Never a crash;
// the payload is the start of the file as text mode reads it, within the
// limit, and only whole lines unless the first line alone is too long; the
// list editor reads the same lines.
#include "commands/core/whitelistfile.h"
#include "scratchdir.h"

#include <QFile>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int maxBytes = data[0] << 8 | data[1];
    const QByteArray content(reinterpret_cast<const char *>(data + 2), int(size - 2));
    QFile file(WhiteListFile::path(scratchDir()));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        abort();
    file.close();

    const QByteArray payload = WhiteListFile::payload(scratchDir(), maxBytes);
    const QByteArray text = QByteArray(content).replace('\r', "");
    if (payload.size() > maxBytes || !text.startsWith(payload))
        abort();
    if (text.size() <= maxBytes && payload != text)
        abort();
    if (text.size() > maxBytes && maxBytes > 0) {
        const bool firstLineCut = !text.left(maxBytes).contains('\n');
        const qsizetype nextEnd = text.indexOf('\n', payload.size());
        if (firstLineCut ? payload.size() != maxBytes
                         : !payload.endsWith('\n') || (nextEnd >= 0 && nextEnd < maxBytes))
            abort();
    }

    // The list editor reads the same text's lines, and saved again they read back the same.
    QStringList lines = WhiteListFile::load(scratchDir());
    QList<QByteArray> expected = text.split('\n');
    if (expected.last().isEmpty())
        expected.removeLast();
    // Carriage returns after the last line end are dropped, yet the stream
    // may still read one more, empty line (which no device line matches).
    const QByteArray tail = content.mid(content.lastIndexOf('\n') + 1);
    const bool crTail = !tail.isEmpty() && tail.count('\r') == tail.size();
    if (crTail && lines.size() == expected.size() + 1 && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() != expected.size())
        abort();
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).toLatin1() != expected.at(i))
            abort();
    if (!WhiteListFile::save(scratchDir(), lines) || WhiteListFile::load(scratchDir()) != lines)
        abort();
    return 0;
}

// The profile file reader over any bytes: never a crash, and what a read
// record writes settles after one more save and load (a first save may still
// change a file: line breaks in values become blanks, a Latin-1 file becomes
// UTF-8 and its longest lines may grow past what the reader takes).
#include "profiles/core/profile.h"

#include <QBuffer>

#include <cstdlib>

namespace {
QByteArray readAndWrite(const QByteArray &content)
{
    QBuffer file;
    file.setData(content);
    file.open(QIODevice::ReadOnly);
    Profile p(QStringLiteral("/nonexistent"));
    p.read(&file);
    return p.fileContent();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const QByteArray second = readAndWrite(readAndWrite(input));
    if (readAndWrite(second) != second)
        abort();
    return 0;
}

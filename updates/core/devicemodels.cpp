#include "devicemodels.h"

#include "devicelink/utils.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace DeviceModels {

static const Model Models[] = {
    {1, "orl k1", "ORL K1", "ORL_K1"},
    {2, "pyrel pc", "Pyrel PC", "Pyrel_PC"},
    {3, "pyrel server", "Pyrel Server", "Pyrel_Server"},
    {4, "pyrel instance", nullptr, nullptr},
    {5, "orl k1", "ORL K1", "ORL_K1"},
    {6, "orl k2", "ORL K2", "ORL_K2"},
    {7, "orl k3", nullptr, "ORL_K3"},
    {8, "orl k4", nullptr, "ORL_K4"},
    {9, "orl qb32", "ORL QB32", "ORL_QB32"},
    {10, "orl qb64", "ORL QB64", "ORL_QB64"},
    {11, "orl wy", "ORL WY", "ORL_WY"},
    {12, "orl wy2", "ORL WY2", "ORL_WY2"},
    {13, "orl wy3", "ORL WY3", "ORL_WY3"},
    {14, "hv wy", "HV WY", "HV_WY"},
    {15, "hv qb", "HV QB", "HV_QB"},
};

// Offsets and stored (uncomplemented) values of the header's magic bytes.
static const struct { int offset; quint8 value; } Magic[] = {{0, 0xDE}, {2, 0x6A}, {4, 0x8F}, {6, 0x94}};
constexpr int ComplementedBytes = 10;

const Model *model(int id)
{
    if (id < FirstModelId || id > LastModelId)
        return nullptr;
    return &Models[id - FirstModelId];
}

bool parseImageHeader(const QByteArray &header, int *modelId)
{
    if (header.size() < ImageHeaderSize)
        return false;
    quint8 bytes[ComplementedBytes];
    for (int i = 0; i < ComplementedBytes; ++i)
        bytes[i] = quint8(header[i]) ^ 0xFF;
    for (const auto &m : Magic)
        if (bytes[m.offset] != m.value)
            return false;
    const int id = qint8(bytes[1]);
    if (id < FirstModelId || id > LastModelId) {
        *modelId = -1;
        return false;
    }
    *modelId = id;
    return true;
}

bool readImageModelId(const QString &path, int *modelId)
{
    QFile file(path);
    // A folder's listing shows a link to a pipe as a file: its header would
    // be waited for, for good when nothing writes to it.
    if (!Utils::openRegular(&file, false))
        return false;
    const QByteArray header = file.read(ImageHeaderSize);
    file.close();
    return header.size() == ImageHeaderSize && parseImageHeader(header, modelId);
}

QByteArray imageHeader(int modelId)
{
    QByteArray header(ImageHeaderSize, '\0');
    for (const auto &m : Magic)
        header[m.offset] = char(m.value);
    header[1] = char(modelId);
    for (int i = 0; i < ComplementedBytes; ++i)
        header[i] = char(quint8(header[i]) ^ 0xFF);
    return header;
}

bool isModel(const QString &name, int id)
{
    const Model *row = model(id);
    if (name.isEmpty() || !row)
        return false;
    return name.toLower() == QLatin1String(row->lowerName);
}

bool matchesPercentTag(const QString &firmwareVersion, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype open = name.indexOf(QLatin1Char('%'));
    if (open < 0)
        return false;
    const qsizetype close = name.indexOf(QLatin1Char('%'), open + 1);
    if (close < 0)
        return false;
    return name.mid(open + 1, close - open - 1) == firmwareVersion;
}

bool isDirectoryName(const QString &model)
{
    return !model.isEmpty() && model != QLatin1String(".") && model != QLatin1String("..")
           && !model.contains(QLatin1Char('/')) && !model.contains(QLatin1Char('\\'))
           && !model.contains(QChar(0));
}

QString longestContainedName(const QString &deviceModel, const QStringList &names)
{
    QString best;
    for (const QString &name : names)
        if (name.size() > best.size() && deviceModel.contains(name, Qt::CaseInsensitive))
            best = name;
    return best;
}

} // namespace DeviceModels

#include "orlmimedata.h"

OrlMimeData::OrlMimeData(OrlTreeView *source)
    : formatList{QString::fromLatin1(Format)}, sourceView(source)
{
}

OrlMimeData::~OrlMimeData() = default;

QStringList OrlMimeData::formats() const
{
    return formatList;
}

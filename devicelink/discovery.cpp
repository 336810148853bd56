#include "discovery.h"
#include "utils.h"

QString Discovery::salt()
{
    // Built one character at a time so the text never sits whole in the binary.
    char s[26];
    const char parts[][6] = {{'K', 'v', '7', '#', 'm', 'Q'}, {'2', 'x', 'L', '!', 'p', '9'},
                             {'z', 'R', '4', '%', 't', 'W'}, {'8', 'c', 'N', '$', 'h', '5'}};
    int n = 0;
    for (const auto &part : parts)
        for (char c : part)
            s[n++] = c;
    s[n++] = 'j';
    s[n] = '\0';
    return QString::fromLatin1(s);
}

static const char Separator[] = " :: ";

QByteArray Discovery::datagram(const QString &ip, int port)
{
    const QString portText = QString::number(port, 10);
    QByteArray out = Utils::toWire(ip + QLatin1String(Separator) + portText + QLatin1String(Separator));
    out += Utils::toWire(Utils::md5Hex(ip + portText + salt()));
    out += Separator;
    return out;
}

bool Discovery::parse(const QByteArray &datagram, Announcement *out)
{
    if (datagram.size() > 512 || !datagram.endsWith(Separator))
        return false;
    const QList<QByteArray> parts = datagram.left(datagram.size() - 4).split(' ');
    // "ip", "::", "port", "::", "digest"
    if (parts.size() != 5 || parts.at(1) != "::" || parts.at(3) != "::")
        return false;
    const QString ip = QString::fromLatin1(parts.at(0));
    bool ok = false;
    const int port = parts.at(2).toInt(&ok);
    if (!ok || !Utils::isValidIPv4(ip) || port < 0 || port > 65535)
        return false;
    if (Utils::toWire(Utils::md5Hex(ip + QString::fromLatin1(parts.at(2)) + salt())) != parts.at(4))
        return false;
    out->ip = ip;
    out->port = port;
    return true;
}

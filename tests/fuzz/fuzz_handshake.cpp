// The handshake line check: any bytes, never a crash, and a line it accepts
// always yields a 32-digit lower-case answer.
#include "devicelink/sslserver.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray answer;
    const QByteArray line(reinterpret_cast<const char *>(data), int(size));
    if (SSLServer::checkHandshakeLine(line, &answer)) {
        if (answer.size() != 32)
            abort();
        for (char c : answer)
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
                abort();
    }
    return 0;
}

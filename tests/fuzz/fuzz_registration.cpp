// The registration parser of both versions, over whole frames of any content.
#include "devicelink/sslserver.h"
#include "devicelink/thinclientinfo.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ThinclientInfo record;
    SSLServer::parseRegistration(reinterpret_cast<const char *>(data), int(size), &record);
    if (record.edidCount > ThinclientInfo::MaxEdid || record.edid.size() != record.edidCount)
        abort();
    return 0;
}

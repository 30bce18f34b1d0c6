#include "dialogs/LibraryVersions.h"

extern "C" {
#include <libavcodec/avcodec.h>
}
#include <openssl/crypto.h>

namespace LibraryVersions {

QString openSsl()
{
    return QString::fromLatin1(OpenSSL_version(OPENSSL_VERSION));
}

int avcodecMajor()
{
    return int(avcodec_version() >> 16);
}

int avcodecMinor()
{
    return int((avcodec_version() >> 8) & 0xff);
}

int avcodecMicro()
{
    return int(avcodec_version() & 0xff);
}

} // namespace LibraryVersions

#pragma once

// How a Jet file is read where the file itself cannot say.

#include <QString>

struct JetOptions
{
    // Text encoding of a Jet 3 file (an iconv name such as "GBK"); empty
    // means the code page named in the header. Jet 4 and ACE store UCS-2.
    QString jet3Charset;
};

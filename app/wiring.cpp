#include "app/wiring.h"

#include "host/jet/jetsource.h"

SourceOpener jetOpener(JetOptions options)
{
    if (options.jet3Charset.isEmpty())
        options.jet3Charset = qEnvironmentVariable("QUILLMARK_JET3_CHARSET");
    return JetSource::opener(options);
}

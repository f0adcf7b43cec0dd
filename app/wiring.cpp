#include "app/wiring.h"

#include "host/jet/jetsource.h"
#include "host/jet/vbasource.h"

void wireJetHost(MainState &state, JetOptions options)
{
    if (options.jet3Charset.isEmpty())
        options.jet3Charset = qEnvironmentVariable("QUILLMARK_JET3_CHARSET");
    state.opener = JetSource::opener(options);
    state.moduleScan.opener = JetModuleSource::opener(options);
}

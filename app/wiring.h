#pragma once

// How both programs reach target files: the Jet reader behind the host's
// source interface.

#include "host/jet/jetoptions.h"
#include "host/source.h"

// Opens target files with the Jet reader. The Jet 3 charset comes from the
// options, else from QUILLMARK_JET3_CHARSET, else from the file's header.
SourceOpener jetOpener(JetOptions options);

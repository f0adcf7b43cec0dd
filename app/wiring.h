#pragma once

// How both programs reach target files: the Jet reader behind the host's
// source interfaces, for the DAO side and for the VBA modules.

#include "host/command/mainstate.h"
#include "host/jet/jetoptions.h"

// Wires the Jet reader into the state. The Jet 3 charset comes from the
// options, else from QUILLMARK_JET3_CHARSET, else from the file's header.
void wireJetHost(MainState &state, JetOptions options);

#pragma once

// How both programs reach target files: the Jet reader behind the host's
// source interfaces, for the DAO side, the VBA modules and the form and
// report designs the file stores, and the text exports beside it, which
// override the file for the objects they hold.

#include "host/command/mainstate.h"
#include "host/jet/jetoptions.h"

#include <functional>

// Wires the Jet reader into the state. The Jet 3 charset comes from the
// options, else from QUILLMARK_JET3_CHARSET, else from the file's header.
void wireJetHost(MainState &state, JetOptions options);

// Where a target's text exports are read, and how its file is.
struct DesignOptions
{
    // The export folder, asked each time a target is opened (the desktop
    // program's setting may change); unset or empty: <database>.src beside
    // the database.
    std::function<QString()> folder;
    // The code page of 8-bit export files; empty: the database's own code
    // page (the one its header names, as Access on that system writes its
    // exports), CP1252 when it names none.
    QString codePage;
    // How the file's own designs are read (as for wireJetHost).
    JetOptions jet = {};
};

// Designs from the export folder over the file's own, and the folder's
// modules over the file's (call after wireJetHost).
void wireDesigns(MainState &state, DesignOptions options);

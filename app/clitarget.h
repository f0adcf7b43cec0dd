#pragma once

// The options of every command that opens a target: how Jet 3 text and
// 8-bit design exports are decoded, and where the design exports are.

#include "app/cliargs.h"

class MainState;

// --jet3-charset NAME, --designs DIR, --design-charset NAME.
const QList<CliOption> &targetOptions();
// What is wrong with them, for the user; empty when nothing is.
QString checkTargetOptions(const CliArgs &args);
// The Jet reader and the design exports wired into the state as they say.
void wireTarget(MainState &state, const CliArgs &args);

// The --param NAME=VALUE pairs; false with what is wrong in *error.
bool parameterValues(const CliArgs &args, QHash<QString, QString> *values, QString *error);

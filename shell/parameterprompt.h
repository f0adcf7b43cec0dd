#pragma once

// The desktop's prompt for a query's parameters, as Access asks for them:
// one input box per parameter, titled with its name and showing its
// declared type. Cancelling raises 2501, which ends the export in its trap.

#include "host/objects/queryrunner.h"

class QWidget;

// The parent must outlive the prompt.
ParameterPrompt dialogParameterPrompt(QWidget *parent);

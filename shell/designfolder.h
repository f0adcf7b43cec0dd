#pragma once

// The desktop program's setting of where form and report designs (Access's
// text exports) are read, kept between runs in the user's settings. Empty:
// the folder beside each database (<database>.src).

#include "host/command/mainstate.h"
#include "host/command/ui.h"

#include <QString>

class QWidget;

QString savedDesignFolder();
void saveDesignFolder(const QString &folder);

// File > "デザインのフォルダ...": a folder dialog; cancelling keeps the
// setting. The status line says what is in effect from the next target.
void chooseDesignFolder(Ui &ui, QWidget *parent);

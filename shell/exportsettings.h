#pragma once

// The desktop program's setting of the code page delimited text is
// exported in, kept between runs in the user's settings: CP932 unless the
// user chose another (UTF-8 is written with a byte-order mark).

#include "host/command/ui.h"

#include <QString>

class QWidget;

QString delimitedCodePage();
void saveDelimitedCodePage(const QString &codePage);

// File > "テキスト出力の文字コード...": a list of the usual code pages, any
// other iconv name may be typed; an unknown one is refused in the status
// line and the setting kept.
void chooseDelimitedCodePage(Ui &ui, QWidget *parent);

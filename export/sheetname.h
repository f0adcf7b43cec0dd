#pragma once

// The name of a workbook's sheet after the object exported, by Excel's
// rules: at most 31 characters, none of : \ / ? * [ ], not beginning or
// ending with an apostrophe, not empty. Each forbidden character becomes
// "_"; a name left empty becomes "Sheet1".

#include <QString>

QString sheetNameFor(const QString &objectName);

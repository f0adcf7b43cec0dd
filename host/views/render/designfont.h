#pragma once

// The font a design names, as this system has it: the Windows fonts of
// Japanese designs map to the Ume faces of the same kind (proportional or
// fixed, Gothic or Mincho), Western ones to DejaVu; characters a face
// lacks come from the Japanese Gothic after it.

#include <QFont>
#include <QStringList>

// The families to try: the named font first where it is installed.
QStringList designFontFamilies(const QString &name);

QFont designFont(const QString &name, int pixelSize, int weight, bool italic, bool underline);

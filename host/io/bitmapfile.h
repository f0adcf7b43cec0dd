#pragma once

// A picture written as a Windows bitmap (BMP) through a file beside the
// path, so a failed write leaves no file and an old one as it was.

#include <QImage>
#include <QString>

// False with the reason in *error when the file cannot be written.
bool saveBitmap(const QImage &image, const QString &path, QString *error);

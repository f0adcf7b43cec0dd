#include "host/io/bitmapfile.h"

#include "host/io/atomicfile.h"

#include <QImageWriter>

bool saveBitmap(const QImage &image, const QString &path, QString *error)
{
    AtomicFile file(path);
    if (!file.open()) {
        *error = file.errorString();
        return false;
    }
    QImageWriter writer(file.device(), "bmp");
    if (!writer.write(image)) {
        *error = writer.errorString();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

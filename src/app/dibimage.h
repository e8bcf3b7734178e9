#pragma once

#include <QImage>
#include <QString>

// Reads a .bmp file or a one-image .ico whose picture is an uncompressed 8-bit DIB, as the program's own
// resources are, without Qt's image readers: the first use of those loads and probes every image-format
// plugin on the system, a noticeable part of start-up. Anything else is read by Qt's readers as before.
QImage readImage(const QString &path);

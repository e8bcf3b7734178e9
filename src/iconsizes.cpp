#include "app/dibimage.h"
#include "app/windowicons.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

// A build step: the window icon at the sizes given, scaled as the program itself would scale it.
//   iconsizes ICON OUTDIR SIZE...   writes OUTDIR/<name>.<size>x<size>
int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fputs("usage: iconsizes ICON OUTDIR SIZE...\n", stderr);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QImage picture = readImage(path);
    if (picture.isNull()) {
        std::fprintf(stderr, "iconsizes: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int side = QByteArray(argv[i]).toInt();
        const QString name = QStringLiteral("%1/%2.%3x%3")
                                 .arg(QString::fromLocal8Bit(argv[2]), QFileInfo(path).completeBaseName(),
                                      QString::number(side));
        QFile out(name);
        if (side <= 0 || !out.open(QIODevice::WriteOnly) ||
            out.write(packedIcon(scaledIcon(picture, {side, side}))) < 0) {
            std::fprintf(stderr, "iconsizes: cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}

// The files named on the window's command line.
#include "app/CommandLineFiles.h"

#include "gallery/FileSystem.h"

#include <QFile>

namespace kameola {

QStringList CommandLineFiles(int argc, char** argv)
{
    QStringList paths;
    for (int i = 1; i < argc; ++i)
        paths << QFile::decodeName(QByteArray::fromStdString(AbsolutePath(argv[i])));
    return paths;
}

} // namespace kameola

// SPDX-License-Identifier: MIT
// The one conversion between the windows' Qt strings and the file system's path bytes.
#include "app/PathText.h"

#include <QByteArray>

namespace kameola {

std::string PathFromText(const QString& text)
{
    return text.toUtf8().toStdString();
}

QString TextFromPath(const std::string& path)
{
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

} // namespace kameola

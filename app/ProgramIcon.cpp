// SPDX-License-Identifier: MIT
// The program's icon for its windows.
#include "app/ProgramIcon.h"

namespace kameola {

QIcon BuiltInProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(kIconName)).arg(size), QSize(size, size));
    return icon;
}

QIcon ProgramIcon()
{
    return QIcon::fromTheme(QLatin1String(kIconName), BuiltInProgramIcon());
}

} // namespace kameola

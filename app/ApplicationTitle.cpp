// SPDX-License-Identifier: MIT
// The application title: shown as the caption of error boxes.
#include "app/ApplicationTitle.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <optional>

namespace kameola {

namespace {

std::optional<QString>& StoredTitle()
{
    static std::optional<QString> title;
    return title;
}

} // namespace

QString ApplicationTitleFor(const QString& programPath)
{
    QString name = QFileInfo(programPath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    const qsizetype first = name.at(0).isHighSurrogate() && name.size() > 1 ? 2 : 1;
    return name.left(first) + name.mid(first).toLower();
}

QString ApplicationTitle()
{
    if (StoredTitle())
        return *StoredTitle();
    return ApplicationTitleFor(QCoreApplication::applicationFilePath());
}

void SetApplicationTitle(const QString& title)
{
    StoredTitle() = title;
}

} // namespace kameola

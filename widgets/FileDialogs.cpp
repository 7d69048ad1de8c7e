// SPDX-License-Identifier: MIT
// What the program's file dialogs share: no settings file, a memory for this run only,
// and the modal run itself.
#include "widgets/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QList>
#include <QSettings>
#include <QUrl>

namespace kameola {

namespace {

// Qt's dialogs read their state from QSettings(UserScope, "QtProject") when made and write
// it back when destroyed. A folder below /dev/null can never exist, so reads find nothing
// and writes fail quietly.
constexpr const char* kNowhere = "/dev/null";

struct DialogMemory {
    QStringList history;
    std::optional<QList<QUrl>> sidebar;  // Qt's own default until a dialog leaves one
    std::optional<QFileDialog::ViewMode> viewMode;
    QString lastVisited;
};

DialogMemory& Memory()
{
    static DialogMemory memory;
    return memory;
}

} // namespace

void UseNoSettingsFile()
{
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        for (QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, QString::fromLatin1(kNowhere));
}

void ShareDialogMemory(QFileDialog& dialog, bool ownSidebar)
{
    DialogMemory& memory = Memory();
    dialog.setHistory(memory.history);
    if (memory.sidebar && !ownSidebar)
        dialog.setSidebarUrls(*memory.sidebar);
    if (memory.viewMode)
        dialog.setViewMode(*memory.viewMode);
    QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog, ownSidebar](int result) {
        DialogMemory& left = Memory();
        left.history = dialog.history();
        if (!ownSidebar)
            left.sidebar = dialog.sidebarUrls();
        left.viewMode = dialog.viewMode();
        // A file's folder, or the folder shown when folders are chosen.
        const QStringList chosen = dialog.selectedFiles();
        if (result == QDialog::Accepted && dialog.fileMode() != QFileDialog::Directory &&
            !chosen.isEmpty())
            left.lastVisited = QFileInfo(chosen.first()).absolutePath();
        else if (result == QDialog::Accepted)
            left.lastVisited = dialog.directory().absolutePath();
    });
}

QString LastVisitedFolder()
{
    return Memory().lastVisited;
}

std::optional<QStringList> RunFileDialog(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFiles();
}

} // namespace kameola

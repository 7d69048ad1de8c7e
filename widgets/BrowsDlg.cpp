// SPDX-License-Identifier: MIT
// TBrowseDialog: a non-visual component that lets the user pick one folder.
#include "widgets/BrowsDlg.h"

#include "widgets/DialogCompletion.h"
#include "widgets/DialogFit.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QUrl>
#include <QWidget>

namespace kameola {

namespace {

// Wide enough for the name, size, type and date of a folder side by side with the side bar.
constexpr QSize kFolderChooserSize{760, 480};

} // namespace

unsigned BrowseFlag(TBrowseOption option)
{
    switch (option) {
    case TBrowseOption::biBrowseForComputer: return 0x1000;
    case TBrowseOption::biBrowseForPrinter: return 0x2000;
    case TBrowseOption::biDontGoBelowDomain: return 0x0002;
    case TBrowseOption::biReturnFSAncestors: return 0x0008;
    case TBrowseOption::biReturnOnlyFSDirs: return 0x0001;
    case TBrowseOption::biStatusText: return 0x0004;
    }
    return 0;
}

unsigned BrowseFlags(TBrowseOptions options)
{
    unsigned flags = 0;
    for (TBrowseOption o : {TBrowseOption::biBrowseForComputer, TBrowseOption::biBrowseForPrinter,
                            TBrowseOption::biDontGoBelowDomain, TBrowseOption::biReturnFSAncestors,
                            TBrowseOption::biReturnOnlyFSDirs, TBrowseOption::biStatusText}) {
        if (options.Contains(o))
            flags |= BrowseFlag(o);
    }
    return flags;
}

TBrowseDialog::TBrowseDialog(QObject* owner)
    : QObject(owner)
{
}

QString TBrowseDialog::InitialDirectory(const QString& directory)
{
    if (directory.size() > 1 && directory.endsWith(QLatin1Char('/')))
        return directory.left(directory.size() - 1);
    return directory;
}

bool TBrowseDialog::Execute(const FileDialogRunner& run)
{
    QWidget* ownerWindow = nullptr;
    if (auto* w = qobject_cast<QWidget*>(parent()))
        ownerWindow = w->window();
    else
        ownerWindow = QApplication::activeWindow();
    // Re-activated afterwards; the dialog's modal loop disables the other windows meanwhile.
    QPointer<QWidget> wasActive = QApplication::activeWindow();

    UseNoSettingsFile();
    QFileDialog dialog(ownerWindow, m_caption);
    dialog.setObjectName(QStringLiteral("BrowseDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setWindowModality(Qt::ApplicationModal);
    CloseCompletionWithDialog(dialog);
    dialog.resize(FitToScreen(kFolderChooserSize, ownerWindow ? ownerWindow->screen()
                                                              : QGuiApplication::primaryScreen()));
    FitColumnsWhenListed(dialog);

    // The tree starts at Root when it names a folder: the only place in this dialog's side
    // bar (the side bar the other dialogs share is left as it was) and opened when there is
    // no Directory.
    const bool hasRoot = !m_root.isEmpty() && QFileInfo(m_root).isDir();
    ShareDialogMemory(dialog, hasRoot);
    if (hasRoot) {
        dialog.setSidebarUrls({QUrl::fromLocalFile(QFileInfo(m_root).absoluteFilePath())});
        dialog.setDirectory(m_root);
    }
    const QString start = InitialDirectory(m_directory);
    if (!start.isEmpty())
        dialog.setDirectory(start);

    const std::optional<QStringList> chosen = run(dialog);
    if (wasActive)
        wasActive->activateWindow();
    if (!chosen || chosen->isEmpty())
        return false;
    const QString path = QDir::cleanPath(chosen->first());
    const QString name = QFileInfo(path).fileName();
    m_directory = path;
    m_displayName = name.isEmpty() ? path : name;  // the root has no name of its own
    return true;
}

} // namespace kameola

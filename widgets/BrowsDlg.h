// SPDX-License-Identifier: MIT
// TBrowseDialog: a non-visual component that lets the user pick one folder.
#pragma once

#include "widgets/FileDialogs.h"

#include <QObject>
#include <QString>

#include <initializer_list>

namespace kameola {

// Browse options, each with the flag it stands for in the flags word.
enum class TBrowseOption {
    biBrowseForComputer,  // 0x1000
    biBrowseForPrinter,   // 0x2000
    biDontGoBelowDomain,  // 0x0002
    biReturnFSAncestors,  // 0x0008
    biReturnOnlyFSDirs,   // 0x0001
    biStatusText,         // 0x0004
};

// A set of TBrowseOption.
class TBrowseOptions {
public:
    constexpr TBrowseOptions() = default;
    constexpr TBrowseOptions(std::initializer_list<TBrowseOption> options)
    {
        for (TBrowseOption o : options)
            m_bits |= Bit(o);
    }
    constexpr bool Contains(TBrowseOption o) const { return (m_bits & Bit(o)) != 0; }
    constexpr void Exclude(TBrowseOption o) { m_bits &= ~Bit(o); }
    constexpr bool operator==(const TBrowseOptions&) const = default;

private:
    static constexpr unsigned Bit(TBrowseOption o) { return 1u << static_cast<unsigned>(o); }
    unsigned m_bits = 0;
};

// The flag of one option, and the OR of the flags of a set of options.
unsigned BrowseFlag(TBrowseOption option);
unsigned BrowseFlags(TBrowseOptions options);

class TBrowseDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Directory READ Directory WRITE SetDirectory)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString Root READ Root WRITE SetRoot)
    Q_PROPERTY(QString DisplayName READ DisplayName)

public:
    explicit TBrowseDialog(QObject* owner = nullptr);

    const QString& Directory() const { return m_directory; }
    void SetDirectory(const QString& directory) { m_directory = directory; }
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    const QString& Root() const { return m_root; }
    void SetRoot(const QString& root) { m_root = root; }
    TBrowseOptions Options() const { return m_options; }
    void SetOptions(TBrowseOptions options) { m_options = options; }
    const QString& DisplayName() const { return m_displayName; }

    // Shows the folder dialog and waits for it to close; run shows it (the program passes
    // its dialog service). True: Directory holds the chosen folder's path and DisplayName
    // its name. False (cancelled): both keep their values.
    virtual bool Execute(const FileDialogRunner& run = RunFileDialog);

    // The folder the dialog opens on: Directory without one trailing "/" ("/" stays).
    static QString InitialDirectory(const QString& directory);

private:
    QString m_directory;
    QString m_caption;
    QString m_root;
    TBrowseOptions m_options{TBrowseOption::biReturnOnlyFSDirs};
    QString m_displayName;
};

} // namespace kameola

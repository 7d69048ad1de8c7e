// SPDX-License-Identifier: MIT
// TForm1: the main window with the file list, the run settings, the gauge and the commands.
#pragma once

#include "gallery/Job.h"
#include "gallery/RunHost.h"
#include "app/CopyFailures.h"

#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace kameola {

class Services;
class TBrowseDialog;
class TForm2;
class TGauge;
class TUpDown;

class TForm1 : public QWidget, public RunHost {
    Q_OBJECT

public:
    explicit TForm1(Services& services, QWidget* parent = nullptr);
    ~TForm1() override;

    // The style dialog whose page style a run uses and which 「HTMLの設定」 shows.
    void SetStyleDialog(TForm2* styleDialog);

    // Appends a row for the file at path (its bytes as the file system holds them) with its
    // size; raises EFOpenError when the file cannot be opened for reading (nothing is added).
    void AddEntry(const std::string& path);
    void AddEntry(const QString& path);

    // Adds the files in order as a drop does: the first that cannot be opened is shown
    // in the error box and ends the adding; the rows added before it stay.
    void AddDroppedFiles(const std::vector<std::string>& paths);

    // The job a run would start with, taken from the controls and the style dialog.
    GalleryJob GatherJob() const;

    TBrowseDialog* BrowseDialog() const { return m_browseDialog; }
    bool RunInProgress() const { return m_running; }

    // RunHost: what a gallery run reaches the window through.
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                              MessageButtons buttons) override;
    void ShowBusyCursor() override;
    void RestoreCursor() override;
    void SetProgressRange(int bottom, int top) override;
    void SetProgress(int position) override;
    void ProcessEvents() override;
    void KeepResponsive() override;
    void CopySkipped(const std::string& source, const std::string& target,
                     const MessageText& reason) override;
    // Warns of the copies that failed, before the completion notice.
    void Finished(const RunStats& stats) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void CreateList();
    void CreateListButtons();
    void CreateOutputFields();
    void CreateOptionList();
    void CreateNumberFields();
    void FitLabelsAndOrderTabs();
    void NameForScreenReaders();
    void ConnectCommands();
    void FormCreate();
    void Command(const std::function<void()>& command);
    // Adds the files in order, the first that cannot be opened ending the adding; the
    // columns are fitted once at the end. Ignored while an add is going on.
    void AddFiles(const std::vector<std::string>& paths);
    // A row for the file at path, the columns left as they are.
    void AddRow(const std::string& path);

    // The list's columns as laid out; the size column widens when a size needs more than
    // its width, the name column giving up the room.
    static constexpr int kNameWidth = 400;
    static constexpr int kSizeWidth = 70;
    void FitListColumns();
    // After a run stopped on an entry's error: that entry's row, if still listed, becomes
    // the only selected row and is scrolled into view.
    void SelectFailedRow();

    void Button1Click();  // add through the picture dialog
    void Button2Click();  // delete the selected rows
    void Button3Click();  // start the gallery run
    void Button4Click();  // choose the output directory
    void Button5Click();  // move the first selected row down
    void Button6Click();  // move the first selected row up
    void Button7Click();  // show the style dialog
    void Button8Click();  // clear the list
    void Edit2Change();
    void Edit5Change();

    bool Ask(const QString& text);
    int FirstSelectedRow() const;

    Services& m_services;
    TForm2* m_styleDialog = nullptr;
    TBrowseDialog* m_browseDialog = nullptr;
    QString m_pictureFolder;  // where the last added pictures came from
    bool m_running = false;
    bool m_adding = false;
    bool m_closeRequested = false;
    quint64 m_nextRowId = 0;               // each row gets its own, kept through moves
    std::optional<quint64> m_failedRowId;  // the row whose entry stopped the last run
    CopyFailures m_copyFailures;           // of the run in progress

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    TUpDown* UpDown1 = nullptr;
    TUpDown* UpDown2 = nullptr;
    QListWidget* CheckListBox1 = nullptr;
    TGauge* Gauge1 = nullptr;
};

} // namespace kameola

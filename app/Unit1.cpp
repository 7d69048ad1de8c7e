// SPDX-License-Identifier: MIT
// TForm1: the main window with the file list, the run settings, the gauge and the commands.
#include "app/Unit1.h"

#include "common/Errors.h"
#include "gallery/Entry.h"
#include "gallery/Run.h"
#include "widgets/Accessible.h"
#include "widgets/BrowsDlg.h"
#include "widgets/Gauges.h"
#include "widgets/UpDown.h"
#include "app/BusyBatch.h"
#include "app/CommandGuard.h"
#include "app/Fonts.h"
#include "app/LeadingInteger.h"
#include "app/PathText.h"
#include "app/PictureDialog.h"
#include "app/Services.h"
#include "app/Unit2.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <memory>
#include <utility>


namespace kameola {

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Row data: the path's bytes, and an identity that stays with the row through moves.
constexpr int kPathRole = Qt::UserRole;
constexpr int kRowIdRole = Qt::UserRole + 1;

// The local files of a drop, with their bytes: text/uri-list holds them percent-encoded,
// which a QUrl would decode into text and lose the bytes that are not UTF-8.
std::vector<std::string> LocalFiles(const QMimeData* data)
{
    std::vector<std::string> paths;
    const QString uriList = QStringLiteral("text/uri-list");
    if (!data || !data->hasFormat(uriList))
        return paths;
    for (QByteArray line : data->data(uriList).split('\n')) {
        line = line.trimmed();
        if (!line.toLower().startsWith("file://"))
            continue;  // comments and other schemes
        line = line.mid(7);
        const qsizetype slash = line.indexOf('/');
        const QByteArray host = line.left(slash).toLower();
        if (slash < 0 || !(host.isEmpty() || host == "localhost"))
            continue;
        line = line.mid(slash);
        // A raw "?" or "#" ends the path; in a file name they come percent-encoded.
        for (char end : {'?', '#'})
            if (const qsizetype at = line.indexOf(end); at >= 0)
                line.truncate(at);
        paths.push_back(QByteArray::fromPercentEncoding(line).toStdString());
    }
    return paths;
}

} // namespace

TForm1::TForm1(Services& services, QWidget* parent) : QWidget(parent), m_services(services)
{
    setWindowTitle(QStringLiteral("KAMEOLA"));
    ShowAsFrame(staticMetaObject);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setFixedSize(513, 464);
    setFont(WindowFont());
    setAutoFillBackground(true);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect placed(QPoint(0, 0), size());
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }

    m_browseDialog = new TBrowseDialog(this);
    m_browseDialog->setObjectName(QStringLiteral("BrowseDialog"));
    m_browseDialog->SetCaption(Text("出力先ディレクトリの設定"));

    CreateControls();
    ConnectCommands();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::SetStyleDialog(TForm2* styleDialog)
{
    m_styleDialog = styleDialog;
}

void TForm1::ConnectCommands()
{
    const auto wire = [this](QPushButton* button, void (TForm1::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { Command([this, handler] { (this->*handler)(); }); });
    };
    wire(Button1, &TForm1::Button1Click);
    wire(Button2, &TForm1::Button2Click);
    wire(Button4, &TForm1::Button4Click);
    // The move buttons are wired crosswise: 上へ (Button5) runs the move up, Button6Click,
    // and 下へ (Button6) the move down, Button5Click.
    wire(Button5, &TForm1::Button6Click);
    wire(Button6, &TForm1::Button5Click);
    wire(Button7, &TForm1::Button7Click);
    wire(Button8, &TForm1::Button8Click);
    connect(Button3, &QPushButton::clicked, this, [this] {
        Command([this] { Button3Click(); });
        // The error box has closed: show the row whose entry stopped the run.
        SelectFailedRow();
    });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { Command([this] { Edit2Change(); }); });
    connect(Edit5, &QLineEdit::textChanged, this, [this] { Command([this] { Edit5Change(); }); });
}

void TForm1::FormCreate()
{
    setAcceptDrops(true);
}

void TForm1::Command(const std::function<void()>& command)
{
    RunCommand(m_services, this, command);
    // A close asked for during a run or an add stopped it; now the window can go.
    if (m_closeRequested && !m_running && !m_adding)
        close();
}

void TForm1::AddEntry(const std::string& path)
{
    AddRow(path);
    FitListColumns();
}

void TForm1::AddRow(const std::string& path)
{
    const GalleryEntry entry = OpenEntry(path);
    // Filled in before it joins the list, so that the list hears of it once.
    auto* row = new QTreeWidgetItem;
    row->setText(0, TextFromPath(path));
    row->setToolTip(0, row->text(0));
    row->setData(0, kPathRole, QByteArray::fromStdString(path));
    row->setData(0, kRowIdRole, ++m_nextRowId);
    row->setText(1, QString::fromStdString(entry.SizeText));
    row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    ListView1->addTopLevelItem(row);
}

void TForm1::AddEntry(const QString& path)
{
    AddEntry(PathFromText(path));
}

void TForm1::AddFiles(const std::vector<std::string>& paths)
{
    if (m_adding)
        return;  // files dropped during an add are not taken
    struct Adding {
        TForm1& form;
        explicit Adding(TForm1& f) : form(f) { form.m_adding = true; }
        ~Adding()
        {
            form.m_adding = false;
            form.FitListColumns();  // once for the whole batch, also when it stopped early
        }
    } adding(*this);
    BusyBatch batch(m_services, [this] { ProcessEvents(); });
    for (const std::string& path : paths) {
        AddRow(path);
        batch.Step();
    }
}

void TForm1::AddDroppedFiles(const std::vector<std::string>& paths)
{
    Command([this, paths] { AddFiles(paths); });
}

void TForm1::FitListColumns()
{
    // The item's text margins as QCommonStyle lays out a view item, and a pixel to spare.
    const int margins = 2 * (ListView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView1) + 1) + 1;
    const QFontMetrics metrics(ListView1->font());
    int sizeWidth = kSizeWidth;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        sizeWidth = std::max(sizeWidth, metrics.horizontalAdvance(ListView1->topLevelItem(i)->text(1)) + margins);
    sizeWidth = std::min(sizeWidth, kNameWidth);
    ListView1->setColumnWidth(1, sizeWidth);
    ListView1->setColumnWidth(0, kNameWidth + kSizeWidth - sizeWidth);
}

GalleryJob TForm1::GatherJob() const
{
    GalleryJob job;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = ListView1->topLevelItem(i);
        job.Entries.push_back({row->data(0, kPathRole).toByteArray().toStdString(),
                               row->text(1).toStdString()});
    }
    job.OutputDir = PathFromText(Edit1->text());
    job.PageName = PathFromText(Edit4->text());
    job.Title = Edit3->text().toStdString();
    job.Columns = UpDown1->Position();
    job.ThumbWidth = UpDown2->Position();
    const auto checked = [this](int index) {
        return CheckListBox1->item(index)->checkState() == Qt::Checked;
    };
    job.MakeSmallImages = checked(0);
    job.ShowFileNames = checked(1);
    job.NumberEntries = checked(2);
    job.LinkInPlace = checked(3);
    if (m_styleDialog)
        job.Style = m_styleDialog->Style();
    return job;
}

void TForm1::Button1Click()
{
    // A new dialog each time: an empty name box, no old preview, nothing of the last one
    // left on screen; the folder and the size carry over.
    const std::unique_ptr<QFileDialog> dialog(
        CreatePictureDialog(this, kAddPictures, PictureStartFolder(m_pictureFolder)));
    const std::optional<QStringList> chosen = m_services.ExecFileDialog(*dialog);
    if (!chosen || chosen->isEmpty())
        return;
    m_pictureFolder = QFileInfo(chosen->first()).absolutePath();
    std::vector<std::string> paths;
    for (const QString& path : *chosen)
        paths.push_back(PathFromText(path));
    AddFiles(paths);
}

bool TForm1::Ask(const QString& text)
{
    return m_services.ShowMessage(this, text, Text("確認"), MessageButtons::YesNo)
           == MessageAnswer::Yes;
}

int TForm1::FirstSelectedRow() const
{
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        if (ListView1->topLevelItem(i)->isSelected())
            return i;
    return -1;
}

void TForm1::Button2Click()
{
    if (!Ask(Text("選択された画像をリストから削除してよろしいですか？")))
        return;
    for (int row = FirstSelectedRow(); row >= 0; row = FirstSelectedRow())
        delete ListView1->takeTopLevelItem(row);
    FitListColumns();
}

void TForm1::Button6Click()
{
    const int row = FirstSelectedRow();
    if (row <= 0)
        return;
    QTreeWidgetItem* item = ListView1->takeTopLevelItem(row);
    ListView1->insertTopLevelItem(row - 1, item);
    item->setSelected(true);
}

void TForm1::Button5Click()
{
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    QTreeWidgetItem* item = ListView1->takeTopLevelItem(row);
    // Past the end it goes back to the end: the last row stays where it was.
    ListView1->insertTopLevelItem(std::min(row + 1, ListView1->topLevelItemCount()), item);
    item->setSelected(true);
}

void TForm1::Button8Click()
{
    if (!Ask(Text("リストをクリアしてよろしいですか？")))
        return;
    ListView1->clear();
    FitListColumns();
}

void TForm1::Button4Click()
{
    const auto run = [this](QFileDialog& dialog) { return m_services.ExecFileDialog(dialog); };
    if (m_browseDialog->Execute(run))
        Edit1->setText(m_browseDialog->Directory());
    const QString directory = Edit1->text();
    if (!directory.endsWith(QLatin1Char('/')))
        Edit1->setText(directory + QLatin1Char('/'));
}

void TForm1::Button7Click()
{
    if (m_styleDialog)
        m_services.ExecModal(*m_styleDialog);
}

void TForm1::Button3Click()
{
    if (m_running)
        return;
    const GalleryJob job = GatherJob();
    // The rows the entries came from, by identity: the list may change during the run.
    std::vector<quint64> rowIds;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        rowIds.push_back(ListView1->topLevelItem(i)->data(0, kRowIdRole).toULongLong());
    m_failedRowId.reset();
    m_copyFailures.Clear();
    m_running = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{m_running};
    try {
        RunGallery(job, *this);
    } catch (const Exception& e) {
        const int entry = e.EntryIndex();
        if (entry >= 0 && static_cast<std::size_t>(entry) < rowIds.size())
            m_failedRowId = rowIds[static_cast<std::size_t>(entry)];
        throw;
    }
}

void TForm1::SelectFailedRow()
{
    const std::optional<quint64> id = std::exchange(m_failedRowId, std::nullopt);
    if (!id)
        return;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = ListView1->topLevelItem(i);
        if (row->data(0, kRowIdRole).toULongLong() != *id)
            continue;
        ListView1->setCurrentItem(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        ListView1->scrollToItem(row);
        return;
    }
}

void TForm1::Edit2Change()
{
    UpDown1->SetPosition(LowWord(LeadingInteger(Edit2->text().toStdString())));
}

void TForm1::Edit5Change()
{
    UpDown2->SetPosition(LowWord(LeadingInteger(Edit5->text().toStdString())));
}

MessageAnswer TForm1::ShowMessage(const std::string& text, const std::string& caption,
                                  MessageButtons buttons)
{
    return m_services.ShowMessage(this, QString::fromStdString(text),
                                  QString::fromStdString(caption), buttons);
}

void TForm1::ShowBusyCursor()
{
    m_services.ShowBusyCursor();
}

void TForm1::RestoreCursor()
{
    m_services.RestoreCursor();
}

void TForm1::SetProgressRange(int bottom, int top)
{
    // Widen before narrowing, so that neither step sees its top below its bottom.
    if (top >= Gauge1->MinValue()) {
        Gauge1->SetMaxValue(top);
        Gauge1->SetMinValue(bottom);
    } else {
        Gauge1->SetMinValue(bottom);
        Gauge1->SetMaxValue(top);
    }
}

void TForm1::SetProgress(int position)
{
    Gauge1->SetProgress(position);
}

void TForm1::ProcessEvents()
{
    QCoreApplication::processEvents();
    if (m_closeRequested)
        throw EAbort();
}

void TForm1::KeepResponsive()
{
    ProcessEvents();
}

void TForm1::CopySkipped(const std::string& source, const std::string&, const MessageText& reason)
{
    m_copyFailures.Add(source, reason);
}

void TForm1::Finished(const RunStats&)
{
    if (!m_copyFailures.Empty())
        m_services.ShowWarning(this, m_copyFailures.Text(), Text("警告"));
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    // Enter anywhere but on a push button means 追加; Escape does nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Button1->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_running || m_adding) {
        // The run or the add stops at its next step and closes the window then.
        m_closeRequested = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent* event)
{
    if (!LocalFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> paths = LocalFiles(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    // Added once the drop has finished, so that an error box does not hold up the
    // program the files came from.
    QMetaObject::invokeMethod(
        this, [this, paths] { AddDroppedFiles(paths); }, Qt::QueuedConnection);
}

} // namespace kameola

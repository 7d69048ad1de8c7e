// TForm1: the main window with the file list, the run settings, the gauge and the commands.
#include "app/Unit1.h"

#include "widgets/BrowsDlg.h"
#include "app/CommandGuard.h"
#include "gallery/Entry.h"
#include "common/Errors.h"
#include "app/FitLabel.h"
#include "app/Fonts.h"
#include "widgets/Gauges.h"
#include "app/LeadingInteger.h"
#include "app/OptionListStyle.h"
#include "app/PictureDialog.h"
#include "gallery/Run.h"
#include "app/Services.h"
#include "app/Unit2.h"
#include "app/UpDown.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <memory>


namespace kameola {

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

template <class W>
W* Place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QStringList LocalFiles(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

} // namespace

TForm1::TForm1(Services& services, QWidget* parent) : QWidget(parent), m_services(services)
{
    setWindowTitle(QStringLiteral("KAMEOLA"));
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

void TForm1::CreateControls()
{
    Label1 = Place(new QLabel(Text("KAMEOLAS Version 1.03"), this), "Label1", 16, 8, 126, 12);
    Label2 = Place(new QLabel(Text("サムネイルを作成するファイルの一覧"), this), "Label2", 24, 32, 190, 12);

    ListView1 = Place(new QTreeWidget(this), "ListView1", 8, 48, 497, 153);
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({Text("ファイル名"), Text("サイズ")});
    ListView1->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    ListView1->setColumnWidth(0, 400);
    ListView1->setColumnWidth(1, 70);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSortingEnabled(false);
    ListView1->setDragDropMode(QAbstractItemView::NoDragDrop);
    {
        // The selection looks the same whether or not the list has the focus.
        QPalette palette = ListView1->palette();
        for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
            palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
        ListView1->setPalette(palette);
    }

    Button8 = Place(new QPushButton(Text("新規作成"), this), "Button8", 8, 208, 65, 25);
    Button1 = Place(new QPushButton(Text("追加"), this), "Button1", 80, 208, 75, 25);
    Button2 = Place(new QPushButton(Text("削除"), this), "Button2", 160, 208, 75, 25);
    Button5 = Place(new QPushButton(Text("上へ"), this), "Button5", 256, 208, 75, 25);
    Button6 = Place(new QPushButton(Text("下へ"), this), "Button6", 336, 208, 75, 25);
    Button3 = Place(new QPushButton(Text("作成"), this), "Button3", 432, 208, 75, 25);

    Label4 = Place(new QLabel(Text("出力先ディレクトリ"), this), "Label4", 24, 248, 93, 12);
    Edit1 = Place(new QLineEdit(this), "Edit1", 128, 244, 329, 20);
    Button4 = Place(new QPushButton(Text("参照"), this), "Button4", 464, 242, 41, 25);
    Label7 = Place(new QLabel(Text("HTMLファイル名"), this), "Label7", 32, 272, 83, 12);
    Edit4 = Place(new QLineEdit(Text(kDefaultPageName), this), "Edit4", 128, 266, 329, 20);

    Label3 = Place(new QLabel(Text("各種設定"), this), "Label3", 24, 296, 48, 12);
    CheckListBox1 = Place(new QListWidget(this), "CheckListBox1", 8, 312, 497, 57);
    for (const char* option : {"小さい画像ファイルを別途作成する(JPGとBMPの場合)", "ファイル名を表示する",
                               "ナンバリングする", "ファイルのコピーはしない(HTMLだけ出力する)"}) {
        auto* item = new QListWidgetItem(Text(option), CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setSizeHint(QSize(0, OptionListStyle::kRowHeight));
    }
    CheckListBox1->setUniformItemSizes(true);
    auto* optionStyle = new OptionListStyle;
    optionStyle->setParent(CheckListBox1);
    CheckListBox1->setStyle(optionStyle);

    Label5 = Place(new QLabel(Text("列の数"), this), "Label5", 16, 384, 36, 12);
    Edit2 = Place(new QLineEdit(QString::number(kDefaultColumns), this), "Edit2", 56, 380, 49, 20);
    UpDown1 = Place(new TUpDown(this), "UpDown1", 105, 380, 15, 20);
    UpDown1->SetRange(kColumnsRange.Min, kColumnsRange.Max);
    UpDown1->SetPosition(kDefaultColumns);
    UpDown1->SetAssociate(Edit2);

    Label8 = Place(new QLabel(Text("縮小画像の横幅"), this), "Label8", 160, 384, 84, 12);
    Edit5 = Place(new QLineEdit(QString::number(kDefaultThumbWidth), this), "Edit5", 256, 380, 65, 20);
    UpDown2 = Place(new TUpDown(this), "UpDown2", 321, 380, 15, 20);
    UpDown2->SetRange(kThumbWidthRange.Min, kThumbWidthRange.Max);
    UpDown2->SetPosition(kDefaultThumbWidth);
    UpDown2->SetAssociate(Edit5);

    Button7 = Place(new QPushButton(Text("HTMLの設定"), this), "Button7", 416, 376, 83, 25);
    Label6 = Place(new QLabel(Text("タイトル"), this), "Label6", 8, 412, 39, 12);
    Edit3 = Place(new QLineEdit(Text(kDefaultTitle), this), "Edit3", 56, 408, 449, 20);
    Gauge1 = Place(new TGauge(this), "Gauge1", 8, 432, 497, 25);

    // Each label shows its whole text in whatever Japanese face stands in for the window's.
    FitLabel(*Label1, width());
    FitLabel(*Label2, width());
    FitLabel(*Label3, width());
    FitLabel(*Label4, Edit1->x());
    FitLabel(*Label7, Edit4->x());
    FitLabel(*Label5, Edit2->x());
    FitLabel(*Label8, Edit5->x());
    FitLabel(*Label6, Edit3->x());

    // Enter on a push button clicks that button; elsewhere it reaches keyPressEvent,
    // which clicks the default button.
    for (QPushButton* button : {Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8})
        button->setAutoDefault(true);
    Button1->setDefault(true);

    // Drops on the edits land on the window like drops anywhere else.
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5})
        edit->setAcceptDrops(false);

    const QList<QWidget*> tabOrder = {ListView1, CheckListBox1, Button1, Button2, Button3, Edit1,
                                      Button4, Edit2, Edit3, Edit4, Button5, Button6, Edit5,
                                      Button7, Button8};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    ListView1->setFocus();
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
        // A close asked for during the run stopped it; now the window can go.
        if (m_closeRequested && !m_running)
            close();
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
}

void TForm1::AddEntry(const QString& path)
{
    const GalleryEntry entry = OpenEntry(QFile::encodeName(path).toStdString());
    auto* row = new QTreeWidgetItem(ListView1);
    row->setText(0, path);
    row->setText(1, QString::fromStdString(entry.SizeText));
    row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
}

void TForm1::AddFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        AddEntry(path);
}

void TForm1::AddDroppedFiles(const QStringList& paths)
{
    Command([this, paths] { AddFiles(paths); });
}

GalleryJob TForm1::GatherJob() const
{
    GalleryJob job;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = ListView1->topLevelItem(i);
        job.Entries.push_back({row->text(0).toStdString(), row->text(1).toStdString()});
    }
    job.OutputDir = Edit1->text().toStdString();
    job.PageName = Edit4->text().toStdString();
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
    AddFiles(*chosen);
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
    if (Ask(Text("リストをクリアしてよろしいですか？")))
        ListView1->clear();
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
    m_running = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{m_running};
    RunGallery(job, *this);
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
    if (m_running) {
        // The run stops at its next entry and closes the window then.
        m_closeRequested = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // Added once the drop has finished, so that an error box does not hold up the
    // program the files came from.
    QMetaObject::invokeMethod(
        this, [this, paths] { AddDroppedFiles(paths); }, Qt::QueuedConnection);
}

} // namespace kameola

// SPDX-License-Identifier: MIT
// TForm1's controls: where each sits, its caption and its tab order.
#include "app/Unit1.h"

#include "widgets/FitLabel.h"
#include "widgets/Gauges.h"
#include "widgets/OptionListStyle.h"
#include "widgets/Place.h"
#include "widgets/UpDown.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include <utility>

namespace kameola {

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

void TForm1::CreateControls()
{
    Label1 = Place(new QLabel(Text("KAMEOLAS Version 1.03"), this), "Label1", 16, 8, 126, 12);
    Label2 = Place(new QLabel(Text("サムネイルを作成するファイルの一覧"), this), "Label2", 24, 32, 190, 12);
    CreateList();
    CreateListButtons();
    CreateOutputFields();
    CreateOptionList();
    CreateNumberFields();
    Label6 = Place(new QLabel(Text("タイトル"), this), "Label6", 8, 412, 39, 12);
    Edit3 = Place(new QLineEdit(Text(kDefaultTitle), this), "Edit3", 56, 408, 449, 20);
    Gauge1 = Place(new TGauge(this), "Gauge1", 8, 432, 497, 25);

    // Drops on the edits land on the window like drops anywhere else.
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5})
        edit->setAcceptDrops(false);
    FitLabelsAndOrderTabs();
    NameForScreenReaders();
}

void TForm1::CreateList()
{
    ListView1 = Place(new QTreeWidget(this), "ListView1", 8, 48, 497, 153);
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({Text("ファイル名"), Text("サイズ")});
    ListView1->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    FitListColumns();
    // Deep paths keep their file name in sight; the tooltip holds the whole path.
    ListView1->setTextElideMode(Qt::ElideMiddle);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSortingEnabled(false);
    ListView1->setDragDropMode(QAbstractItemView::NoDragDrop);
    // The selection looks the same whether or not the list has the focus.
    QPalette palette = ListView1->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    ListView1->setPalette(palette);
}

void TForm1::CreateListButtons()
{
    Button8 = Place(new QPushButton(Text("新規作成"), this), "Button8", 8, 208, 65, 25);
    Button1 = Place(new QPushButton(Text("追加"), this), "Button1", 80, 208, 75, 25);
    Button2 = Place(new QPushButton(Text("削除"), this), "Button2", 160, 208, 75, 25);
    Button5 = Place(new QPushButton(Text("上へ"), this), "Button5", 256, 208, 75, 25);
    Button6 = Place(new QPushButton(Text("下へ"), this), "Button6", 336, 208, 75, 25);
    Button3 = Place(new QPushButton(Text("作成"), this), "Button3", 432, 208, 75, 25);
}

void TForm1::CreateOutputFields()
{
    Label4 = Place(new QLabel(Text("出力先ディレクトリ"), this), "Label4", 24, 248, 93, 12);
    Edit1 = Place(new QLineEdit(this), "Edit1", 128, 244, 329, 20);
    Button4 = Place(new QPushButton(Text("参照"), this), "Button4", 464, 242, 41, 25);
    Label7 = Place(new QLabel(Text("HTMLファイル名"), this), "Label7", 32, 272, 83, 12);
    Edit4 = Place(new QLineEdit(Text(kDefaultPageName), this), "Edit4", 128, 266, 329, 20);
}

void TForm1::CreateOptionList()
{
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
}

void TForm1::CreateNumberFields()
{
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
}

void TForm1::FitLabelsAndOrderTabs()
{
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

    const QList<QWidget*> tabOrder = {ListView1, CheckListBox1, Button1, Button2, Button3, Edit1,
                                      Button4, Edit2, Edit3, Edit4, Button5, Button6, Edit5,
                                      Button7, Button8};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    ListView1->setFocus();
}

void TForm1::NameForScreenReaders()
{
    // A field is named by the label before it; the list, the options, the arrows and the
    // gauge, which have no label of their own, by names of their own.
    const std::pair<QLabel*, QWidget*> buddies[] = {
        {Label2, ListView1}, {Label4, Edit1}, {Label7, Edit4}, {Label3, CheckListBox1},
        {Label5, Edit2}, {Label8, Edit5}, {Label6, Edit3}};
    for (const auto& [label, field] : buddies)
        label->setBuddy(field);
    ListView1->setAccessibleName(Text("ファイル一覧"));
    CheckListBox1->setAccessibleName(Text("オプション"));
    UpDown1->NameAfter(Label5->text());
    UpDown2->NameAfter(Label8->text());
    Gauge1->setAccessibleName(Text("進行状況"));
}

} // namespace kameola

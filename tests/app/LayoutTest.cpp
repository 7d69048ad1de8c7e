// SPDX-License-Identifier: MIT
// Tests that both windows' labels show their whole text apart from their neighbours, and
// that the option list shows its four check boxes whole. The suite also runs with the
// fixed-width IPAGothic as the only Japanese face (KAMEOLA_WIDE_FACE set).
#include "widgets/FitLabel.h"
#include "widgets/OptionListStyle.h"
#include "app/Fonts.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "tests/app/FakeServices.h"
#include "tests/app/WindowLayouts.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

using namespace kameola;
using namespace kameola::test;

namespace {

// Each label shows its text whole inside the window, at its top from the layout, without
// overlapping a control, and kLabelGap pixels before a control to its right on its line.
void ExpectLabelsFit(QWidget& window, const std::map<std::string, int>& tops)
{
    RegisterWindowFontSubstitution();
    const QList<QLabel*> labels = window.findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(labels.size(), static_cast<qsizetype>(tops.size()));
    for (QLabel* label : labels) {
        const std::string name = label->objectName().toStdString();
        const QRect box = label->geometry();
        EXPECT_EQ(box.top(), tops.at(name)) << name;
        EXPECT_GE(box.width(), label->sizeHint().width()) << name;
        EXPECT_GE(box.height(), label->sizeHint().height()) << name;
        EXPECT_GE(box.left(), 0) << name;
        EXPECT_LE(box.right(), window.width() - 1) << name;
        for (QWidget* other : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other == label || other->isWindow() || !other->isVisibleTo(&window))
                continue;
            const QRect them = other->geometry();
            EXPECT_FALSE(box.intersects(them)) << name << " overlaps " << other->objectName().toStdString();
            const bool sameLine = them.top() <= box.bottom() && box.top() <= them.bottom();
            if (sameLine && them.left() > box.left()) {
                EXPECT_GE(them.left() - (box.right() + 1), kLabelGap)
                    << name << " is too close to " << other->objectName().toStdString();
            }
        }
    }
}

} // namespace

TEST(WindowLayout, TheFaceInUseIsTheOneExpected)
{
    RegisterWindowFontSubstitution();
    const int kana = QFontMetrics(WindowFont()).horizontalAdvance(QStringLiteral("フ"));
    if (qEnvironmentVariableIsSet("KAMEOLA_WIDE_FACE"))
        EXPECT_EQ(kana, 12);  // IPAGothic: every kana is a full 12-pixel square
    else
        EXPECT_LT(kana, 12);  // IPAPGothic: proportional kana
}

TEST(WindowLayout, MainWindowLabelsShowTheirWholeText)
{
    FakeServices services;
    TForm1 form(services);
    ExpectLabelsFit(form, LabelTops(kMainWindowPlaces));
}

TEST(WindowLayout, StyleDialogLabelsShowTheirWholeText)
{
    FakeServices services;
    TForm2 form(services);
    ExpectLabelsFit(form, LabelTops(kStyleDialogPlaces));
}

TEST(WindowLayout, ALabelGrowsLeftThenItsFontShrinks)
{
    QWidget window;
    window.resize(200, 100);
    QLabel label(QStringLiteral("ファイル名"), &window);
    QFont font = WindowFont();
    label.setFont(font);
    label.setGeometry(60, 20, 10, 12);

    // Room enough to the right: the label keeps its place and font.
    FitLabel(label, 200);
    EXPECT_EQ(label.geometry().topLeft(), QPoint(60, 20));
    EXPECT_EQ(label.font().pixelSize(), 12);

    // Too little room before x = 80: it grows to the left and keeps its font.
    label.setGeometry(60, 20, 10, 12);
    FitLabel(label, 80);
    EXPECT_EQ(label.y(), 20);
    EXPECT_EQ(label.geometry().right() + 1, 80 - kLabelGap);
    EXPECT_LT(label.x(), 60);
    EXPECT_EQ(label.font().pixelSize(), 12);

    // Not even from the window's edge: its font gets smaller until it fits there.
    const int whole = label.sizeHint().width();
    label.setGeometry(60, 20, 10, 12);
    FitLabel(label, whole - 10);
    EXPECT_GE(label.x(), 0);
    EXPECT_LT(label.font().pixelSize(), 12);
    EXPECT_LE(label.geometry().right() + 1, whole - 10 - kLabelGap);
    EXPECT_GE(label.width(), label.sizeHint().width());
}

TEST(WindowLayout, OptionListShowsFourWholeCheckBoxesApart)
{
    FakeServices services;
    TForm1 form(services);
    form.show();
    auto* options = form.findChild<QListWidget*>(QStringLiteral("CheckListBox1"));
    ASSERT_NE(options, nullptr);
    ASSERT_EQ(options->count(), 4);
    EXPECT_FALSE(options->verticalScrollBar()->isVisible());

    QRect previous;
    for (int i = 0; i < options->count(); ++i) {
        const QRect row = options->visualItemRect(options->item(i));
        EXPECT_LE(row.bottom(), options->viewport()->height() - 1) << i;  // the row is whole
        QStyleOptionViewItem item;
        item.initFrom(options->viewport());
        item.rect = row;
        item.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        item.text = options->item(i)->text();
        item.checkState = Qt::Unchecked;
        const QRect box = options->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator,
                                                           &item, options);
        EXPECT_EQ(box.size(), QSize(OptionListStyle::kBoxSide, OptionListStyle::kBoxSide)) << i;
        EXPECT_GE(box.left(), 1) << i;  // its left border is not on the list's frame
        EXPECT_TRUE(row.contains(box)) << i;
        if (i > 0) {
            EXPECT_GE(box.top() - previous.bottom(), 2) << i;  // a pixel of space between
        }
        previous = box;
    }
}

// Under a plain dark style sheet the unchecked boxes still stand out from the ground.
TEST(WindowLayout, UncheckedOptionBoxesShowUnderADarkStyleSheet)
{
    const QString oldSheet = qApp->styleSheet();
    qApp->setStyleSheet(QStringLiteral("QWidget { background-color: #101010; color: #e0e0e0; }"));
    {
        FakeServices services;
        TForm1 form(services);
        form.show();
        auto* options = form.findChild<QListWidget*>(QStringLiteral("CheckListBox1"));
        ASSERT_NE(options, nullptr);
        QCoreApplication::processEvents();
        const QImage shot = options->viewport()->grab().toImage();
        const QRect row = options->visualItemRect(options->item(0));
        QStyleOptionViewItem item;
        item.initFrom(options->viewport());
        item.rect = row;
        item.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        item.checkState = Qt::Unchecked;
        const QRect box = options->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &item, options);
        const int ground = qGray(shot.pixel(row.right() - 2, row.center().y()));
        int contrast = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                contrast = std::max(contrast, std::abs(qGray(shot.pixel(x, y)) - ground));
        EXPECT_GE(contrast, 100) << "the box's border is lost in the ground";
    }
    qApp->setStyleSheet(oldSheet);
}

// SPDX-License-Identifier: MIT
// What a screen reader finds in both windows: every control that takes the focus named,
// uniquely within its window; fields named by their labels and the rest by names of their
// own; the gauge a progress bar with its value; the main window a frame.
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "tests/app/FakeServices.h"
#include "widgets/Gauges.h"

#include <QAccessible>
#include <QSet>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

using namespace kameola;
using namespace kameola::test;

namespace {

QAccessibleInterface* Accessible(QObject* object)
{
    return object ? QAccessible::queryAccessibleInterface(object) : nullptr;
}

QString NameOf(QObject* object)
{
    QAccessibleInterface* accessible = Accessible(object);
    return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("<none>");
}

} // namespace

TEST(Accessibility, EveryControlIsNamedOnceInItsWindowAndTheGaugeIsAProgressBar)
{
    FakeServices services;
    TForm1 form(services);
    TForm2 style(services, &form);

    const struct {
        QWidget* window;
        const char* object;  // a control, or spin buttons (then its two arrows' names)
        QStringList names;
    } cases[] = {
        {&form, "ListView1", {"ファイル一覧"}},
        {&form, "CheckListBox1", {"オプション"}},
        {&form, "Gauge1", {"進行状況"}},
        {&form, "Edit1", {"出力先ディレクトリ"}},
        {&form, "Edit4", {"HTMLファイル名"}},
        {&form, "Edit2", {"列の数"}},
        {&form, "Edit5", {"縮小画像の横幅"}},
        {&form, "Edit3", {"タイトル"}},
        {&form, "UpDown1", {"列の数を増やす", "列の数を減らす"}},
        {&form, "UpDown2", {"縮小画像の横幅を増やす", "縮小画像の横幅を減らす"}},
        {&form, "Button4", {"参照"}},
        {&style, "FontList", {"フォント"}},
        {&style, "Memo1", {"プレビュー"}},
        {&style, "Edit1", {"背景の画像"}},
        {&style, "Button4", {"文字の色を選択"}},
        {&style, "Button3", {"背景の色を選択"}},
        {&style, "Button1", {"参照"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.object);
        auto* control = c.window->findChild<QWidget*>(QString::fromLatin1(c.object));
        ASSERT_NE(control, nullptr);
        const QList<QToolButton*> arrows = control->findChildren<QToolButton*>();
        if (c.names.size() == 1) {
            EXPECT_EQ(NameOf(control), c.names.first());
            continue;
        }
        QStringList arrowNames;
        for (QToolButton* arrow : arrows)
            arrowNames << NameOf(arrow);
        EXPECT_EQ(arrowNames, c.names);
    }

    // The walk: each control that takes the focus, in both windows.
    for (QWidget* window : {static_cast<QWidget*>(&form), static_cast<QWidget*>(&style)}) {
        QSet<QString> seen;
        int focusable = 0;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (control->focusPolicy() == Qt::NoFocus || control->window() != window)
                continue;
            ++focusable;
            const QString name = NameOf(control);
            EXPECT_FALSE(name.isEmpty()) << control->objectName().toStdString();
            EXPECT_FALSE(seen.contains(name)) << name.toStdString() << " twice in "
                                              << window->objectName().toStdString();
            seen.insert(name);
        }
        EXPECT_GE(focusable, window == &form ? 15 : 7);
    }

    // The windows: a frame and a dialog.
    ASSERT_NE(Accessible(&form), nullptr);
    EXPECT_EQ(Accessible(&form)->role(), QAccessible::Window);
    EXPECT_EQ(Accessible(&style)->role(), QAccessible::Dialog);
}

TEST(Accessibility, TheGaugeTellsItsRangeAndProgress)
{
    TGauge gauge;
    QAccessibleInterface* accessible = Accessible(&gauge);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::ProgressBar);
    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("0%"));
    // A run of five entries at its fourth: 75%.
    gauge.SetMaxValue(4);
    gauge.SetProgress(3);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 4);
    EXPECT_EQ(value->currentValue().toInt(), 3);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("75%"));
    // The user cannot move it.
    value->setCurrentValue(1);
    EXPECT_EQ(gauge.Progress(), 3);
}

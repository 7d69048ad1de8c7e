// SPDX-License-Identifier: MIT
// Tests that message boxes are wide enough for their whole caption.
#include "widgets/MessageBoxWidth.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace kameola;

TEST(MessageBoxWidth, BoxesLeaveRoomForTheirWholeCaption)
{
    const QString longCaption = QStringLiteral("I/O エラー (17) が起きたときの長い見出しの箱");
    EXPECT_EQ(MessageBoxMinimumWidth(QString()), 220);
    EXPECT_GT(MessageBoxMinimumWidth(longCaption), 220);
    for (const QString& caption : {QStringLiteral("結果報告"), longCaption}) {
        SCOPED_TRACE(caption.toStdString());
        QMessageBox box(QMessageBox::NoIcon, caption, QStringLiteral("終了しました"), QMessageBox::Ok);
        WidenForCaption(box);
        box.show();
        QCoreApplication::processEvents();
        EXPECT_GE(box.width(), MessageBoxMinimumWidth(caption));
        EXPECT_LT(box.width(), MessageBoxMinimumWidth(caption) + 80) << "not wider than it needs";
    }
}

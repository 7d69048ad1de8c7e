// SPDX-License-Identifier: MIT
// WindowFixture: a main window over FakeServices, a scratch folder and the helpers the window tests share.
#pragma once

#include "app/ApplicationTitle.h"
#include "app/Unit1.h"
#include "tests/app/FakeServices.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

namespace kameola::test {

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetApplicationTitle(QStringLiteral("Kameola"));
        ASSERT_TRUE(dir.isValid());
    }

    template <class W = QWidget>
    W* Control(const char* name)
    {
        W* widget = form.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QTreeWidget* List() { return Control<QTreeWidget>("ListView1"); }
    void Click(const char* button) { Control<QPushButton>(button)->click(); }

    // Writes content to name inside the scratch folder; its path.
    QString MakeFile(const QString& name, const QByteArray& content = "data")
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(content);
        return path;
    }

    QStringList Rows(int column = 0)
    {
        QStringList rows;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            rows << List()->topLevelItem(i)->text(column);
        return rows;
    }

    QStringList SelectedRows()
    {
        QStringList rows;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            if (List()->topLevelItem(i)->isSelected())
                rows << List()->topLevelItem(i)->text(0);
        return rows;
    }

    // Drops the paths on the window as a file manager does.
    void Drop(const QStringList& paths)
    {
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        QMimeData data;
        data.setUrls(urls);
        Drop(data);
    }

    // Drops what a file manager would put in a drop.
    void Drop(const QMimeData& data)
    {
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &drop);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    FakeServices services;
    TForm1 form{services};
};

} // namespace kameola::test

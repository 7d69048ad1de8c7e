// SPDX-License-Identifier: MIT
// Tests of the style dialog: layout, keyboard, colour, font and picture choices, placement.
#include "common/Errors.h"
#include "gallery/DefaultFace.h"
#include "app/Unit2.h"
#include "app/ApplicationTitle.h"
#include "app/Fonts.h"
#include "app/Services.h"
#include "tests/app/FakeServices.h"
#include "tests/ModalHelper.h"
#include "tests/app/WindowLayouts.h"

#include <QApplication>
#include <QDialog>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

using namespace kameola;
using kameola::test::WhenModal;
using namespace kameola::test;

namespace {

template <class T>
T* Child(const QWidget& form, const char* name)
{
    T* w = form.findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

} // namespace

TEST(Unit2Test, WindowControlsAndTabOrder)
{
    FakeServices services;
    TForm2 form(services);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("HTMLの設定"));
    EXPECT_EQ(form.minimumSize(), QSize(376, 151));
    EXPECT_EQ(form.maximumSize(), QSize(376, 151));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    ExpectControlsInPlace(form, kStyleDialogPlaces);
    EXPECT_EQ(Child<QLabel>(form, "Label3")->text(), QStringLiteral("フォントの色"));
    EXPECT_EQ(Child<QTextEdit>(form, "Memo1")->toPlainText(), QStringLiteral("文字はこんな感じです"));
    auto* done = Child<QPushButton>(form, "Button2");
    EXPECT_EQ(done->text(), QStringLiteral("設定完了"));

    QStringList order;
    QWidget* w = done;
    do {
        if (w->focusPolicy() != Qt::NoFocus && !w->objectName().isEmpty())
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != done && order.size() < 7);
    EXPECT_EQ(order.join(' '), QStringLiteral("Button2 FontList Edit1 Button1 Memo1 Button3 Button4"));
}

TEST(Unit2Test, StartsWithDefaultStyleAndTheJapaneseFaces)
{
    FakeServices services;
    TForm2 form(services);
    auto* fontList = Child<QComboBox>(form, "FontList");
    const QStringList listed = JapaneseTypefaces();
    ASSERT_EQ(fontList->count(), listed.size());
    for (int i = 0; i < fontList->count(); ++i)
        EXPECT_EQ(fontList->itemText(i), listed[i]);

    const PageStyle style = form.Style();
    EXPECT_EQ(style.TextColor, 0x000000u);
    EXPECT_EQ(style.BackgroundColor, 0xFFFFFFu);
    EXPECT_EQ(style.BackgroundImage, "");
    EXPECT_FALSE(style.StyleChanged);
    if (listed.contains(QString::fromUtf8(kWindowFaceName))) {
        EXPECT_EQ(style.FontFace, kWindowFaceName);
    } else {
        // The face is not installed (the usual case here): nothing selected, no face.
        EXPECT_EQ(fontList->currentIndex(), -1);
        EXPECT_EQ(style.FontFace, "");
    }
    EXPECT_EQ(style.FontFace, DefaultPageFace());  // the face kameola-cli takes
}

TEST(Unit2Test, OnlyUserFontSelectionsChangeTheStyle)
{
    FakeServices services;
    TForm2 form(services);
    auto* fontList = Child<QComboBox>(form, "FontList");
    if (fontList->count() < 1)
        GTEST_SKIP() << "no Japanese face installed";
    fontList->setCurrentIndex(0);  // set by the program, not by the user
    EXPECT_FALSE(form.Style().StyleChanged);

    fontList->setCurrentIndex(-1);
    fontList->setFocus();
    QTest::keyClick(fontList, Qt::Key_Down);  // the user steps onto the first face
    const QString face = fontList->itemText(0);
    ASSERT_EQ(fontList->currentIndex(), 0);
    const PageStyle style = form.Style();
    EXPECT_TRUE(style.StyleChanged);
    EXPECT_EQ(style.FontFace, face.toStdString());
    EXPECT_EQ(Child<QTextEdit>(form, "Memo1")->font().family(), face);
    EXPECT_EQ(Child<QTextEdit>(form, "Memo1")->font().pixelSize(), 12);
}

TEST(Unit2Test, ColourChoicesUpdateStylePreviewAndFlag)
{
    FakeServices services;
    TForm2 form(services);
    auto* memo = Child<QTextEdit>(form, "Memo1");
    const QPalette initial = memo->palette();

    // Cancelled: nothing changes.
    services.colors = {std::nullopt, std::nullopt};
    QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(form, "Button3"), Qt::LeftButton);
    EXPECT_FALSE(form.Style().StyleChanged);
    EXPECT_EQ(memo->palette(), initial);
    EXPECT_EQ(services.colorStarts, (std::vector<QColor>{Qt::black, Qt::white}));  // black text, white background

    // Confirming black unchanged still counts as a choice.
    services.colors = {QColor(Qt::black)};
    QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
    EXPECT_TRUE(form.Style().StyleChanged);
    EXPECT_EQ(form.Style().TextColor, 0x000000u);

    // Red text, then a blue background: both reach the preview and the style.
    services.colors = {QColor(Qt::red), QColor(Qt::blue)};
    QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
    EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(Qt::red));
    QTest::mouseClick(Child<QPushButton>(form, "Button3"), Qt::LeftButton);
    EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(Qt::blue));
    const PageStyle style = form.Style();
    EXPECT_EQ(style.TextColor, 0x0000FFu);
    EXPECT_EQ(style.BackgroundColor, 0xFF0000u);
    EXPECT_EQ(services.colorStarts.back(), QColor(Qt::white));  // started from the colour held before
}

TEST(Unit2Test, PictureChoiceFillsTheFieldWithoutTouchingTheFlag)
{
    FakeServices services;
    TForm2 form(services);
    auto* edit = Child<QLineEdit>(form, "Edit1");

    services.pictures = QStringList{QStringLiteral("/pics/背景.JPG")};
    QTest::mouseClick(Child<QPushButton>(form, "Button1"), Qt::LeftButton);
    EXPECT_EQ(edit->text(), QStringLiteral("/pics/背景.JPG"));
    EXPECT_FALSE(form.Style().StyleChanged);
    services.pictures.reset();
    QTest::mouseClick(Child<QPushButton>(form, "Button1"), Qt::LeftButton);  // cancelled
    EXPECT_EQ(form.Style().BackgroundImage, "/pics/背景.JPG");

    QTest::keyClicks(edit, QStringLiteral(" x"));  // typed by hand: taken as typed
    EXPECT_EQ(form.Style().BackgroundImage, "/pics/背景.JPG x");
    EXPECT_FALSE(form.Style().StyleChanged);
}

TEST(Unit2Test, ModalShowingFocusKeysAndClosingKeepEverything)
{
    FakeServices services;
    TForm2 form(services);
    services.colors = {QColor(Qt::red)};

    // Opens with 設定完了 focused; Enter in the picture field clicks nothing; the close box
    // (a close request) keeps the choice made meanwhile.
    bool checked = false;
    WhenModal([&](QWidget* modal) {
        EXPECT_EQ(modal, &form);
        EXPECT_EQ(QApplication::focusWidget(), Child<QPushButton>(form, "Button2"));
        QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
        auto* edit = Child<QLineEdit>(form, "Edit1");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_TRUE(form.isVisible());
        form.close();
        checked = true;
    });
    form.exec();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Style().TextColor, 0x0000FFu);
    EXPECT_TRUE(form.Style().StyleChanged);

    // Opened again (last focus was in the field): focus is back on 設定完了, Enter there closes.
    checked = false;
    WhenModal([&](QWidget*) {
        EXPECT_EQ(QApplication::focusWidget(), Child<QPushButton>(form, "Button2"));
        checked = true;
        QTest::keyClick(Child<QPushButton>(form, "Button2"), Qt::Key_Return);
    });
    form.exec();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(form.isVisible());

    // Escape does nothing: there is no cancel button. The focus frame is drawn on 設定完了.
    WhenModal([&](QWidget*) {
        auto* done = Child<QPushButton>(form, "Button2");
        EXPECT_EQ(QApplication::focusWidget(), done);
        QStyleOptionButton look;
        look.initFrom(done);
        EXPECT_TRUE(look.state & QStyle::State_HasFocus);
        EXPECT_TRUE(look.state & QStyle::State_KeyboardFocusChange) << "no focus frame";
        QTest::keyClick(done, Qt::Key_Escape);
        QTest::keyClick(&form, Qt::Key_Escape);
        EXPECT_TRUE(form.isVisible());
        form.close();
    });
    form.exec();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Style().TextColor, 0x0000FFu);
    EXPECT_TRUE(form.Style().StyleChanged);
}

TEST(Unit2Test, FirstShownCentredThenWhereItWasLast)
{
    FakeServices services;
    TForm2 form(services);
    form.show();
    const QRect desk = form.screen()->availableGeometry();
    EXPECT_LE((form.geometry().center() - desk.center()).manhattanLength(), 4);
    form.move(form.pos() + QPoint(37, -21));
    const QPoint moved = form.pos();
    form.hide();
    form.show();
    EXPECT_EQ(form.pos(), moved);
    form.hide();
}

TEST(Unit2Test, RealColourDialogStartsAtTheColourAndConvertsTheAnswer)
{
    QtServices services;
    TForm2 form(services);
    form.show();
    auto* button3 = Child<QPushButton>(form, "Button3");
    bool checked = false;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QColorDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->currentColor(), QColor(Qt::white));
        dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
        dialog->accept();
        checked = true;
    });
    QTest::mouseClick(button3, Qt::LeftButton);
    EXPECT_TRUE(checked);
    EXPECT_EQ(form.Style().BackgroundColor, 0x563412u);

    WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QTest::mouseClick(button3, Qt::LeftButton);
    EXPECT_EQ(form.Style().BackgroundColor, 0x563412u);
    form.hide();
}

// The preview follows the chosen face and colours whatever style sheet or palette the
// application has; until then it shows the edit colours the application gives it.
TEST(Unit2Test, PreviewFollowsTheChoicesUnderAnyStyle)
{
    struct Case {
        const char* what;
        QString styleSheet;
        QColor editBackground;  // what the preview shows before a colour is confirmed
    };
    const Case cases[] = {
        {"dark style sheet", "QTextEdit { color: #eeeeee; background-color: #202020; font-family: \"Serif\" }",
         QColor(0x20, 0x20, 0x20)},
        {"dark palette", QString(), QColor(0x30, 0x30, 0x30)},
    };
    const QPalette oldPalette = QApplication::palette();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QPalette dark = oldPalette;
        dark.setColor(QPalette::Base, QColor(0x30, 0x30, 0x30));
        dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
        QApplication::setPalette(c.styleSheet.isEmpty() ? dark : oldPalette);
        qApp->setStyleSheet(c.styleSheet);
        {
            FakeServices services;
            TForm2 form(services);
            form.show();
            auto* memo = Child<QTextEdit>(form, "Memo1");
            const auto background = [memo] {
                return memo->viewport()->grab().toImage().pixelColor(memo->viewport()->width() - 3,
                                                                     memo->viewport()->height() - 3);
            };
            EXPECT_EQ(background(), c.editBackground);

            auto* fontList = Child<QComboBox>(form, "FontList");
            if (fontList->count() > 0) {
                fontList->setCurrentIndex(-1);
                fontList->setFocus();
                QTest::keyClick(fontList, Qt::Key_Down);
                memo->ensurePolished();
                EXPECT_EQ(memo->font().family(), fontList->itemText(0));
                EXPECT_EQ(QFontInfo(memo->font()).family(), QFontInfo(QFont(fontList->itemText(0))).family());
            }
            EXPECT_EQ(background(), c.editBackground) << "a face alone keeps the colours";

            services.colors = {QColor(Qt::red)};  // red text: the white background comes with it
            QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
            EXPECT_EQ(background(), QColor(Qt::white));
            services.colors = {QColor(Qt::blue)};
            QTest::mouseClick(Child<QPushButton>(form, "Button3"), Qt::LeftButton);
            EXPECT_EQ(background(), QColor(Qt::blue));
            const QImage shown = memo->viewport()->grab().toImage();
            bool redText = false;
            for (int y = 0; y < shown.height() && !redText; ++y)
                for (int x = 0; x < shown.width() && !redText; ++x)
                    redText = shown.pixelColor(x, y).red() > 200 && shown.pixelColor(x, y).blue() < 80;
            EXPECT_TRUE(redText) << "the text is drawn in the chosen colour";
        }
        qApp->setStyleSheet(QString());
        QApplication::setPalette(oldPalette);
    }
}

// An error in a handler ends at the command's edge as the main window's do: one error box.
TEST(Unit2Test, HandlerErrorsGoToTheErrorBox)
{
    SetApplicationTitle(QStringLiteral("Kameola"));
    struct FailingDialogs : FakeServices {
        std::optional<QColor> ExecColorDialog(QColorDialog&) override { throw EFOpenError("/x/colours"); }
        std::optional<QStringList> ExecFileDialog(QFileDialog&) override { throw EAbort(); }
    } services;
    TForm2 form(services);
    QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(form, "Button1"), Qt::LeftButton);  // dropped silently
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, test::ErrorBoxText(EFOpenError("/x/colours")));
    EXPECT_TRUE(services.boxes[0].error);
    EXPECT_FALSE(form.Style().StyleChanged);
}

// A platform theme may give the application a larger font than the window's: picking a face
// changes the preview's face only, not its size.
TEST(Unit2Test, PickingAFaceKeepsThePreviewSize)
{
    const QFont appFont = QApplication::font();
    QFont large = appFont;
    large.setPixelSize(16);
    QApplication::setFont(large);
    {
        FakeServices services;
        TForm2 form(services);
        auto* fontList = Child<QComboBox>(form, "FontList");
        auto* preview = Child<QTextEdit>(form, "Memo1");
        form.show();
        const int before = QFontInfo(preview->font()).pixelSize();
        if (fontList->count() > 0) {
            fontList->setFocus();
            fontList->setCurrentIndex(-1);
            QTest::keyClick(fontList, Qt::Key_Down);
            QCoreApplication::processEvents();
            EXPECT_EQ(QFontInfo(preview->font()).family(), QFontInfo(QFont(fontList->itemText(0))).family());
        }
        EXPECT_EQ(QFontInfo(preview->font()).pixelSize(), before);
        EXPECT_EQ(before, 12);
    }
    QApplication::setFont(appFont);
}

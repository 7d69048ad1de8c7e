// Tests of the style dialog: layout, keyboard, colour, font and picture choices, placement.
#include "app/Unit2.h"

#include "app/ApplicationTitle.h"
#include "app/Fonts.h"
#include "common/Errors.h"
#include "tests/app/FakeServices.h"
#include "gallery/DefaultFace.h"

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
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/ModalHelper.h"

using namespace kameola;
using kameola::test::WhenModal;

namespace {

// Scripted choosers: each call pops the next answer and records the starting colour.
struct ScriptedChoosers {
    std::vector<std::optional<Color>> colors;
    std::vector<std::optional<QString>> pictures;
    std::vector<Color> starts;

    StyleChoosers Make()
    {
        return {[this](Color start, QWidget*) {
                    starts.push_back(start);
                    auto answer = colors.front();
                    colors.erase(colors.begin());
                    return answer;
                },
                [this](QWidget*) {
                    auto answer = pictures.front();
                    pictures.erase(pictures.begin());
                    return answer;
                }};
    }
};

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
    TForm2 form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("HTMLの設定"));
    EXPECT_EQ(form.minimumSize(), QSize(376, 151));
    EXPECT_EQ(form.maximumSize(), QSize(376, 151));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(Child<QWidget>(form, "FontList")->geometry(), QRect(80, 8, 137, 20));
    EXPECT_EQ(Child<QWidget>(form, "Memo1")->geometry(), QRect(224, 8, 145, 73));
    EXPECT_EQ(Child<QWidget>(form, "Edit1")->geometry(), QRect(80, 88, 249, 20));
    EXPECT_EQ(Child<QLabel>(form, "Label3")->text(), QStringLiteral("フォントの色"));
    EXPECT_EQ(Child<QTextEdit>(form, "Memo1")->toPlainText(), QStringLiteral("文字はこんな感じです"));
    auto* done = Child<QPushButton>(form, "Button2");
    EXPECT_EQ(done->geometry(), QRect(160, 120, 75, 25));
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
    TForm2 form;
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
    TForm2 form;
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
    TForm2 form;
    ScriptedChoosers script;
    form.SetChoosers(script.Make());
    auto* memo = Child<QTextEdit>(form, "Memo1");
    const QPalette initial = memo->palette();

    // Cancelled: nothing changes.
    script.colors = {std::nullopt, std::nullopt};
    QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(form, "Button3"), Qt::LeftButton);
    EXPECT_FALSE(form.Style().StyleChanged);
    EXPECT_EQ(memo->palette(), initial);
    EXPECT_EQ(script.starts, (std::vector<Color>{0x000000, 0xFFFFFF}));  // black text, white background

    // Confirming black unchanged still counts as a choice.
    script.colors = {Color{0x000000}};
    QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
    EXPECT_TRUE(form.Style().StyleChanged);
    EXPECT_EQ(form.Style().TextColor, 0x000000u);

    // Red text, then a blue background: both reach the preview and the style.
    script.colors = {Color{0x0000FF}, Color{0xFF0000}};
    QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
    EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(Qt::red));
    QTest::mouseClick(Child<QPushButton>(form, "Button3"), Qt::LeftButton);
    EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(Qt::blue));
    const PageStyle style = form.Style();
    EXPECT_EQ(style.TextColor, 0x0000FFu);
    EXPECT_EQ(style.BackgroundColor, 0xFF0000u);
    EXPECT_EQ(script.starts.back(), 0xFFFFFFu);  // started from the colour held before
}

TEST(Unit2Test, PictureChoiceFillsTheFieldWithoutTouchingTheFlag)
{
    TForm2 form;
    ScriptedChoosers script;
    form.SetChoosers(script.Make());
    auto* edit = Child<QLineEdit>(form, "Edit1");

    script.pictures = {QStringLiteral("/pics/背景.JPG"), std::nullopt};
    QTest::mouseClick(Child<QPushButton>(form, "Button1"), Qt::LeftButton);
    EXPECT_EQ(edit->text(), QStringLiteral("/pics/背景.JPG"));
    EXPECT_FALSE(form.Style().StyleChanged);
    QTest::mouseClick(Child<QPushButton>(form, "Button1"), Qt::LeftButton);  // cancelled
    EXPECT_EQ(form.Style().BackgroundImage, "/pics/背景.JPG");

    QTest::keyClicks(edit, QStringLiteral(" x"));  // typed by hand: taken as typed
    EXPECT_EQ(form.Style().BackgroundImage, "/pics/背景.JPG x");
    EXPECT_FALSE(form.Style().StyleChanged);
}

TEST(Unit2Test, ModalShowingFocusKeysAndClosingKeepEverything)
{
    TForm2 form;
    ScriptedChoosers script;
    form.SetChoosers(script.Make());
    script.colors = {Color{0x0000FF}};

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
    form.ShowModal();
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
    form.ShowModal();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(form.isVisible());

    // Escape closes too, and nothing is undone.
    WhenModal([&](QWidget*) {
        EXPECT_EQ(QApplication::focusWidget(), Child<QPushButton>(form, "Button2"));
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    form.ShowModal();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Style().TextColor, 0x0000FFu);
    EXPECT_TRUE(form.Style().StyleChanged);
}

TEST(Unit2Test, FirstShownCentredThenWhereItWasLast)
{
    TForm2 form;
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

TEST(Unit2Test, DefaultColourChooserStartsAtTheColourAndConvertsTheAnswer)
{
    const StyleChoosers choosers = DefaultStyleChoosers();
    WhenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QColorDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->currentColor(), QColor(0x56, 0x34, 0x12));
        dialog->setCurrentColor(QColor(0, 0, 255));
        dialog->accept();
    });
    EXPECT_EQ(choosers.ChooseColor(0x123456, nullptr), std::optional<Color>(0xFF0000));

    WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(choosers.ChooseColor(0x123456, nullptr), std::nullopt);
}

TEST(Unit2Test, DefaultPictureDialogFiltersJpegAndGifInAnyCaseAndPreviews)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::green);
    for (const char* name : {"a.jpg", "c.Jpg", "d.png"})
        ASSERT_TRUE(image.save(dir.filePath(QLatin1String(name)), "JPEG"));
    ASSERT_TRUE(image.save(dir.filePath(QStringLiteral("B.GIF")), "GIF") ||
                QFile(dir.filePath(QStringLiteral("a.jpg"))).copy(dir.filePath(QStringLiteral("B.GIF"))));

    const StyleChoosers choosers = DefaultStyleChoosers();
    QStringList shown;
    bool previewed = false;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        EXPECT_EQ(types->count(), 1);
        EXPECT_EQ(types->currentText(), QStringLiteral("画像ファイル(*.JPG;*.GIF)"));

        auto* model = dialog->findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        dialog->setDirectory(dir.path());
        const QModelIndex root = model->index(dir.path());
        EXPECT_TRUE(QTest::qWaitFor([&] { return model->rowCount(root) >= 3; }));
        for (int i = 0; i < model->rowCount(root); ++i) {
            const QModelIndex index = model->index(i, 0, root);
            // Filtered-out names stay in the model but are disabled or hidden.
            if (model->flags(index) & Qt::ItemIsEnabled)
                shown << model->fileName(index);
        }
        auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        ASSERT_NE(list, nullptr);
        const QModelIndex picture = model->index(dir.filePath(QStringLiteral("a.jpg")));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(picture).center());
        auto* preview = dialog->findChild<QLabel*>(QStringLiteral("PicturePreview"));
        ASSERT_NE(preview, nullptr);
        previewed = !preview->pixmap().isNull();
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<QString> chosen = choosers.ChoosePicture(nullptr);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.filePath(QStringLiteral("a.jpg")));
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"B.GIF", "a.jpg", "c.Jpg"}));
    EXPECT_TRUE(previewed);

    WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(choosers.ChoosePicture(nullptr), std::nullopt);
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
            TForm2 form;
            ScriptedChoosers script;
            form.SetChoosers(script.Make());
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

            script.colors = {Color{0x0000FF}};  // red text: the white background comes with it
            QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
            EXPECT_EQ(background(), QColor(Qt::white));
            script.colors = {Color{0xFF0000}};
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
    kameola::testing::FakeServices services;
    TForm2 form;
    form.SetServices(services);
    form.SetChoosers({[](Color, QWidget*) -> std::optional<Color> { throw EFOpenError("/x/colours"); },
                      [](QWidget*) -> std::optional<QString> { throw EAbort(); }});
    QTest::mouseClick(Child<QPushButton>(form, "Button4"), Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(form, "Button1"), Qt::LeftButton);  // dropped silently
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, QString::fromStdString(WithFullStop(EFOpenError("/x/colours").Message())));
    EXPECT_TRUE(services.boxes[0].error);
    EXPECT_FALSE(form.Style().StyleChanged);
}

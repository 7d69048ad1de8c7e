// SPDX-License-Identifier: MIT
// TForm2: the style dialog that holds the page's font face, colours and background picture.
#include "app/Unit2.h"

#include "gallery/DefaultFace.h"
#include "widgets/FileDialogs.h"
#include "widgets/FitLabel.h"
#include "widgets/Place.h"
#include "app/CommandGuard.h"
#include "app/Fonts.h"
#include "app/PathText.h"
#include "app/PictureDialog.h"
#include "app/Services.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFontInfo>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

#include <memory>

namespace kameola {

QColor ToQColor(Color color)
{
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

Color FromQColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return MakeColor(rgb.red(), rgb.green(), rgb.blue());
}

TForm2::TForm2(Services& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_services(services)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("HTMLの設定"));
    setFixedSize(376, 151);
    setFont(WindowFont());
    CreateControls();
    ConnectControls();
    FormCreate();
}

void TForm2::CreateControls()
{
    auto label = [this](const QString& text, const char* name, int l, int t, int w, int h) {
        return Place(new QLabel(text, this), name, l, t, w, h);
    };
    auto button = [this](const QString& text, const char* name, int l, int t, int w, int h) {
        auto* btn = Place(new QPushButton(text, this), name, l, t, w, h);
        // No default button: Enter is handled in keyPressEvent.
        btn->setAutoDefault(false);
        btn->setDefault(false);
        return btn;
    };

    Label2 = label(QStringLiteral("フォント"), "Label2", 32, 12, 38, 12);
    FontList = Place(new QComboBox(this), "FontList", 80, 8, 137, 20);
    FontList->setEditable(false);

    Memo1 = Place(new QTextEdit(this), "Memo1", 224, 8, 145, 73);
    Memo1->setAcceptRichText(false);
    Memo1->setTabChangesFocus(true);
    QTextOption centred = Memo1->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    Memo1->document()->setDefaultTextOption(centred);
    Memo1->setPlainText(QStringLiteral("文字はこんな感じです"));

    Label3 = label(QStringLiteral("フォントの色"), "Label3", 8, 36, 62, 12);
    Button4 = button(QStringLiteral("色を選択"), "Button4", 80, 32, 75, 25);
    Label1 = label(QStringLiteral("背景の色"), "Label1", 24, 64, 48, 12);
    Button3 = button(QStringLiteral("色を選択"), "Button3", 80, 58, 75, 25);
    Label4 = label(QStringLiteral("背景の画像"), "Label4", 16, 92, 60, 12);
    Edit1 = Place(new QLineEdit(this), "Edit1", 80, 88, 249, 20);
    Button1 = button(QStringLiteral("参照"), "Button1", 336, 86, 33, 25);
    Button2 = button(QStringLiteral("設定完了"), "Button2", 160, 120, 75, 25);

    // For screen readers: each field named by its label, the rest by names of their own.
    Label2->setBuddy(FontList);
    Label4->setBuddy(Edit1);
    Memo1->setAccessibleName(QStringLiteral("プレビュー"));
    Button4->setAccessibleName(QStringLiteral("文字の色を選択"));
    Button3->setAccessibleName(QStringLiteral("背景の色を選択"));
}

void TForm2::ConnectControls()
{
    // Each label shows its whole text in whatever Japanese face stands in for the window's.
    FitLabel(*Label2, FontList->x());
    FitLabel(*Label3, Button4->x());
    FitLabel(*Label1, Button3->x());
    FitLabel(*Label4, Edit1->x());

    setTabOrder(Button2, FontList);
    setTabOrder(FontList, Edit1);
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Memo1);
    setTabOrder(Memo1, Button3);
    setTabOrder(Button3, Button4);

    // activated: only selections made by the user count as a change of style.
    connect(FontList, &QComboBox::activated, this, [this](int index) { Command([=, this] { FontListChange(index); }); });
    const auto wire = [this](QPushButton* button, void (TForm2::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { Command([this, handler] { (this->*handler)(); }); });
    };
    wire(Button4, &TForm2::Button4Click);
    wire(Button3, &TForm2::Button3Click);
    wire(Button1, &TForm2::Button1Click);
    wire(Button2, &TForm2::Button2Click);
}

void TForm2::Command(const std::function<void()>& command)
{
    RunCommand(m_services, this, command);
}

void TForm2::FormCreate()
{
    m_style = PageStyle{};

    FontList->clear();
    FontList->addItems(JapaneseTypefaces());
    // The page's default face, as the batch front end takes it; none when not installed.
    const std::string face = DefaultPageFace();
    FontList->setCurrentIndex(face.empty() ? -1 : FontList->findText(QString::fromStdString(face)));
}

PageStyle TForm2::Style() const
{
    PageStyle style = m_style;
    style.FontFace = FontList->currentIndex() < 0 ? std::string() : FontList->currentText().toStdString();
    style.BackgroundImage = PathFromText(Edit1->text());
    return style;
}

void TForm2::FontListChange(int index)
{
    if (index < 0)
        return;
    m_previewFace = FontList->itemText(index);
    UpdatePreview();
    m_style.StyleChanged = true;
}

void TForm2::Button4Click()
{
    TakeColor(m_style.TextColor);
}

void TForm2::Button3Click()
{
    TakeColor(m_style.BackgroundColor);
}

void TForm2::TakeColor(Color& color)
{
    const std::optional<Color> chosen = ChooseColor(color);
    if (!chosen)
        return;
    color = *chosen & 0xFFFFFF;
    m_previewColored = true;
    UpdatePreview();
    m_style.StyleChanged = true;
}

void TForm2::Button1Click()
{
    const std::unique_ptr<QFileDialog> dialog(
        CreatePictureDialog(this, kBackgroundPicture, PictureStartFolder(QString())));
    const std::optional<QStringList> chosen = m_services.ExecFileDialog(*dialog);
    if (chosen && !chosen->isEmpty())
        Edit1->setText(chosen->first());
}

std::optional<Color> TForm2::ChooseColor(Color start)
{
    // Qt keeps the custom colours for the whole process.
    UseNoSettingsFile();
    QColorDialog dialog(ToQColor(start), this);
    dialog.setObjectName(QStringLiteral("ColorDialog"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    const std::optional<QColor> chosen = m_services.ExecColorDialog(dialog);
    if (!chosen)
        return std::nullopt;
    return FromQColor(*chosen);
}

void TForm2::Button2Click()
{
    close();
}

void TForm2::UpdatePreview()
{
    // A style sheet of the preview's own: it outranks the application's style sheet and
    // palette, which would otherwise keep their colours and face in the preview.
    QStringList rules;
    if (!m_previewFace.isEmpty()) {
        QString face = m_previewFace;
        face.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
        // The size too: a style sheet's font takes what it leaves out from the application's
        // font, which a platform theme may make larger than the window's.
        rules << QStringLiteral("font-family: \"%1\"").arg(face)
              << QStringLiteral("font-size: %1px").arg(QFontInfo(font()).pixelSize());
    }
    if (m_previewColored) {
        const QString text = ToQColor(m_style.TextColor).name();
        const QString background = ToQColor(m_style.BackgroundColor).name();
        rules << QStringLiteral("color: %1").arg(text) << QStringLiteral("background-color: %1").arg(background);
        QPalette palette = Memo1->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Text, ToQColor(m_style.TextColor));
            palette.setColor(group, QPalette::Base, ToQColor(m_style.BackgroundColor));
        }
        Memo1->setPalette(palette);
    }
    Memo1->setStyleSheet(QStringLiteral("QTextEdit#Memo1 { %1 }").arg(rules.join(QLatin1String("; "))));
    if (!m_previewFace.isEmpty()) {
        QFont font = Memo1->font();
        font.setFamily(m_previewFace);
        Memo1->setFont(font);
    }
}

void TForm2::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        if (m_shownBefore) {
            move(m_lastPos);  // back where it was; also stops QDialog from centring it again
        } else if (QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen()) {
            const QRect desk = screen->availableGeometry();
            move(desk.center() - QPoint(width() / 2, height() / 2));
        }
        m_shownBefore = true;
    } else if (!visible && isVisible()) {
        m_lastPos = pos();
    }
    QDialog::setVisible(visible);
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // As if tabbed to, also when it kept the focus from the last showing: the button shows
    // its focus frame.
    setAttribute(Qt::WA_KeyboardFocusChange);
    Button2->setFocus(Qt::TabFocusReason);
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    // There is no cancel button: Escape does nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    // Enter clicks the button that has the focus and nothing else; there is no default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace kameola

// SPDX-License-Identifier: MIT
// TForm2: the style dialog that holds the page's font face, colours and background picture.
#pragma once

#include "gallery/Job.h"

#include <QDialog>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace kameola {

// Converts between the page's 0x00BBGGRR colours and Qt colours.
QColor ToQColor(Color color);
Color FromQColor(const QColor& color);

class Services;

class TForm2 : public QDialog {
    Q_OBJECT

public:
    // The colour and picture dialogs and the handlers' errors are shown through services.
    explicit TForm2(Services& services, QWidget* parent = nullptr);

    // The page style as the dialog holds it at this moment.
    PageStyle Style() const;

    void setVisible(bool visible) override;

private:
    void FormCreate();
    void FontListChange(int index);
    void Button4Click();  // text colour
    void Button3Click();  // background colour
    void Button1Click();  // background picture
    void Button2Click();  // close

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Command(const std::function<void()>& command);
    void CreateControls();
    void ConnectControls();  // labels fitted, tab order, handlers
    void UpdatePreview();
    // The colour dialog starting at start; the colour chosen, or nothing when cancelled.
    std::optional<Color> ChooseColor(Color start);
    // Color becomes the one chosen in the colour dialog, which starts at it; the preview
    // takes both colours and the style counts as changed. Cancelled: nothing changes.
    void TakeColor(Color& color);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* FontList = nullptr;
    QTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QLineEdit* Edit1 = nullptr;

    Services& m_services;
    // The colours (ColorDialog1's, ColorDialog's) and the flag; the face and the picture
    // are the controls' own.
    PageStyle m_style;
    QString m_previewFace;          // the face chosen by the user; the window's until then
    bool m_previewColored = false;  // the edit's own colours until a colour is confirmed
    bool m_shownBefore = false;
    QPoint m_lastPos;
};

} // namespace kameola

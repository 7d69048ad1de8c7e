// Start-up of the windows: application title, Japanese Qt texts, the two windows, the loop.
#include "app/ApplicationTitle.h"
#include "app/CommandLineFiles.h"
#include "app/Fonts.h"
#include "app/Services.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "widgets/FileDialogs.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);  // takes its own options out of argc and argv
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kameola.Kameola"));
    // No application display name: X11 would append it to every window caption.
    kameola::SetApplicationTitle(
        kameola::ApplicationTitleFor(argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString()));

    // Qt's own buttons and dialogs in Japanese (はい, いいえ, ...).
    QTranslator translator;
    if (translator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);

    kameola::RegisterWindowFontSubstitution();
    kameola::UseNoSettingsFile();  // no stored state, Qt's own included

    kameola::QtServices services;
    kameola::TForm1 form1(services);
    auto* form2 = new kameola::TForm2(services, &form1);  // hidden until 「HTMLの設定」; owned by form1
    form1.SetStyleDialog(form2);
    form1.show();
    // Files named on the command line ("Open with" passes them) start in the list.
    form1.AddDroppedFiles(kameola::CommandLineFiles(argc, argv));
    return QApplication::exec();
}

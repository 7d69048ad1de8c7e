// SPDX-License-Identifier: MIT
// Start-up of the windows: the command line, application title, Japanese Qt texts, the icon,
// the two windows, the loop.
#include "widgets/FileDialogs.h"
#include "app/ApplicationTitle.h"
#include "app/CommandLineFiles.h"
#include "app/Display.h"
#include "app/Fonts.h"
#include "app/ProgramIcon.h"
#include "app/Services.h"
#include "app/Unit1.h"
#include "app/Unit2.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

int main(int argc, char** argv)
{
    // The command line is judged before Qt starts, so that the answers need no display.
    switch (kameola::FindEarlyRequest(argc, argv)) {
    case kameola::EarlyRequest::Help:
        std::fputs(kameola::CommandLineHelp().c_str(), stdout);
        return 0;
    case kameola::EarlyRequest::Version:
        std::fputs(kameola::CommandLineVersion(KAMEOLA_VERSION).c_str(), stdout);
        return 0;
    case kameola::EarlyRequest::None:
        break;
    }
    const kameola::CommandLineArgs args = kameola::ParseCommandLine(argc, argv);
    if (!args.UnknownOption.empty()) {
        std::fprintf(stderr, "kameola: unknown option '%s'\nTry 'kameola --help' for more information.\n",
                     args.UnknownOption.c_str());
        return 2;
    }
    // Qt would abort without a display.
    if (!kameola::DisplayUsable(argc, argv)) {
        std::fputs("kameola: cannot open a display (set DISPLAY or WAYLAND_DISPLAY)\n", stderr);
        return 1;
    }

    QApplication app(argc, argv);  // takes its own options out of argc and argv
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kameola.Kameola"));
    QApplication::setWindowIcon(kameola::ProgramIcon());
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
    // Files named on the command line ("Open with" passes them) start in the list, added
    // from the event loop so that a close during a long add ends the program.
    QMetaObject::invokeMethod(
        &form1, [&form1, &args] { form1.AddDroppedFiles(args.Files); }, Qt::QueuedConnection);
    return QApplication::exec();
}

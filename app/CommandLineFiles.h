// The files named on the window's command line.
#pragma once

#include <QStringList>

namespace kameola {

// argv[1..argc) as paths made absolute against the working folder, in the order given.
// Pass argc and argv after QApplication has taken out its own options.
QStringList CommandLineFiles(int argc, char** argv);

} // namespace kameola

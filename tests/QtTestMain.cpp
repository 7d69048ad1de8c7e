// SPDX-License-Identifier: MIT
// Entry point of the GUI tests: a QApplication on the offscreen platform, then GoogleTest.
#include <QApplication>

#include <cstring>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef KAMEOLA_WIDE_FACE_CONFIG
    // --wide-face: the fixed-width IPAGothic as the only Japanese face, set before Qt
    // reads its fonts.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--wide-face") == 0) {
            qputenv("FONTCONFIG_FILE", KAMEOLA_WIDE_FACE_CONFIG);
            qputenv("KAMEOLA_WIDE_FACE", "1");
        }
    }
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

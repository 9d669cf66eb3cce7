// The GUI tests need one application object for the whole run.
#include <QApplication>
#include <gtest/gtest.h>

#include "ui/japanese_ui.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    install_japanese_ui(app);
    return RUN_ALL_TESTS();
}

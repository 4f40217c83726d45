#include <cstdlib>

#include <QApplication>
#include <gtest/gtest.h>

#include "platform/ressourcen.h"

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    hestrel::ressourcen_laden();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

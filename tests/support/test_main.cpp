#include "platform/application.h"

#include <QLocale>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Every test runs headless and reads numbers and dates the Polish way.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    // Settings and data of the tests' own, never the user's (printer calibrations, recent files).
    QStandardPaths::setTestModeEnabled(true);
    wendolarka::TApplication application(argc, argv);
    wendolarka::TApplication::setTitle(QStringLiteral("Wendolarka"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

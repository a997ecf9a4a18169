#pragma once

#include <QApplication>
#include <gtest/gtest.h>

// One application object for the tests of this program (fonts and widgets need it); it lives
// until the process ends.
inline void ensureQtApp()
{
    static QApplication *app = [] {
        static int argc = 1;
        static char name[] = "tests";
        static char *argv[] = {name, nullptr};
        return QApplication::instance() ? nullptr : new QApplication(argc, argv);
    }();
    (void)app;
}

class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ensureQtApp(); }
};

// Every test program that includes this header gets the application before its first test.
inline ::testing::Environment *const kQtAppEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

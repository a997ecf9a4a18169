#pragma once

#include <QApplication>

// One application object for the widget tests of this program; it lives until the process ends.
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

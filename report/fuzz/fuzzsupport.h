#pragma once

#include <QGuiApplication>

#include <cstdlib>

namespace fuzz {

/// Fonts need a GUI application; the fuzzers draw offscreen.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

} // namespace fuzz

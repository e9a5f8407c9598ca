// SPDX-License-Identifier: MIT
// Shared by the Qt view tests: the application object, the screenshot folder and a
// platform that answers from a script without showing anything.
#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QWidget>
#include <stdexcept>
#include <string>

#include "../core/scripted_platform.h"

namespace kavlo::test {

inline void ensureApplication() {
    if (!QApplication::instance()) {
        static int argc = 1;
        static char arg0[] = "qt_tests";
        static char* argv[] = {arg0, nullptr};
        new QApplication(argc, argv);
    }
}

/// The child of `parent` named `name` (its objectName); a missing child fails the test.
template <typename T>
T* child(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no child widget named ") + name);
    return found;
}

/// build/test-output/qt/<name>.png: every window's picture, to look at.
inline void saveScreenshot(QWidget& widget, const QString& name) {
    const QString dir = QString::fromUtf8(KAVLO_TEST_OUTPUT) + "/qt";
    QDir().mkpath(dir);
    // Under QT_SCALE_FACTOR=2 the pictures are the 200% ones.
    const QPixmap picture = widget.grab();
    const QString suffix = picture.devicePixelRatio() > 1.0 ? "@2x" : "";
    picture.save(dir + "/" + name + suffix + ".png");
}

/// ScriptedPlatform with a scriptable colour chooser.
class QuietPlatform : public ScriptedPlatform {
public:
    std::optional<util::Colour> colourAnswer;
    int colourCalls = 0;
    std::optional<util::Colour> chooseColour(util::Colour, core::CustomColours&) override {
        ++colourCalls;
        return colourAnswer;
    }
};

}  // namespace kavlo::test

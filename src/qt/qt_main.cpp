// SPDX-License-Identifier: MIT
#include "qt/qt_main.h"

#include <QApplication>
#include <QEventLoop>
#include <cstdio>

#include "core/album_renderer.h"
#include "core/startup.h"
#include "qt/app_icon.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "ui/command_line.h"
#include "ui/main_dialog.h"

namespace kavlo::qt {

using core::AlbumRenderer;
using core::Startup;
using core::StartupEnvironment;
using core::StartupResult;
using core::StartupStatus;
using model::AlbumModel;
using ui::applyCommandLine;
using ui::MainDialog;
using ui::MainDialogOptions;
using ui::ProgramOptions;
using ui::runEnvironment;

namespace {

// An unattended run has no one to read a message box: like the terminal run, it
// reports an album that was not made, or made incomplete, through its exit status.
int unattendedStatus(const MainDialog& logic, const AlbumModel& model,
                     const AlbumRenderer& renderer) {
    if (!logic.done()) {
        std::fprintf(stderr, "kavlo: the album was not generated\n");
        return 1;
    }
    if (renderer.failedWrites() > 0) {
        std::fprintf(stderr, "Error: %i album files could not be written to '%s'.\n",
                     renderer.failedWrites(), model.destdir.c_str());
        std::fprintf(stderr, "kavlo: the album is incomplete\n");
        return 1;
    }
    return 0;
}

}  // namespace

int runQtFrontEnd(int argc, char** argv, const ProgramOptions& options) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavlo"));
    // No application display name: the window system would append it to every window
    // title ("Kavlo  [50%] - Kavlo").
    QApplication::setWindowIcon(kavloIcon());
    // Lets the desktop match the windows to the installed desktop entry (and its icon).
    QGuiApplication::setDesktopFileName(applicationId());
    // The main window ends the program, not the last window: start-up's dialogs and
    // the album editor come and go before it.
    QApplication::setQuitOnLastWindowClosed(false);

    QtPlatform platform;
    const StartupEnvironment env = runEnvironment(options);
    AlbumModel model;
    Startup startup(platform, env);
    const StartupResult result = startup.run(options.album, model);
    if (result.status == StartupStatus::ReadFailed) return 255;
    if (result.status != StartupStatus::Ready) return 0;
    // The command line's title, footer and settings; corrected sizes are told in boxes.
    const auto exifpos = applyCommandLine(options, model, platform);

    AlbumRenderer renderer(model);
    if (options.jobs > 0) renderer.setJobs(options.jobs);
    MainDialogOptions mo;
    mo.settingsPath = env.settingsPath;
    mo.unattended = result.unattended;
    mo.openedAlbum = result.openedAlbum;
    MainDialog logic(platform, model, renderer, mo);

    MainWindow window(logic, platform);
    window.open();
    if (exifpos) logic.setExifpos(*exifpos);
    // Not exec(): an application-modal main window would lock the modeless album
    // editor out of input.
    QEventLoop loop;
    QObject::connect(&window, &QDialog::finished, &loop, &QEventLoop::quit);
    window.show();
    if (!logic.closed()) loop.exec();
    return result.unattended ? unattendedStatus(logic, model, renderer) : 0;
}

}  // namespace kavlo::qt

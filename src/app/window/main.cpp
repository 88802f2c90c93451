// tallix: the desktop window of the TALLIX office program.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>

#include "app/commands.h"
#include "app/demo.h"
#include "app/program.h"
#include "app/window/formmain.h"
#include "app/windowlock.h"
#include "core/datetime.h"

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--version") {
            std::printf("tallix %s\n", TALLIX_VERSION);
            return 0;
        }
    // A file that may grow no further (a file-size limit) is a write error to report like a
    // full disk, not a signal that ends the window.
    std::signal(SIGXFSZ, SIG_IGN);
    // The embedded map's browser: no GPU under a virtual display, and no sandbox for root.
    if (::geteuid() == 0)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qapp(argc, argv);
    QCoreApplication::setApplicationName("tallix");
    QCoreApplication::setApplicationVersion(TALLIX_VERSION);

    // The window's own options; anything else is refused, as the runner refuses it.
    QCommandLineParser parser;
    parser.setApplicationDescription("The TALLIX office program's window.");
    const QCommandLineOption home("home", "The program's folder (settings, database, dated copies).", "DIR");
    const QCommandLineOption today("today", "The current date for this run.", "YYYY-MM-DD");
    const QCommandLineOption screenshots("screenshots", "Render every page to DIR/NN-Page.png and close.", "DIR");
    const QCommandLineOption run("run", "Run a command (by handler name) once the window is shown.", "HANDLER");
    const QCommandLineOption demo("demo", "Prepare the demo site in the folder first.");
    parser.addOptions({home, today, screenshots, run, demo});
    parser.addHelpOption();
    if (!parser.parse(qapp.arguments())) {
        std::fprintf(stderr, "tallix: %s\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet("help")) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tallix: unexpected argument '%s'\n%s", qPrintable(parser.positionalArguments().first()),
                     qPrintable(parser.helpText()));
        return 2;
    }
    app::ProgramOptions options;
    if (parser.isSet(home))
        options.home = parser.value(home).toStdString();
    if (parser.isSet(today)) {
        const auto d = core::parseIsoDate(parser.value(today).toStdString());
        if (!d) {
            std::fprintf(stderr, "tallix: --today needs a date YYYY-MM-DD, not '%s'\n",
                         qPrintable(parser.value(today)));
            return 2;
        }
        options.today = *d;
    }
    for (const QString& h : parser.values(run))
        if (app::findCommand(h.toStdString()) == nullptr) {
            std::fprintf(stderr, "tallix: --run names no command: '%s'\n", qPrintable(h));
            return 2;
        }
    const QString shotsFolder = parser.value(screenshots);
    const QStringList handlers = parser.values(run);
    // One window on a site; the runner may work beside it.
    app::WindowLock siteWindow(app::programFolder(options));
    if (!siteWindow.acquire()) {
        std::fprintf(stderr, "tallix: %s\n", siteWindow.refusal().c_str());
        QMessageBox::warning(nullptr, "TALLIX SERVER - Tallix Server", QString::fromStdString(siteWindow.refusal()));
        return 1;
    }
    app::Program program(options);
    try {
        program.FormCreate();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "TALLIX SERVER - Tallix Server", QString::fromUtf8(e.what()));
        return 1;
    }
    window::TFormMain form(program);
    try {
        program.FormShow();
    } catch (const std::exception& e) {
        QMessageBox::critical(&form, form.windowTitle(), QString::fromUtf8(e.what()));
        return 1;
    }
    if (parser.isSet(demo)) {
        try {
            app::prepareDemo(program, app::examplesFolder());
        } catch (const std::exception& e) {
            QMessageBox::critical(&form, form.windowTitle(), QString::fromUtf8(e.what()));
        }
    }
    form.loadFields();
    form.show();
    for (const QString& h : handlers)
        form.run(h.toStdString());
    if (!shotsFolder.isEmpty())
        QTimer::singleShot(1500, &form, [&form, shotsFolder] {
            form.saveScreenshots(shotsFolder.toStdString());
            form.close();
        });
    return qapp.exec();
}

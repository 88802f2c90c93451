// tallix: the desktop window of the TALLIX office program.

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "app/demo.h"
#include "app/program.h"
#include "app/window/formmain.h"
#include "core/datetime.h"

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--version") {
            std::printf("tallix %s\n", TALLIX_VERSION);
            return 0;
        }
    // The embedded map's browser: no GPU under a virtual display, and no sandbox for root.
    if (::geteuid() == 0)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qapp(argc, argv);
    QCoreApplication::setApplicationName("tallix");
    QCoreApplication::setApplicationVersion(TALLIX_VERSION);
    app::ProgramOptions options;
    QString screenshots;
    QStringList handlers; // --run HANDLER: commands run once the window is shown
    bool demo = false;

    const QStringList args = qapp.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--demo") {
            demo = true;
            continue;
        }
        if (i + 1 >= args.size())
            continue;
        if (a == "--home")
            options.home = args[++i].toStdString();
        else if (a == "--today") {
            if (auto d = core::parseIsoDate(args[++i].toStdString()))
                options.today = *d;
        } else if (a == "--screenshots")
            screenshots = args[++i];
        else if (a == "--run")
            handlers << args[++i];
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
    if (demo) {
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
    if (!screenshots.isEmpty())
        QTimer::singleShot(1500, &form, [&form, screenshots] {
            form.saveScreenshots(screenshots.toStdString());
            form.close();
        });
    return qapp.exec();
}

// tallix: the desktop window of the TALLIX office program.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "app/program.h"
#include "app/window/formmain.h"
#include "core/datetime.h"

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QCoreApplication::setApplicationName("tallix");
    QCoreApplication::setApplicationVersion(TALLIX_VERSION);
    app::ProgramOptions options;
    QString screenshots;
    const QStringList args = qapp.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--version") {
            std::printf("tallix %s\n", TALLIX_VERSION);
            return 0;
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
    form.loadFields();
    form.show();
    if (!screenshots.isEmpty())
        QTimer::singleShot(300, &form, [&form, screenshots] {
            form.saveScreenshots(screenshots.toStdString());
            form.close();
        });
    return qapp.exec();
}

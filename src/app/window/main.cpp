// tallix: the desktop window of the TALLIX office program.

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/program.h"

namespace {

/// The main window: it owns the program state and passes it down to the logic.
class TFormMain : public QMainWindow {
public:
    explicit TFormMain(app::Program& program) : program_(program)
    {
        setWindowTitle("TALLIX SERVER - Tallix Server");
        auto* central = new QWidget(this);
        auto* layout = new QVBoxLayout(central);
        auto* top = new QHBoxLayout;
        auto* exit = new QPushButton("Exit", central);
        top->addWidget(exit);
        top->addStretch();
        layout->addLayout(top);
        auto* pages = new QTabWidget(central);
        auto* download = new QLabel(QString("Program folder: %1\nDatabase: %2")
                                        .arg(QString::fromStdString(program_.path()),
                                             QString::fromStdString(program_.databaseFile().string())));
        download->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        pages->addTab(download, "Download");
        layout->addWidget(pages, 1);
        auto* bottom = new QHBoxLayout;
        bottom->addWidget(new QLabel("Progressbar", central));
        bottom->addWidget(new QProgressBar(central), 1);
        layout->addLayout(bottom);
        setCentralWidget(central);
        resize(1100, 700);
        connect(exit, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    }

    void BitBtn3Click() { close(); }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        try {
            program_.FormClose();
        } catch (const std::exception& e) {
            QMessageBox::critical(this, windowTitle(), QString::fromUtf8(e.what()));
        }
        event->accept();
    }

private:
    app::Program& program_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    app::ProgramOptions options;
    const QStringList args = qapp.arguments();
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == "--home")
            options.home = args[i + 1].toStdString();
    app::Program program(options);
    try {
        program.FormCreate();
        TFormMain window(program);
        program.FormShow();
        window.show();
        return qapp.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "TALLIX SERVER - Tallix Server", QString::fromUtf8(e.what()));
        return 1;
    }
}

// sr5n-screens OUTPUT_FOLDER
// Creates the program's windows as at start-up and saves a PNG of every page
// of the main window and of the dialogs, for looking at them without a display.

#include "app/Configurator.h"
#include "protocols/ProtocolLibrary.h"
#include "ui/PageControl.h"
#include "ui/Startup.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/events/TfrmExtEvZones.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"
#include "ui/services/TfrmTestScheme.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

void save(QWidget &widget, const QDir &folder, const QString &name)
{
    widget.repaint();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    sr5n::ConfiguratorApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(SR5N_VERSION));
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    folder.mkpath(QStringLiteral("."));

    sr5n::Configurator app{QCoreApplication::applicationDirPath()};

    sr5n::Windows windows{app};
    sr5n::TfrmMain &main = windows.main();
    main.show();
    auto *pages = main.findChild<sr5n::PageControl *>(QStringLiteral("pgcPages"));
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        save(main, folder,
             QStringLiteral("page%1-%2").arg(i + 1).arg(pages->page(i)->objectName()));
    }

    main.exportHtml(folder.filePath(QStringLiteral("report.html")), false);

    sr5n::TfrmProgress &progress = windows.progress();
    progress.Mode = sr5n::TfrmProgress::ModeRead;
    progress.setMaximum(858);
    progress.showProgress();
    for (int i = 0; i < 400; ++i)
        progress.Step();
    save(progress, folder, QStringLiteral("progress"));
    progress.closeProgress();

    windows.about().show();
    save(windows.about(), folder, QStringLiteral("about"));
    windows.about().hide();

    windows.prefixMask().prepare(QStringLiteral("12AB"), 5, nullptr);
    windows.prefixMask().show();
    save(windows.prefixMask(), folder, QStringLiteral("prefix-mask"));
    windows.prefixMask().hide();

    windows.saveNewProtocol().prepare(
        QStringLiteral("Сохранение протокола в программе"),
        QStringLiteral("Введите название протокола или выберите протокол из списка для замены"),
        app.protocols().ProtocolNames(), QStringLiteral("Новый протокол"));
    windows.saveNewProtocol().show();
    save(windows.saveNewProtocol(), folder, QStringLiteral("save-new-protocol"));
    windows.saveNewProtocol().hide();

    windows.extEvZones().show();
    save(windows.extEvZones(), folder, QStringLiteral("zones"));
    windows.extEvZones().hide();

    windows.testScheme().show();
    windows.testScheme().tmrTest->stop();
    save(windows.testScheme(), folder, QStringLiteral("diagnostics-running"));
    windows.testScheme().hide();
    return 0;
}

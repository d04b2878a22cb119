#include "wendolarka_app.h"

#include "batch/command_line.h"

#include <cstdio>

#include "persons/find_dialog.h"
#include "persons/record_edit_window.h"
#include "designer/fixed_elements_dialog.h"
#include "designer/pass_window.h"
#include "help/help_window.h"
#include "imageset/image_set_window.h"
#include "main_window.h"
#include "photos/camera.h"
#include "platform/application.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "widgets/form_setup.h"
#include "platform/printer_calibration.h"
#include "platform/printers.h"
#include "platform/recent_places.h"
#include "platform/qt_dialogs.h"
#include "printing/print_window.h"
#include "widgets/font_dialog.h"
#include "window_places.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace wendolarka {

WendolarkaApp::WendolarkaApp(IDialogs& dialogs, const IDesktop& desktop, const ErrorHandler& errors)
    : m_printers(std::make_unique<QtPrinterService>()),
      m_cameras(photos::makeCameraService()),
      m_form2(new TForm2({dialogs, desktop, errors})),
      m_form3(std::make_unique<TForm3>()),
      m_fdruk(std::make_unique<TFDruk>(dialogs, *m_printers)),
      m_finddlg(std::make_unique<Tfinddlg>()),
      m_fedycja(std::make_unique<TFEdycja>(dialogs)),
      m_form1(std::make_unique<TForm1>()),
      m_fukos(std::make_unique<TFUkos>(dialogs)),
      m_fhelp(std::make_unique<TFhelp>()) {
    m_windows = {m_form2.data(), m_form3.get(), m_fdruk.get(),  m_finddlg.get(),
                 m_fedycja.get(), m_form1.get(), m_fukos.get(), m_fhelp.get(), m_printers.get()};
    m_form1->setDesktop(&desktop);
    m_form1->setErrorHandler(&errors);
    m_form3->setDesktop(&desktop);
    m_fedycja->setPlacement(&desktop, TForm2::kOuterSize.height());
    m_fedycja->setErrorHandler(&errors);
    m_fedycja->setCameraService(m_cameras.get());
    // A photo is cut to the shape of the current design's photo element.
    m_fedycja->setPhotoAspect([form1 = m_form1.get()] { return form1->PhotoAspect(); });
    m_fukos->setPassWindow(m_form1.get());
    m_fukos->setErrorHandler(&errors);
    m_fdruk->setErrorHandler(&errors);
    m_form2->setWindows(m_windows);
}

bool installPolishTranslations(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

WendolarkaApp::~WendolarkaApp() { delete m_form2.data(); }

int runWendolarka(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (isCommandLineRun(arguments)) {
        // Work without windows needs no display: the offscreen platform always serves.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Errors are one line each: the toolkit's chatter (fonts, runtime folders) stays out.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtFatalMsg)
                std::fputs((message + u'\n').toLocal8Bit().constData(), stderr);
        });
        QApplication application(argc, argv);
        return runCommandLine(arguments);
    }
    TApplication application(argc, argv);
    TApplication::setTitle(QStringLiteral("Wendolarka"));
    application.setHelpFile(QStringLiteral("wendolarka.hlp"));
    TApplication::setStyle(QStringLiteral("Fusion"));
    TApplication::setPalette(classicPalette());
    // Other windows come and go; the program ends with the main window only.
    application.setQuitOnLastWindowClosed(false);

    installPolishTranslations(application);

    // Made before the windows and gone after them: they remember into it up to their last hiding.
    TRecentPlaces recent(userSettings());
    QtDialogs dialogs([](const TFont& initial) { return TFontDialog::execute(initial, QApplication::activeWindow()); });
    dialogs.setRecentPlaces(&recent);
    QtDesktop desktop;
    ErrorHandler errors(dialogs);
    application.setErrorHandler(&errors);

    WendolarkaApp app(dialogs, desktop, errors);
    app.mainWindow()->setRecentPlaces(&recent);
    // The main window comes back where it was left; the image set and print windows, placed
    // by the program at each showing, only with their size.
    keepWindowPlace(*app.mainWindow(), recent, QStringLiteral("Form2"), TKeptPart::PlaceAndSize);
    keepWindowPlace(*app.windows().Form3, recent, QStringLiteral("Form3"), TKeptPart::SizeOnly);
    keepWindowPlace(*app.windows().FDruk, recent, QStringLiteral("FDruk"), TKeptPart::SizeOnly);
    QObject::connect(app.mainWindow(), &QObject::destroyed, &application, &QCoreApplication::quit);
    app.mainWindow()->show();
    const int result = TApplication::exec();
    application.setErrorHandler(nullptr);
    return result;
}

} // namespace wendolarka

#pragma once

#include "app_windows.h"
#include "main_window.h"

#include <QCoreApplication>
#include <QPointer>
#include <memory>

namespace wendolarka {

namespace photos {
class ICameraService;
}

class ErrorHandler;
class IDesktop;
class IDialogs;
class IPrinterService;
class TForm2;
class TForm3;
class TFDruk;
class Tfinddlg;
class TFEdycja;
class TForm1;
class TFUkos;
class TFhelp;

// The program's windows, created in their fixed order. The main window is
// destroyed when it closes; the others live until this object goes.
class WendolarkaApp {
public:
    WendolarkaApp(IDialogs& dialogs, const IDesktop& desktop, const ErrorHandler& errors);
    ~WendolarkaApp();

    const AppWindows& windows() const { return m_windows; }
    TForm2* mainWindow() const { return m_form2.data(); }

private:
    std::unique_ptr<IPrinterService> m_printers; // made first: the print window uses it
    std::unique_ptr<photos::ICameraService> m_cameras; // the editing window takes photos with it
    QPointer<TForm2> m_form2;
    std::unique_ptr<TForm3> m_form3;
    std::unique_ptr<TFDruk> m_fdruk;
    std::unique_ptr<Tfinddlg> m_finddlg;
    std::unique_ptr<TFEdycja> m_fedycja;
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TFUkos> m_fukos;
    std::unique_ptr<TFhelp> m_fhelp;
    AppWindows m_windows;
};

// Qt's own dialogs (file, colour, message boxes) in Polish; false when the
// translation files are not installed.
bool installPolishTranslations(QCoreApplication& application);

// Initialises the application, creates the windows and runs until the main window closes.
int runWendolarka(int argc, char** argv);

} // namespace wendolarka

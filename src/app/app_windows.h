#pragma once

namespace wendolarka {

class TForm2;
class TForm3;
class TFDruk;
class Tfinddlg;
class TFEdycja;
class TForm1;
class TFUkos;
class TFhelp;
class IPrinterService;

// The program's windows, in the order they are created at start.
struct AppWindows {
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TFDruk* FDruk = nullptr;
    Tfinddlg* finddlg = nullptr;
    TFEdycja* FEdycja = nullptr;
    TForm1* Form1 = nullptr;
    TFUkos* FUkos = nullptr;
    TFhelp* Fhelp = nullptr;
    IPrinterService* printers = nullptr; // the print system the print commands use
};

} // namespace wendolarka

#pragma once

#include <QSize>
#include <QString>

#include <memory>
#include <vector>

class QPainter;
class QPrinter;
class QTemporaryFile;

namespace wendolarka {

class TSafeFile;

// The fields of a printer's device-mode record that the print preview reads and writes.
struct TDeviceMode {
    enum Field : unsigned { dmOrientationField = 1, dmPaperSizeField = 2, dmPaperLengthField = 4,
                            dmPaperWidthField = 8, dmFormNameField = 0x10000 };
    unsigned dmFields = 0;
    int dmOrientation = 1; // 1 portrait, 2 landscape
    int dmPaperSize = 9;   // the paper table's code; 256 = the user-defined size below
    int dmPaperLength = 0; // tenths of a millimetre
    int dmPaperWidth = 0;
    QString dmFormName;    // at most 31 characters
};

// A printer form: a named paper size in thousandths of a millimetre.
struct TPrinterForm {
    QString name;
    QSize size;
};

// The print system as the print preview needs it: whether there is a printer,
// the current printer with its device-mode record, and its forms.
class IPrinterService {
public:
    virtual ~IPrinterService() = default;
    virtual bool PrinterInstalled() const = 0;
    // The current printer; with none installed, a PDF writer.
    virtual QPrinter& printer() = 0;
    virtual TDeviceMode deviceMode() const = 0;
    // Writes paper and orientation into the printer object.
    virtual void setDeviceMode(const TDeviceMode& mode) = 0;
    virtual std::vector<TPrinterForm> forms() const = 0;
    // False when the printer takes no new form (the print systems here offer no form editing).
    virtual bool addForm(const TPrinterForm& form) = 0;
    virtual bool deleteForm(const QString& name) = 0;
};

// Over QPrinter and the installed printers; the forms are the page sizes the
// printer reports.
class QtPrinterService final : public IPrinterService {
public:
    QtPrinterService();
    ~QtPrinterService() override;
    bool PrinterInstalled() const override;
    QPrinter& printer() override { return *m_printer; }
    TDeviceMode deviceMode() const override;
    void setDeviceMode(const TDeviceMode& mode) override;
    std::vector<TPrinterForm> forms() const override;
    bool addForm(const TPrinterForm&) override { return false; }
    bool deleteForm(const QString&) override { return false; }

private:
    std::unique_ptr<QPrinter> m_printer;
};

// Starts a painter on a printer that may have printed before; false when the job
// does not start. The printer's paint engine outlives each job and keeps the last
// job's transform, pen and clip until a painter changes them, so a painter that
// keeps its defaults would draw with another job's scale: the new painter's whole
// state is handed to the engine at once.
bool beginPrinting(QPainter& painter, QPrinter& printer);

// A job printed into a PDF file is written into a temporary file first: the
// user's file is replaced only by a whole job, through the one safe writer, and
// stays as it was when the job fails, is aborted or the disk is full. Printing
// to a real printer is not touched. The printer gets its file name back when
// the guard goes.
class TPrintToFile {
public:
    // Throws EFileWrite at once when the file cannot be written (no folder, no
    // right to write), and Exception when no temporary file can be made.
    explicit TPrintToFile(QPrinter& printer);
    ~TPrintToFile();
    TPrintToFile(const TPrintToFile&) = delete;
    TPrintToFile& operator=(const TPrintToFile&) = delete;

    // The finished job becomes the user's file; throws EFileWrite keeping the old one.
    void commit();

private:
    QPrinter& m_printer;
    QString m_target;
    std::unique_ptr<TSafeFile> m_out;
    std::unique_ptr<QTemporaryFile> m_job;
};

// The device-mode record a printer object stands for, and the other way.
TDeviceMode deviceModeOf(const QPrinter& printer);
void applyDeviceMode(QPrinter& printer, const TDeviceMode& mode);

} // namespace wendolarka

#pragma once

#include "core/pass_fields.h"

#include "pass_batch.h"

#include <QDialog>

#include <memory>

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSettings;
class QSpinBox;
class QTimer;

namespace wendolarka {

class ErrorHandler;
class IDialogs;
class IPrinterService;
class TPrintPreview;
class TRunFieldsBox;

// "Przepustki dla wielu osób": which persons, how many to a sheet, then the
// sheets previewed, printed or written to a PDF file.
class TFWieleOsob : public QDialog {
    Q_OBJECT
public:
    struct Source {
        std::shared_ptr<ISQLiteDatabase> db;
        QByteArray templateFile;          // the pass as the pass window holds it
        QSet<std::int64_t> selectedIds;   // the rows selected in the grid
    };

    TFWieleOsob(IDialogs& dialogs, IPrinterService& printers, Source source, QWidget* parent = nullptr);
    ~TFWieleOsob() override;
    void setErrorHandler(const ErrorHandler* errors) { m_errors = errors; }
    // "Dane wydruku": shown from and read back into the pass window's run fields.
    void setRunFields(const TRunFields& run);
    std::optional<TRunFields> runFields() const;
    // The template's name for the print register; the pass window may have none.
    void setTemplateName(const QString& name) { m_templateName = name; }

    // The choices as they stand.
    TPersonFilter filter() const;
    TSheetOptions sheetOptions() const;
    // Sheets or cards, and the back.
    TBatchOptions batchOptions() const;
    // The back's template (the bytes of a *.wzo file) and its name; empty bytes: no back.
    // Throws the template reader's error, keeping the back there was.
    void setBackTemplate(const QByteArray& templateFile, const QString& name);
    // The open dialog for the back's template; false when none was taken.
    bool chooseBackTemplate();
    // "Kalibracja drukarki…" for the current printer.
    void calibrate();
    // Where printer calibrations are kept; by default the user's settings.
    void setSettings(QSettings* settings) { m_settings = settings; }
    // The persons chosen now, in surname order.
    std::vector<std::int64_t> chosenPersons() const;
    // Counts the persons and sheets again: "12 osób, 2 arkusze".
    void updateCount();

    // The sheets in the preview, one page each.
    void showPreview();
    // The save dialog, then the PDF; returns whether a file was written.
    bool savePdf();
    // The printer dialog, then the sheets at the printer's resolution.
    bool print();

    QRadioButton* rbAll = nullptr;
    QRadioButton* rbSelected = nullptr;
    QRadioButton* rbPhrase = nullptr;
    QRadioButton* rbPriority = nullptr;
    QLineEdit* edPhrase = nullptr;
    QCheckBox* chkLitery = nullptr;
    QCheckBox* chkSlowa = nullptr;
    QListWidget* lstPriorytety = nullptr;
    // Narrow any choice above by the print register.
    QCheckBox* chkNotPrinted = nullptr;
    QCheckBox* chkPrintedAfter = nullptr;
    QDateEdit* dtPrintedAfter = nullptr;
    QRadioButton* rbPortrait = nullptr;
    QRadioButton* rbLandscape = nullptr;
    QRadioButton* rbFit = nullptr;
    QRadioButton* rbGrid = nullptr;
    QSpinBox* spColumns = nullptr;
    QSpinBox* spRows = nullptr;
    QDoubleSpinBox* spMargin = nullptr;
    QDoubleSpinBox* spGap = nullptr;
    QCheckBox* chkCutMarks = nullptr;
    QRadioButton* rbCard = nullptr; // "Jedna karta na stronę"
    QDoubleSpinBox* spCardWidth = nullptr;
    QDoubleSpinBox* spCardHeight = nullptr;
    QCheckBox* chkBleed = nullptr;
    QCheckBox* chkBack = nullptr;
    QLabel* lblBack = nullptr;
    QPushButton* btnBack = nullptr;
    QRadioButton* rbLongEdge = nullptr;
    QRadioButton* rbShortEdge = nullptr;
    QPushButton* btnCalibrate = nullptr;
    QCheckBox* chkCalibratedPdf = nullptr; // the printer's calibration in the PDF too
    TRunFieldsBox* RunFields = nullptr;    // "Ważna do", "Numer od"
    QLabel* lblCount = nullptr;
    QPushButton* btnPreview = nullptr;
    QPushButton* btnPdf = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnPrevPage = nullptr;
    QPushButton* btnNextPage = nullptr;
    QLabel* lblPage = nullptr;
    TPrintPreview* Preview = nullptr;

private:
    // A batch of the current choices; nothing when nobody is chosen (the count says so).
    std::unique_ptr<TPassBatch> makeBatch() const;
    // Names the persons whose texts the passes would cut; whether to go on.
    bool acceptUnfitTexts(const TPassBatch& batch, int scale);
    // Runs `work` with a progress dialog that can cancel it; false when cancelled.
    bool withProgress(const QString& title, const std::function<bool(const TBatchProgress&)>& work);
    void showPage();
    QSettings& settings();
    // The batch's persons in the print register once their passes are out,
    // or a message saying why not; the choices then count them as printed.
    void recordPrinted(TPassBatch& batch, const QString& output);

    IDialogs& m_dialogs;
    IPrinterService& m_printers;
    Source m_source;
    QSize m_passSize;
    std::vector<TPersonRow> m_persons; // read once: the choices are counted at every keystroke
    QSet<std::int64_t> m_printed;      // likewise, and again after each print
    QTimer* m_previewTimer = nullptr; // the preview follows the choices, a moment after the last
    bool m_busy = false;              // one job at a time: the progress dialog lets events through
    const ErrorHandler* m_errors = nullptr;
    QString m_templateName;
    QByteArray m_backTemplate;
    QSize m_backPassSize;
    std::vector<bool> m_previewBacks; // which previewed pages are backs
    bool m_previewCards = false;
    QSettings* m_settings = nullptr;
    std::unique_ptr<QSettings> m_userSettings;
};

// The "Priorytet" values of the persons, each once, sorted.
QStringList prioritiesPresent(const std::vector<TPersonRow>& persons);

} // namespace wendolarka

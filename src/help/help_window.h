#pragma once

#include <QDialog>
#include <QStringList>

class QFrame;
class QTextEdit;

namespace wendolarka {

class ErrorHandler;

// The help window: the program's guidance text ("wendolarka.rtf") read-only in a
// rich-text view, loaded again whenever the window gets a new size. Esc closes it.
class TFhelp : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kHelpFileName = "wendolarka.rtf";

    explicit TFhelp(QWidget* parent = nullptr);

    void setErrorHandler(const ErrorHandler* errors) { m_errors = errors; }
    // Where the help file is looked for, first found wins: beside the program,
    // then in the installed data folder.
    static QStringList defaultHelpFiles();
    void setHelpFiles(const QStringList& files) { m_helpFiles = files; }
    // The file the view shows, or empty while it shows the built-in message.
    const QString& loadedFile() const { return m_loadedFile; }
    // The four lines shown when no help file is found.
    static QString missingFileText();

    void FormShow();
    void FormResize() { FormShow(); }
    void FormClose();

    QFrame* Panel1 = nullptr;
    QTextEdit* RichEdit1 = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadFile(const QString& path);

    const ErrorHandler* m_errors = nullptr;
    QStringList m_helpFiles;
    QString m_loadedFile;
    bool m_errorShown = false; // a bad file is reported once per window, not once per resize
};

// "Wskazówki merytoryczne": a fresh help window, shown modally and destroyed when it closes.
void showHelpWindow(QWidget* parent, const ErrorHandler* errors);

} // namespace wendolarka

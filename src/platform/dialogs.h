#pragma once

#include "core/color.h"
#include "core/font.h"

#include <QString>
#include <optional>

class QPrinter;

namespace wendolarka {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : unsigned {
    mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8, mbAbort = 16, mbRetry = 32, mbIgnore = 64
};
using TMsgDlgButtons = unsigned;

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                    mrYes = 6, mrNo = 7 };

// The kinds of files whose dialogs each start in the folder last used for that kind.
enum class TFilePlace { None, Databases, Templates, Exports, Lists, Photos, Pictures };

// Filters are written "Description|*.a;*.b|Other|*.*"; the index counts from 1.
struct FileDialogOptions {
    QString title;
    QString filter;
    int filterIndex = 1; // 0: the type last chosen with this filter (1 the first time)
    QString initialDir;  // empty: the folder the dialog was last left in
    QString fileName;
    QString defaultExt; // without the dot
    // The dialog's own "replace?" question; off where the command asks its own.
    bool confirmOverwrite = true;
    // Without an `initialDir`, the dialog starts in the last folder of this kind.
    TFilePlace place = TFilePlace::None;
};

struct FileDialogResult {
    QString fileName;
    int filterIndex = 1;
};

// The common dialogs and message boxes. Windows receive one at construction so
// that every command can be driven by a test without a person at the screen.
class IDialogs {
public:
    virtual ~IDialogs() = default;

    virtual std::optional<FileDialogResult> OpenFile(const FileDialogOptions& options) = 0;
    virtual std::optional<FileDialogResult> SaveFile(const FileDialogOptions& options) = 0;
    // A folder that exists; `initialDir` empty: the one last chosen.
    virtual std::optional<QString> ChooseFolder(const QString& title, const QString& initialDir) = 0;
    virtual std::optional<TFont> ChooseFont(const TFont& initial) = 0;
    virtual std::optional<TColor> ChooseColor(TColor initial) = 0;
    virtual bool PrinterSetup(QPrinter& printer) = 0;

    // A typed box: the type's title and icon, the given buttons; Esc answers
    // Cancel, or No when there is no Cancel.
    virtual TModalResult MessageDlg(const QString& text, TMsgDlgType type,
                                    TMsgDlgButtons buttons) = 0;
    // A plain box: the application's title and one OK button.
    virtual void ShowMessage(const QString& text) = 0;
    // The common error handler's box: the application's title, the error icon, OK.
    virtual void ShowError(const QString& text) = 0;
};

// What Esc answers in a typed box: Cancel, or No when there is no Cancel, or OK
// when there is neither; mrNone when the box has none of the three.
TModalResult escapeResult(TMsgDlgButtons buttons);

// The title a typed box carries.
QString messageDlgTitle(TMsgDlgType type);

// "Opis|*.db|Wszystkie|*.*" -> {"Opis (*.db)", "Wszystkie (*.*)"}
QStringList toNameFilters(const QString& filter);

} // namespace wendolarka

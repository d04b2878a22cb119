#pragma once

#include "dialogs.h"

namespace wendolarka {

// The real dialogs, modal to the active window.
class QtDialogs final : public IDialogs {
public:
    std::optional<FileDialogResult> OpenFile(const FileDialogOptions& options) override;
    std::optional<FileDialogResult> SaveFile(const FileDialogOptions& options) override;
    std::optional<TFont> ChooseFont(const TFont& initial) override;
    std::optional<TColor> ChooseColor(TColor initial) override;
    bool PrinterSetup(QPrinter& printer) override;
    TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;
};

} // namespace wendolarka

#pragma once

#include "dialogs.h"

#include <QHash>

#include <functional>

namespace wendolarka {

class TRecentPlaces;

// The real dialogs, modal to the active window.
class QtDialogs final : public IDialogs {
public:
    // The font dialog is the program's own window, built above this layer.
    using FontChooser = std::function<std::optional<TFont>(const TFont& initial)>;
    explicit QtDialogs(FontChooser chooseFont) : m_chooseFont(std::move(chooseFont)) {}
    // Where a file dialog of a kind (FileDialogOptions::place) starts and is remembered across runs.
    void setRecentPlaces(TRecentPlaces* places) { m_recent = places; }

    std::optional<FileDialogResult> OpenFile(const FileDialogOptions& options) override;
    std::optional<FileDialogResult> SaveFile(const FileDialogOptions& options) override;
    std::optional<TFont> ChooseFont(const TFont& initial) override;
    std::optional<TColor> ChooseColor(TColor initial) override;
    std::optional<QString> ChooseFolder(const QString& title, const QString& initialDir) override;
    bool PrinterSetup(QPrinter& printer) override;
    TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;

private:
    // The open and the save dialog each keep the folder they were last left in
    // and, for a filter shown again, the type last chosen in it, as one shared
    // dialog of each kind would.
    struct Memory {
        QString folder;
        QHash<QString, int> filterIndex;
    };
    std::optional<FileDialogResult> runFileDialog(const FileDialogOptions& options, bool save);

    FontChooser m_chooseFont;
    Memory m_open, m_save;
    TRecentPlaces* m_recent = nullptr;
};

} // namespace wendolarka

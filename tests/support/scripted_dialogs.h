#pragma once

#include "platform/dialogs.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace wendolarka {

// The dialogs as a test scripts them: each call takes the next prepared answer
// of its kind (none prepared: the user cancelled) and is written to the log.
class ScriptedDialogs final : public IDialogs {
public:
    struct Message {
        QString text;
        QString title;
        TMsgDlgType type = TMsgDlgType::mtCustom;
        TMsgDlgButtons buttons = 0;
        bool plain = false;
    };

    std::deque<std::optional<FileDialogResult>> openAnswers;
    std::deque<std::optional<FileDialogResult>> saveAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<TFont>> fontAnswers;
    std::deque<std::optional<TColor>> colorAnswers;
    std::deque<bool> printerSetupAnswers;
    std::deque<TModalResult> messageAnswers;

    std::vector<FileDialogOptions> openRequests;
    std::vector<FileDialogOptions> saveRequests;
    QStringList folderRequests; // the titles asked with
    std::vector<TFont> fontRequests;
    std::vector<TColor> colorRequests;
    std::vector<Message> messages;

    std::optional<FileDialogResult> OpenFile(const FileDialogOptions& options) override;
    std::optional<FileDialogResult> SaveFile(const FileDialogOptions& options) override;
    std::optional<TFont> ChooseFont(const TFont& initial) override;
    std::optional<TColor> ChooseColor(TColor initial) override;
    std::optional<QString> ChooseFolder(const QString& title, const QString& initialDir) override;
    bool PrinterSetup(QPrinter& printer) override;
    TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;

    QStringList messageTexts() const;
};

} // namespace wendolarka

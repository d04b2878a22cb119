#include "scripted_dialogs.h"

#include <QCoreApplication>

namespace wendolarka {
namespace {

template <typename T>
T takeNext(std::deque<T>& answers, T cancelled) {
    if (answers.empty())
        return cancelled;
    T next = std::move(answers.front());
    answers.pop_front();
    return next;
}

} // namespace

std::optional<FileDialogResult> ScriptedDialogs::OpenFile(const FileDialogOptions& options) {
    openRequests.push_back(options);
    return takeNext(openAnswers, std::optional<FileDialogResult>{});
}

std::optional<QString> ScriptedDialogs::ChooseFolder(const QString& title, const QString&) {
    folderRequests << title;
    return takeNext(folderAnswers, std::optional<QString>{});
}

std::optional<FileDialogResult> ScriptedDialogs::SaveFile(const FileDialogOptions& options) {
    saveRequests.push_back(options);
    return takeNext(saveAnswers, std::optional<FileDialogResult>{});
}

std::optional<TFont> ScriptedDialogs::ChooseFont(const TFont& initial) {
    fontRequests.push_back(initial);
    return takeNext(fontAnswers, std::optional<TFont>{});
}

std::optional<TColor> ScriptedDialogs::ChooseColor(TColor initial) {
    colorRequests.push_back(initial);
    return takeNext(colorAnswers, std::optional<TColor>{});
}

bool ScriptedDialogs::PrinterSetup(QPrinter&) { return takeNext(printerSetupAnswers, false); }

TModalResult ScriptedDialogs::MessageDlg(const QString& text, TMsgDlgType type,
                                         TMsgDlgButtons buttons) {
    messages.push_back({text, messageDlgTitle(type), type, buttons, false});
    // Without a prepared answer the user pressed Esc.
    return takeNext(messageAnswers, escapeResult(buttons));
}

void ScriptedDialogs::ShowMessage(const QString& text) {
    messages.push_back({text, QCoreApplication::applicationName(), TMsgDlgType::mtCustom, mbOK, true});
}

void ScriptedDialogs::ShowError(const QString& text) {
    messages.push_back({text, QCoreApplication::applicationName(), TMsgDlgType::mtError, mbOK, false});
}

QStringList ScriptedDialogs::messageTexts() const {
    QStringList texts;
    for (const auto& message : messages)
        texts << message.text;
    return texts;
}

} // namespace wendolarka

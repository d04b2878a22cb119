#include "qt_dialogs.h"

#include "recent_places.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>

#include <array>
#include <utility>

namespace wendolarka {
namespace {

QMessageBox::Icon iconFor(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning:
        return QMessageBox::Warning;
    case TMsgDlgType::mtError:
        return QMessageBox::Critical;
    case TMsgDlgType::mtInformation:
        return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation:
        return QMessageBox::Question;
    case TMsgDlgType::mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonKind {
    TMsgDlgBtn button;
    TModalResult result;
    const char* caption;
    QMessageBox::ButtonRole role;
};

constexpr std::array<ButtonKind, 7> kButtons = {{
    {mbYes, mrYes, "&Tak", QMessageBox::YesRole},
    {mbNo, mrNo, "&Nie", QMessageBox::NoRole},
    {mbOK, mrOk, "OK", QMessageBox::AcceptRole},
    {mbCancel, mrCancel, "Anuluj", QMessageBox::RejectRole},
    {mbAbort, mrAbort, "&Przerwij", QMessageBox::RejectRole},
    {mbRetry, mrRetry, "Ponów &próbę", QMessageBox::AcceptRole},
    {mbIgnore, mrIgnore, "&Ignoruj", QMessageBox::AcceptRole},
}};

} // namespace

std::optional<FileDialogResult> QtDialogs::runFileDialog(const FileDialogOptions& options, bool save) {
    Memory& memory = save ? m_save : m_open;
    const QFileDialog::AcceptMode mode = save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen;
    QString folder = options.initialDir;
    if (folder.isEmpty() && m_recent)
        folder = m_recent->startFolder(options.place);
    if (folder.isEmpty())
        folder = memory.folder;
    QFileDialog dialog(QApplication::activeWindow(), options.title, folder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
    // The filters read as the program names them; the masks the toolkit needs stay out of sight.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = toNameFilters(options.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int wanted = options.filterIndex > 0 ? options.filterIndex : memory.filterIndex.value(options.filter, 1);
        const int index = qBound(1, wanted, static_cast<int>(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (!options.defaultExt.isEmpty())
        dialog.setDefaultSuffix(options.defaultExt);
    if (!options.fileName.isEmpty())
        dialog.selectFile(options.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    FileDialogResult result;
    result.fileName = dialog.selectedFiles().constFirst();
    result.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (result.filterIndex < 1)
        result.filterIndex = 1;
    memory.folder = QFileInfo(result.fileName).absolutePath();
    memory.filterIndex.insert(options.filter, result.filterIndex);
    if (m_recent)
        m_recent->folderUsed(options.place, result.fileName);
    return result;
}

std::optional<FileDialogResult> QtDialogs::OpenFile(const FileDialogOptions& options) {
    return runFileDialog(options, false);
}

std::optional<FileDialogResult> QtDialogs::SaveFile(const FileDialogOptions& options) {
    return runFileDialog(options, true);
}

std::optional<QString> QtDialogs::ChooseFolder(const QString& title, const QString& initialDir) {
    QFileDialog dialog(QApplication::activeWindow(), title, initialDir.isEmpty() ? m_open.folder : initialDir);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    m_open.folder = dialog.selectedFiles().constFirst();
    return m_open.folder;
}

std::optional<TFont> QtDialogs::ChooseFont(const TFont& initial) {
    return m_chooseFont ? m_chooseFont(initial) : std::nullopt;
}

std::optional<TColor> QtDialogs::ChooseColor(TColor initial) {
    const QColor chosen = QColorDialog::getColor(toQColor(initial), QApplication::activeWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return fromQColor(chosen);
}

bool QtDialogs::PrinterSetup(QPrinter& printer) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

TModalResult QtDialogs::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    QMessageBox box(iconFor(type), messageDlgTitle(type), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    if ((buttons & (mbYes | mbNo | mbOK | mbCancel | mbAbort | mbRetry | mbIgnore)) == 0)
        buttons = mbOK;
    std::vector<std::pair<QAbstractButton*, TModalResult>> added;
    const TModalResult onEscape = escapeResult(buttons);
    for (const auto& kind : kButtons) {
        if (!(buttons & kind.button))
            continue;
        QPushButton* button = box.addButton(QString::fromUtf8(kind.caption), kind.role);
        added.emplace_back(button, kind.result);
        if (kind.result == onEscape)
            box.setEscapeButton(button);
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(added.front().first));
    box.exec();
    for (const auto& [button, result] : added)
        if (box.clickedButton() == button)
            return result;
    return onEscape;
}

void QtDialogs::ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void QtDialogs::ShowError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace wendolarka

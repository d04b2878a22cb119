#include "template_commands.h"

#include "core/component_stream.h"
#include "core/safe_file.h"
#include "design_history.h"
#include "pass_template.h"
#include "pass_window.h"
#include "platform/dialogs.h"

#include <QFile>
#include <QFileInfo>

namespace wendolarka::template_commands {
namespace {

// No template comes near this; a larger file is refused before it is read.
constexpr qint64 kMaxTemplateBytes = 64 * 1024 * 1024;

} // namespace

bool saveTemplate(TForm1& form, IDialogs& dialogs) {
    FileDialogOptions options;
    options.defaultExt = QStringLiteral("wzo");
    options.fileName = QStringLiteral("*.wzo");
    options.filter = QString::fromUtf8(kTemplateFilter);
    const auto chosen = dialogs.SaveFile(options);
    if (!chosen)
        return false;
    const QByteArray bytes = pass_template::writeFile(form);
    writeFileSafely(chosen->fileName, bytes);
    form.keepDesign();
    form.setTemplateName(QFileInfo(chosen->fileName).fileName());
    return true;
}

bool keepOrSaveDesign(TForm1& form, IDialogs& dialogs) {
    if (!form.designChanged())
        return true;
    switch (dialogs.MessageDlg(QString::fromUtf8("Zapisać zmiany we wzorcu?"), TMsgDlgType::mtConfirmation,
                               mbYes | mbNo | mbCancel)) {
    case mrYes:
        try {
            return saveTemplate(form, dialogs);
        } catch (const Exception& e) {
            // Not saved: said, and the command that would throw the design away stops.
            dialogs.MessageDlg(e.message(), TMsgDlgType::mtError, mbOK);
            return false;
        }
    case mrNo:
        return true;
    default:
        return false;
    }
}

bool loadTemplate(TForm1& form, IDialogs& dialogs) {
    FileDialogOptions options;
    options.filter = QString::fromUtf8(kTemplateFilter);
    const auto chosen = dialogs.OpenFile(options);
    if (!chosen)
        return false;
    try {
        QFile file(chosen->fileName);
        if (!file.open(QIODevice::ReadOnly) || !QFileInfo(file).isFile())
            throw Exception(QStringLiteral("Cannot open file %1").arg(chosen->fileName));
        if (file.size() > kMaxTemplateBytes)
            throw EStreamError(QStringLiteral("plik za duży na wzorzec"));
        const bool wasVisible = form.isVisible();
        pass_template::loadFile(form, file.readAll());
        // A window already on screen shows the loaded design in the main window's controls too.
        if (wasVisible && form.events().onShow)
            form.FormShow();
    } catch (const Exception&) {
        dialogs.MessageDlg(QString::fromUtf8("Błąd! - nie mogę załadować pliku:  ") + QFileInfo(chosen->fileName).fileName() +
                               QStringLiteral("\n") + QString::fromUtf8("        To chyba nie jest typowy wzorzec? "),
                           TMsgDlgType::mtError, mbOK);
        return false;
    }
    form.ShowCentred();
    form.keepDesign();
    form.history().restart();
    form.setTemplateName(QFileInfo(chosen->fileName).fileName());
    return true;
}

} // namespace wendolarka::template_commands

#include "template_commands.h"

#include "core/component_stream.h"
#include "core/safe_file.h"
#include "design_history.h"
#include "pass_template.h"
#include "pass_window.h"
#include "platform/dialogs.h"
#include "platform/recent_places.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wendolarka::template_commands {
namespace {

// No template comes near this; a larger file is refused before it is read.
constexpr qint64 kMaxTemplateBytes = 64 * 1024 * 1024;

// The file into the window, which is then shown; false (the error box said why) when it is no template.
bool loadTemplateFile(TForm1& form, IDialogs& dialogs, TRecentPlaces* recent, const QString& fileName) {
    try {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly) || !QFileInfo(file).isFile())
            throw Exception(QStringLiteral("Cannot open file %1").arg(fileName));
        if (file.size() > kMaxTemplateBytes)
            throw EStreamError(QStringLiteral("plik za duży na wzorzec"));
        const bool wasVisible = form.isVisible();
        pass_template::loadFile(form, file.readAll());
        // A window already on screen shows the loaded design in the main window's controls too.
        if (wasVisible && form.events().onShow)
            form.FormShow();
    } catch (const Exception&) {
        dialogs.MessageDlg(QString::fromUtf8("Błąd! - nie mogę załadować pliku:  ") + QFileInfo(fileName).fileName() +
                               QStringLiteral("\n") + QString::fromUtf8("        To chyba nie jest typowy wzorzec? "),
                           TMsgDlgType::mtError, mbOK);
        return false;
    }
    form.ShowCentred();
    form.keepDesign();
    form.history().restart();
    form.setTemplateName(QFileInfo(fileName).fileName());
    if (recent)
        recent->templateUsed(fileName);
    return true;
}

} // namespace

bool saveTemplate(TForm1& form, IDialogs& dialogs, TRecentPlaces* recent) {
    FileDialogOptions options;
    options.defaultExt = QStringLiteral("wzo");
    options.fileName = QStringLiteral("*.wzo");
    options.filter = QString::fromUtf8(kTemplateFilter);
    options.place = TFilePlace::Templates;
    const auto chosen = dialogs.SaveFile(options);
    if (!chosen)
        return false;
    const QByteArray bytes = pass_template::writeFile(form);
    writeFileSafely(chosen->fileName, bytes);
    form.keepDesign();
    form.setTemplateName(QFileInfo(chosen->fileName).fileName());
    if (recent)
        recent->templateUsed(chosen->fileName);
    return true;
}

bool keepOrSaveDesign(TForm1& form, IDialogs& dialogs, TRecentPlaces* recent) {
    if (!form.designChanged())
        return true;
    switch (dialogs.MessageDlg(QString::fromUtf8("Zapisać zmiany we wzorcu?"), TMsgDlgType::mtConfirmation,
                               mbYes | mbNo | mbCancel)) {
    case mrYes:
        try {
            return saveTemplate(form, dialogs, recent);
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

bool loadTemplate(TForm1& form, IDialogs& dialogs, TRecentPlaces* recent) {
    FileDialogOptions options;
    options.filter = QString::fromUtf8(kTemplateFilter);
    options.place = TFilePlace::Templates;
    const auto chosen = dialogs.OpenFile(options);
    return chosen && loadTemplateFile(form, dialogs, recent, chosen->fileName);
}

bool openRecentTemplate(TForm1& form, IDialogs& dialogs, TRecentPlaces& recent, const QString& fileName) {
    // Looked at before the question about saving: a template that is gone needs no answer.
    if (!QFileInfo(fileName).isFile()) {
        recent.forgetTemplate(fileName);
        dialogs.MessageDlg(QString::fromUtf8("Nie ma już pliku wzorca %1 — został przeniesiony lub usunięty.\n"
                                             "Usunięto go z listy „Ostatnie wzorce”.")
                               .arg(QDir::toNativeSeparators(fileName)),
                           TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    return keepOrSaveDesign(form, dialogs, &recent) && loadTemplateFile(form, dialogs, &recent, fileName);
}

} // namespace wendolarka::template_commands

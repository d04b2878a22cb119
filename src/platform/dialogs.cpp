#include "dialogs.h"

#include <QCoreApplication>
#include <QStringList>

namespace wendolarka {

QString messageDlgTitle(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning:
        return QStringLiteral("Warning");
    case TMsgDlgType::mtError:
        return QStringLiteral("Error");
    case TMsgDlgType::mtInformation:
        return QStringLiteral("Information");
    case TMsgDlgType::mtConfirmation:
        return QStringLiteral("Confirm");
    case TMsgDlgType::mtCustom:
        break;
    }
    return QCoreApplication::applicationName();
}

TModalResult escapeResult(TMsgDlgButtons buttons) {
    if (buttons & mbCancel)
        return mrCancel;
    if (buttons & mbNo)
        return mrNo;
    if (buttons & mbOK)
        return mrOk;
    return mrNone;
}

QStringList toNameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        // Extensions in any letter case ("WZOR.WZO" copied from elsewhere), and
        // "*.*" meaning every file, also those without a dot.
        QStringList maskList;
        for (const QString& mask : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            if (mask == QStringLiteral("*.*")) {
                maskList << QStringLiteral("*");
                continue;
            }
            maskList << mask;
            if (mask.toUpper() != mask)
                maskList << mask.toUpper();
        }
        const QString masks = maskList.join(u' ');
        const QString suffix = QStringLiteral("(") + masks + QStringLiteral(")");
        // The toolkit reads the masks from the last parentheses of the entry.
        result << (description.endsWith(suffix) ? description : description + u' ' + suffix);
    }
    return result;
}

} // namespace wendolarka

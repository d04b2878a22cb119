#include "main_window.h"

#include "designer/pass_window.h"
#include "designer/template_commands.h"
#include "persons/person_commands.h"
#include "platform/error_handler.h"
#include "platform/recent_places.h"
#include "widgets/form_setup.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

// The main window's offers of what was used in earlier runs: the last database
// in "&Baza", the recent templates under "&Formatka I ".
namespace wendolarka {

void TForm2::createRecentItems() {
    OtworzOstatniaBaze1 = named(new QAction(utf8("O&twórz ostatnią bazę"), Baza1), "OtworzOstatniaBaze1");
    Baza1->insertAction(mnuRegeneruj, OtworzOstatniaBaze1);
    connect(OtworzOstatniaBaze1, &QAction::triggered, this,
            [this] { m_services.errors.guard([this] { OtworzOstatniaBaze1Click(); }); });

    OstatnieWzorce1 = named(new QMenu(utf8("O&statnie wzorce"), Forma1), "OstatnieWzorce1");
    OstatnieWzorce1->setToolTipsVisible(true);
    Forma1->insertMenu(ZapiszJakoWzorzec1, OstatnieWzorce1);
    // A file may come or go while the program runs: the offers are looked at each time a menu opens.
    connect(Baza1, &QMenu::aboutToShow, this, [this] { refreshRecentItems(); });
    connect(Forma1, &QMenu::aboutToShow, this, [this] { refreshRecentItems(); });
    refreshRecentItems();
}

void TForm2::setRecentPlaces(TRecentPlaces* places) {
    m_recent = places;
    if (m_persons)
        m_persons->setRecentPlaces(places);
    refreshRecentItems();
}

void TForm2::refreshRecentItems() {
    const QString database = m_recent ? m_recent->lastDatabase() : QString();
    const QString caption = utf8("O&twórz ostatnią bazę");
    if (database.isEmpty()) {
        OtworzOstatniaBaze1->setText(caption);
        OtworzOstatniaBaze1->setStatusTip(utf8("Żadna baza nie była jeszcze otwierana"));
        OtworzOstatniaBaze1->setEnabled(false);
    } else {
        const bool present = QFileInfo(database).isFile();
        OtworzOstatniaBaze1->setText(caption + QStringLiteral(" (%1)").arg(QFileInfo(database).fileName()));
        OtworzOstatniaBaze1->setStatusTip(present ? QDir::toNativeSeparators(database)
                                                  : utf8("Nie ma już pliku %1").arg(QDir::toNativeSeparators(database)));
        OtworzOstatniaBaze1->setEnabled(present);
    }
    OtworzOstatniaBaze1->setToolTip(OtworzOstatniaBaze1->statusTip());

    // Deleted later: this runs also from an entry's own command, while its signal is still out.
    for (QAction* old : OstatnieWzorce1->actions()) {
        OstatnieWzorce1->removeAction(old);
        old->deleteLater();
    }
    const QStringList templates = m_recent ? m_recent->recentTemplates() : QStringList();
    QStringList names;
    for (const QString& file : templates)
        names << QFileInfo(file).fileName();
    for (qsizetype k = 0; k < templates.size(); ++k) {
        const QString& file = templates[k];
        // Two templates of one name in different folders are told apart by their folder.
        QString text = QStringLiteral("&%1 %2").arg(k + 1).arg(names[k]);
        if (names.count(names[k]) > 1)
            text += QStringLiteral(" (%1)").arg(QDir::toNativeSeparators(QFileInfo(file).absolutePath()));
        QAction* item = OstatnieWzorce1->addAction(text);
        item->setObjectName(QStringLiteral("OstatniWzorzec%1").arg(k + 1));
        item->setStatusTip(QDir::toNativeSeparators(file));
        item->setToolTip(item->statusTip());
        connect(item, &QAction::triggered, this,
                [this, file] { m_services.errors.guard([this, file] { OstatniWzorzecClick(file); }); });
    }
    OstatnieWzorce1->menuAction()->setEnabled(!templates.isEmpty());
}

void TForm2::OtworzOstatniaBaze1Click() {
    personCommands().OtworzOstatniaBazeClick();
    refreshRecentItems();
}

void TForm2::OstatniWzorzecClick(const QString& fileName) {
    if (m_windows.Form1 && m_recent &&
        template_commands::openRecentTemplate(*m_windows.Form1, m_services.dialogs, *m_recent, fileName))
        EnableFormatka1Commands();
    refreshRecentItems();
}

} // namespace wendolarka

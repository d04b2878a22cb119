#include "element_style_menu.h"

#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "pass_context_menu.h"

#include <QActionGroup>
#include <QInputDialog>
#include <QMenu>

#include <array>

namespace wendolarka {
namespace {

// A plain text label: a 3-D caption draws its text its own way.
TLabel* plainLabel(TControl* element) {
    auto* label = dynamic_cast<TLabel*>(element);
    return label && !dynamic_cast<TLabel3DF*>(element) ? label : nullptr;
}

} // namespace

void addElementStyleCommands(TPassContextMenu& menu) {
    QMenu& root = menu.menu();
    QMenu* text = root.addMenu(QStringLiteral("Tekst"));
    text->setObjectName(QStringLiteral("Tekst1"));
    const std::array<std::pair<const char*, TAlignment>, 3> across = {
        {{"Do &lewej", taLeftJustify}, {"Do ś&rodka", taCenter}, {"Do &prawej", taRightJustify}}};
    const std::array<std::pair<const char*, TTextLayout>, 3> down = {
        {{"Do &góry", tlTop}, {"Na ś&rodku w pionie", tlCenter}, {"Do &dołu", tlBottom}}};
    auto* acrossGroup = new QActionGroup(text);
    auto* downGroup = new QActionGroup(text);
    std::vector<std::pair<QAction*, TAlignment>> acrossItems;
    std::vector<std::pair<QAction*, TTextLayout>> downItems;
    for (const auto& [caption, alignment] : across) {
        QAction* item = text->addAction(QString::fromUtf8(caption));
        item->setCheckable(true);
        acrossGroup->addAction(item);
        acrossItems.emplace_back(item, alignment);
        QObject::connect(item, &QAction::triggered, text, [&menu, chosen = alignment] {
            if (TLabel* label = plainLabel(menu.picked()))
                label->setAlignment(chosen);
        });
    }
    text->addSeparator();
    for (const auto& [caption, layout] : down) {
        QAction* item = text->addAction(QString::fromUtf8(caption));
        item->setCheckable(true);
        downGroup->addAction(item);
        downItems.emplace_back(item, layout);
        QObject::connect(item, &QAction::triggered, text, [&menu, chosen = layout] {
            if (TLabel* label = plainLabel(menu.picked()))
                label->setLayout(chosen);
        });
    }
    text->addSeparator();
    QAction* transparent = text->addAction(QString::fromUtf8("Przezroczyste &tło"));
    transparent->setCheckable(true);
    QObject::connect(transparent, &QAction::triggered, text, [&menu](bool on) {
        if (TLabel* label = plainLabel(menu.picked()))
            label->setTransparent(on);
    });
    QAction* fit = text->addAction(QStringLiteral("Dopasuj te&kst"));
    fit->setCheckable(true);
    QObject::connect(fit, &QAction::triggered, text, [&menu](bool on) {
        if (TLabel* label = plainLabel(menu.picked()))
            label->setFitText(on);
    });
    QAction* least = text->addAction(QString::fromUtf8("&Najmniejsza wielkość przy dopasowaniu…"));
    QObject::connect(least, &QAction::triggered, text, [&menu, text] {
        TLabel* label = plainLabel(menu.picked());
        if (!label)
            return;
        bool ok = false;
        const int points = QInputDialog::getInt(text, QString::fromUtf8("Dopasuj tekst"),
                                                QString::fromUtf8("Najmniejsza wielkość czcionki (punkty):"),
                                                label->MinFontSize(), 1, 72, 1, &ok);
        if (ok)
            label->setMinFontSize(points);
    });
    QAction* proportional = root.addAction(QString::fromUtf8("Obraz dopasowany z zachowaniem &proporcji"));
    proportional->setCheckable(true);
    QObject::connect(proportional, &QAction::triggered, text, [&menu](bool on) {
        if (auto* image = dynamic_cast<TImage*>(menu.picked()))
            image->setProportional(on);
    });
    // Each opening shows the picked element's own settings.
    QObject::connect(&menu, &TPassContextMenu::aboutToOpen, text,
                     [=](TControl* picked) {
                         const TLabel* label = plainLabel(picked);
                         text->menuAction()->setEnabled(label != nullptr);
                         for (const auto& [item, alignment] : acrossItems)
                             item->setChecked(label && label->Alignment() == alignment);
                         for (const auto& [item, layout] : downItems)
                             item->setChecked(label && label->Layout() == layout);
                         transparent->setChecked(label && label->Transparent());
                         fit->setChecked(label && label->FitText());
                         const auto* image = dynamic_cast<const TImage*>(picked);
                         proportional->setEnabled(image != nullptr);
                         proportional->setChecked(image && image->Proportional());
                     });
}

} // namespace wendolarka

#include "grid/sortable_grid.h"
#include "persons/find_dialog.h"
#include "persons/person_grid.h"
#include "persons/phrase_search.h"
#include "support/scripted_dialogs.h"
#include "widgets/radio_group.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

struct PhraseSearch : ::testing::Test {
    ScriptedDialogs dialogs;
    TFajny grid;
    QAction findNext{QStringLiteral("Znajdź następną")};
    std::optional<TSearchRequest> answer;
    int asked = 0;
    TPhraseSearch search{grid, dialogs, findNext, [this] {
                             ++asked;
                             return answer;
                         }};

    PhraseSearch() {
        grid.setUseFixed(hfNot);
        grid.setOptions(grid.Options() | goRowSelect);
        grid.setFixedRows(1);
        setPersonColumns(grid);
        grid.setRowCount(4);
        addPerson(1, QStringLiteral("Nowak-Zych"), QStringLiteral("ul. Polna 3"));
        addPerson(2, QStringLiteral("Łoś"), QStringLiteral("ul. Leśna 1"));
        addPerson(3, QStringLiteral("Nowak"), QStringLiteral("Nowakowo"));
        grid.HideColumnRange(kFirstHiddenPersonColumn, grid.ColCount() - 1);
        findNext.setEnabled(false);
    }
    void addPerson(int row, const QString& surname, const QString& address) {
        grid.setCells(2, row, surname);
        grid.setCells(kFirstHiddenPersonColumn, row, address);
    }
    void find(const QString& phrase, bool matchCase = false, bool wholeWords = false, bool byRows = true) {
        answer = TSearchRequest{phrase, matchCase, wholeWords, byRows};
        search.Znajdz1Click();
    }
};

} // namespace

TEST_F(PhraseSearch, FindsInHiddenColumnsAndFoldsPolishLetters) {
    int clicks = 0;
    QObject::connect(&grid, &TFajny::Click, [&] { ++clicks; });
    find(QStringLiteral("leśna"));
    EXPECT_EQ(clicks, 0); // found, not chosen
    EXPECT_EQ(grid.Row(), 2); // an address: a hidden column
    EXPECT_EQ(grid.Col(), 1); // the row is chosen, the view stays at the first columns
    EXPECT_EQ(grid.LeftCol(), 1);
    EXPECT_TRUE(findNext.isEnabled());
    EXPECT_EQ(grid.KeyType(), soString);
    EXPECT_TRUE(grid.SearchSubstring());
    find(QStringLiteral("łoś"));
    EXPECT_EQ(grid.Row(), 2);
    find(QStringLiteral("nowak"));
    EXPECT_EQ(grid.Row(), 1);
    search.ZnajdzNastepnyClick(); // by rows: the rest of row 1, then row 2, then "Nowak" in row 3
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PhraseSearch, CaseAndWholeWordRules) {
    find(QStringLiteral("nowak"), true);
    EXPECT_FALSE(findNext.isEnabled());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Frazy   \"nowak\"   nie znalazłem"));
    EXPECT_TRUE(dialogs.messages.back().plain);
    EXPECT_EQ(grid.KeyType(), soStringCaseSensitive);

    find(QStringLiteral("Nowak"), false, true); // the whole cell: not "Nowak-Zych"
    EXPECT_FALSE(grid.SearchSubstring());
    EXPECT_EQ(grid.Row(), 3);
    search.ZnajdzNastepnyClick();
    EXPECT_FALSE(findNext.isEnabled());
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Takiej frazy już nie znalazłem"));
}

TEST_F(PhraseSearch, ColumnsFirstAndCancelChangesNothing) {
    find(QStringLiteral("Nowak"), false, false, false);
    EXPECT_FALSE(search.SearchByRows());
    EXPECT_EQ(grid.Row(), 1);
    search.ZnajdzNastepnyClick(); // down the surname column before the addresses
    EXPECT_EQ(grid.Row(), 3);
    search.ZnajdzNastepnyClick(); // then "Nowakowo" in the address column
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_TRUE(findNext.isEnabled());

    answer.reset();
    search.Znajdz1Click();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(findNext.isEnabled());
    EXPECT_FALSE(search.SearchByRows());
    EXPECT_TRUE(grid.SearchSubstring());
}

TEST_F(PhraseSearch, NextAfterTheGridShrankStopsAtItsEnd) {
    find(QStringLiteral("o"));
    grid.setRowCount(2); // reloaded with fewer persons
    int hits = 0;
    while (findNext.isEnabled() && hits < 100) {
        search.ZnajdzNastepnyClick();
        ++hits;
        EXPECT_LT(grid.Row(), 2);
    }
    EXPECT_LT(hits, 100);
}

TEST(FindDialog, StartsEmptyAndEnterClosesNothing) {
    Tfinddlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Szukanie"));
    EXPECT_EQ(dialog.size(), QSize(289, 204));
    const TSearchRequest initial = dialog.request();
    EXPECT_TRUE(initial.phrase.isEmpty());
    EXPECT_FALSE(initial.matchCase);
    EXPECT_FALSE(initial.wholeWords);
    EXPECT_TRUE(initial.byRows);
    EXPECT_FALSE(dialog.Button1->isDefault() || dialog.Button1->autoDefault());
    EXPECT_FALSE(dialog.Button2->isDefault() || dialog.Button2->autoDefault());

    int result = -1;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.Search->setText(QStringLiteral("Nowak"));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(dialog.Search, &enter);
        EXPECT_TRUE(dialog.isVisible()); // Enter does not close it
        dialog.chkSlowa->setChecked(true);
        dialog.RadioGroup1->setItemIndex(1);
        dialog.Button1->click();
    });
    result = dialog.exec();
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.request().phrase, QStringLiteral("Nowak"));
    EXPECT_TRUE(dialog.request().wholeWords);
    EXPECT_FALSE(dialog.request().byRows);

    QTimer::singleShot(0, &dialog, [&] {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog.Search, &escape);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

#include "phrase_search.h"

#include "grid/sortable_grid.h"
#include "platform/dialogs.h"
#include "widgets/form_setup.h"

#include <QAction>

namespace wendolarka {

TPhraseSearch::TPhraseSearch(TFajny& grid, IDialogs& dialogs, QAction& findNext, AskPhrase ask)
    : m_grid(grid), m_dialogs(dialogs), m_findNext(findNext), m_ask(std::move(ask)) {}

void TPhraseSearch::Znajdz1Click() {
    // Each search starts from a fresh dialog: nothing is remembered from the last one.
    if (const std::optional<TSearchRequest> request = m_ask ? m_ask() : std::nullopt)
        find(*request);
}

void TPhraseSearch::find(const TSearchRequest& request) {
    m_grid.setKeyType(request.matchCase ? soStringCaseSensitive : soString);
    m_grid.setSearchSubstring(!request.wholeWords);
    m_searchByRows = request.byRows;
    const TFajny::Found found = m_grid.FindFirst(request.phrase, m_searchByRows);
    if (found.found) {
        showHit(found.col, found.row);
        m_findNext.setEnabled(true);
        return;
    }
    m_findNext.setEnabled(false);
    m_grid.setFocus();
    m_dialogs.ShowMessage(utf8("Frazy   \"") + request.phrase + utf8("\"   nie znalazłem"));
}

void TPhraseSearch::ZnajdzNastepnyClick() {
    const TFajny::Found found = m_grid.FindNext();
    if (found.found) {
        showHit(found.col, found.row);
        return;
    }
    m_findNext.setEnabled(false);
    m_grid.setFocus();
    m_dialogs.ShowMessage(utf8("Takiej frazy już nie znalazłem"));
}

void TPhraseSearch::showHit(int col, int row) {
    // The cell is shown, the person is not chosen: that waits for a click, F4 or leaving the grid.
    m_grid.ShowCell(col, row);
    m_grid.setFocus();
}

} // namespace wendolarka

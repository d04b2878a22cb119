#pragma once

#include "find_dialog.h"

#include <functional>
#include <optional>

class QAction;

namespace wendolarka {

class IDialogs;
class TFajny;

// "Z&najdź frazę" and "Znajdź następną" on the person grid: the dialog's answers
// become the grid's search settings, a hit becomes the grid's current cell.
class TPhraseSearch {
public:
    using AskPhrase = std::function<std::optional<TSearchRequest>()>;

    TPhraseSearch(TFajny& grid, IDialogs& dialogs, QAction& findNext, AskPhrase ask);

    void Znajdz1Click();
    void ZnajdzNastepnyClick();
    // Runs one search as the dialog would have asked it.
    void find(const TSearchRequest& request);
    bool SearchByRows() const { return m_searchByRows; }

private:
    void showHit(int col, int row);

    TFajny& m_grid;
    IDialogs& m_dialogs;
    QAction& m_findNext;
    AskPhrase m_ask;
    bool m_searchByRows = true;
};

} // namespace wendolarka

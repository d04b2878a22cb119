// The person command that works on many stored photos at once: cropping them
// to the pass's photo proportions.

#include "person_command_support.h"
#include "person_commands.h"
#include "person_grid.h"

#include "grid/sortable_grid.h"
#include "lists/person_import.h"
#include "photos/contact_sheet.h"
#include "platform/dialogs.h"

#include <algorithm>

namespace wendolarka {

using namespace person_commands_support;
using namespace photos;

void TPersonCommands::DopasujZdjeciaClick(QWidget* parent, double aspect) {
    requireDatabase();
    // The marked persons; without marks, everyone.
    std::vector<std::int64_t> ids;
    std::vector<int> marked = m_windows.G1.SelectedRows();
    std::sort(marked.begin(), marked.end());
    for (const int row : marked) {
        bool isNumber = false;
        const std::int64_t id = m_windows.G1.Cells(kIdColumn, row).toLongLong(&isNumber);
        if (isNumber && row >= m_windows.G1.FixedRows())
            ids.push_back(id);
    }
    std::vector<TCropProposal> proposals;
    {
        TListProgress progress(utf8("Szukam twarzy na zdjęciach osób…"), parent);
        try {
            proposals = proposeCrops(*m_db, ids, aspect, std::ref(progress));
        } catch (const ESQLiteException& e) {
            throw Exception(failureText(e, m_dbFileName));
        }
        if (progress.cancelled())
            return;
    }
    if (proposals.empty()) {
        m_dialogs.ShowMessage(utf8("Zdjęcia wszystkich wybranych osób mają już proporcje zdjęcia na przepustce."));
        return;
    }
    TFDopasujZdjecia sheet(std::move(proposals), aspect, [this](std::int64_t id) { return storedPicture(*m_db, id); },
                           parent);
    if (sheet.exec() != QDialog::Accepted)
        return;
    TCropWrite written;
    try {
        TListProgress progress(utf8("Zapisuję dopasowane zdjęcia…"), parent);
        written = writeCrops(*m_db, sheet.proposals(), std::ref(progress));
    } catch (const ESQLiteException& e) {
        rethrowWriteFailure(e, m_dbFileName);
    }
    if (written.cancelled) {
        m_dialogs.ShowMessage(utf8("Przerwano; żadne zdjęcie nie zostało zmienione."));
        return;
    }
    // The person shown may have a new photo.
    m_readRow.reset();
    LoadGrid();
    chooseCurrentAgain();
    m_dialogs.ShowMessage(utf8("Zapisano ") +
                          lists::polishCount(written.written, "dopasowane zdjęcie", "dopasowane zdjęcia",
                                             "dopasowanych zdjęć") +
                          u'.');
}

} // namespace wendolarka

#include "run_checks.h"

#include "pass_batch.h"
#include "platform/dialogs.h"
#include "widgets/form_setup.h"

namespace wendolarka {

bool acceptRun(IDialogs& dialogs, ISQLiteDatabase& db, const QByteArray& templateFile,
               const std::vector<std::int64_t>& persons, int scale,
               const std::optional<TRunFields>& run) {
    if (!run) {
        dialogs.ShowMessage(utf8("Podaj pierwszy numer przepustki, np. 1 albo 0001."));
        return false;
    }
    // A pass must not go out with a field in braces where its date belongs.
    const TComposedTextProblems problems = TPassRenderer(templateFile, *run).composedTextProblems();
    if (!problems.unset.isEmpty()) {
        dialogs.ShowMessage(
            utf8("Wzorzec drukuje datę ważności: zaznacz „Ważna do” i podaj datę.\n\n") +
            problems.unset.join(u'\n'));
        return false;
    }
    if (!problems.unknown.isEmpty() &&
        dialogs.MessageDlg(utf8("Wzorzec ma pola, których program nie zna; wydrukują się tak, jak "
                                "są napisane:\n\n%1\n\n"
                                "Drukować mimo to?")
                               .arg(problems.unknown.join(u'\n')),
                           TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
        return false;
    const std::vector<TUnfitPerson> unfit =
        personsWithUnfitTexts(db, templateFile, persons, scale, *run);
    if (unfit.empty()) return true;
    // A long list is cut: the first ones show what to change in the design.
    constexpr int kNamed = 15;
    QStringList lines = describeUnfit(unfit);
    if (lines.size() > kNamed) {
        const qsizetype more = lines.size() - kNamed;
        lines = lines.mid(0, kNamed);
        lines << utf8("… i %1 innych").arg(more);
    }
    return dialogs.MessageDlg(utf8("Teksty nie mieszczą się w polach albo kodów nie da się "
                                   "wydrukować na przepustkach tych osób (%1):\n\n%2\n\n"
                                   "Drukować mimo to?")
                                  .arg(unfit.size())
                                  .arg(lines.join(u'\n')),
                              TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes;
}

} // namespace wendolarka

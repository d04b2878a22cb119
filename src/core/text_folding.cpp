#include "core/text_folding.h"

#include <algorithm>

namespace wendolarka {
namespace {

// Letters whose mark is part of the letter, so decomposition leaves them as they are.
QString plainLetters(QChar c) {
    switch (c.unicode()) {
    case u'ł': return QStringLiteral("l");
    case u'Ł': return QStringLiteral("L");
    case u'đ': case u'ð': return QStringLiteral("d");
    case u'Đ': case u'Ð': return QStringLiteral("D");
    case u'ø': return QStringLiteral("o");
    case u'Ø': return QStringLiteral("O");
    case u'æ': return QStringLiteral("ae");
    case u'Æ': return QStringLiteral("AE");
    case u'œ': return QStringLiteral("oe");
    case u'Œ': return QStringLiteral("OE");
    case u'ß': case 0x1E9E: return QStringLiteral("ss");
    case u'ı': return QStringLiteral("i");
    case u'þ': return QStringLiteral("th");
    case u'Þ': return QStringLiteral("TH");
    case u'ħ': return QStringLiteral("h");
    case u'Ħ': return QStringLiteral("H");
    case u'ŧ': return QStringLiteral("t");
    case u'Ŧ': return QStringLiteral("T");
    default: return QString(c);
    }
}

} // namespace

QString foldedText(const QString& text) {
    // Plain ASCII has no marks to drop and no letters to spell out.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toCaseFolded();
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString plain;
    plain.reserve(decomposed.size());
    for (QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing)
            continue;
        plain += plainLetters(c);
    }
    return plain.toCaseFolded();
}

} // namespace wendolarka

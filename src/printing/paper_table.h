#pragma once

#include <QSize>

#include <array>
#include <cstdint>

// Paper sizes and measuring units of the print preview, apart from any widget.
namespace wendolarka {

enum TUnits { mmPixel, mmLoMetric, mmHiMetric, mmLoEnglish, mmHiEnglish, mmTWIPS, mmPoints };
enum TPrinterOrientation { poPortrait, poLandscape };

// The 67 paper types, in the order of the table; the last is pCustom.
enum TPaperType : int {
    pLetter, pLetterSmall, pTabloid, pLedger, pLegal, pStatement, pExecutive, pA3, pA4, pA4Small, pA5, pB4,
    pB5, pFolio, pQuatro, p10x14, p11x17, pNote, pEnv9, pEnv10, pEnv11, pEnv12, pEnv14, pCSheet, pDSheet,
    pESheet, pEnvDL, pEnvC5, pEnvC3, pEnvC4, pEnvC6, pEnvC65, pEnvB4, pEnvB5, pEnvB6, pEnvItaly,
    pEnvMonarch, pEnvPersonal, pFanfoldUSStd, pFanfoldGermanStd, pFanfoldGermanLegal, pB4ISO,
    pJapanesePostcard, p9x11, p10x11, p15x11, pEnvInvite, pLetterExtra, pLegalExtra, TabloidExtra,
    pA4Extra, pLetterTransverse, pA4Transverse, pLetterExtraTransverse, pAPlus, pBPlus, pLetterPlus,
    pA4Plus, pA5Transverse, pB5Transverse, pA3Extra, pA5Extra, pB5Extra, pA2, pA3Transverse,
    pA3ExtraTransverse, pCustom
};

struct TPaperRow {
    const char* name;
    std::uint16_t code;   // the printer's paper-size code
    std::int32_t width;   // portrait
    std::int32_t height;
    TUnits unit;          // mmLoMetric or mmHiEnglish; pixel for pCustom
};

extern const std::array<TPaperRow, 67> kPaperTable;

inline constexpr int kScreenDpi = 96;

// v from one unit to another; pixels are dots at `dpi` (the screen's for
// mmPixel in the other direction).
std::int32_t UnitConversion(std::int32_t v, int dpi, TUnits from, TUnits to, int screenDpi = kScreenDpi);

// The first row whose size equals (w, h) given in `unit` (portrait order), put
// into the row's unit; pCustom when none does. A4 in pixels (794 x 1123) reads
// back as 2101 x 2971 tenths of a millimetre and is therefore pCustom: a paper
// chosen by type keeps its type and its table size (see the printer layer).
TPaperType FindPaperType(QSize size, TUnits unit, int screenDpi = kScreenDpi);
// The first row with the printer's paper code; pCustom when none has it.
TPaperType PaperTypeFromCode(int code);

// The paper size of a table row in `units`, in the order of the orientation.
QSize paperSizeOf(TPaperType type, TUnits units, TPrinterOrientation orientation, int screenDpi = kScreenDpi);
// Each side brought into 1 .. 32767.
QSize clampPaperSize(QSize size);

} // namespace wendolarka

#include "paper_table.h"

#include "core/arithmetic.h"

#include <algorithm>

namespace wendolarka {

namespace {
constexpr TUnits L = mmLoMetric;
constexpr TUnits H = mmHiEnglish;

int countPerInch(TUnits unit, int dpi) {
    switch (unit) {
    case mmPixel: return dpi;
    case mmLoMetric: return 254;
    case mmHiMetric: return 2540;
    case mmLoEnglish: return 100;
    case mmHiEnglish: return 1000;
    case mmTWIPS: return 1440;
    case mmPoints: return 72;
    }
    return dpi;
}
} // namespace

const std::array<TPaperRow, 67> kPaperTable = {{
    {"pLetter", 1, 8500, 11000, H},           {"pLetterSmall", 1, 8500, 11000, H},
    {"pTabloid", 3, 11000, 17000, H},         {"pLedger", 4, 17000, 11000, H},
    {"pLegal", 5, 8500, 14000, H},            {"pStatement", 6, 5500, 8500, H},
    {"pExecutive", 7, 7250, 10500, H},        {"pA3", 8, 2970, 4200, L},
    {"pA4", 9, 2100, 2970, L},                {"pA4Small", 10, 2100, 2970, L},
    {"pA5", 11, 1480, 2100, L},               {"pB4", 12, 2500, 3540, L},
    {"pB5", 13, 1820, 2570, L},               {"pFolio", 14, 8500, 13000, H},
    {"pQuatro", 15, 2150, 2750, L},           {"p10x14", 16, 10000, 14000, H},
    {"p11x17", 17, 11000, 17000, H},          {"pNote", 18, 8500, 11000, H},
    {"pEnv9", 19, 3875, 8875, H},             {"pEnv10", 20, 4125, 9500, H},
    {"pEnv11", 21, 4500, 10375, H},           {"pEnv12", 22, 4750, 11000, H},
    {"pEnv14", 23, 5000, 11500, H},           {"pCSheet", 24, 17000, 22000, H},
    {"pDSheet", 25, 22000, 34000, H},         {"pESheet", 26, 34000, 44000, H},
    {"pEnvDL", 27, 1100, 2200, L},            {"pEnvC5", 28, 1620, 2290, L},
    {"pEnvC3", 29, 3240, 4580, L},            {"pEnvC4", 30, 2290, 3240, L},
    {"pEnvC6", 31, 1140, 1620, L},            {"pEnvC65", 32, 1140, 2290, L},
    {"pEnvB4", 33, 2500, 3530, L},            {"pEnvB5", 34, 1760, 2500, L},
    {"pEnvB6", 35, 1760, 1250, L},            {"pEnvItaly", 36, 1100, 2300, L},
    {"pEnvMonarch", 37, 3875, 7500, H},       {"pEnvPersonal", 38, 3625, 6500, H},
    {"pFanfoldUSStd", 39, 14875, 11000, H},   {"pFanfoldGermanStd", 40, 8500, 12000, H},
    {"pFanfoldGermanLegal", 41, 8500, 13000, H}, {"pB4ISO", 42, 2500, 3530, L},
    {"pJapanesePostcard", 43, 1000, 1480, L}, {"p9x11", 44, 9000, 11000, H},
    {"p10x11", 45, 10000, 11000, H},          {"p15x11", 46, 15000, 11000, H},
    {"pEnvInvite", 47, 2200, 2200, L},        {"pLetterExtra", 50, 9500, 12000, H},
    {"pLegalExtra", 51, 9500, 15000, H},      {"TabloidExtra", 52, 11690, 18000, H},
    {"pA4Extra", 53, 9270, 12690, H},         {"pLetterTransverse", 54, 8500, 11000, H},
    {"pA4Transverse", 55, 2100, 2970, L},     {"pLetterExtraTransverse", 56, 9500, 12000, H},
    {"pAPlus", 57, 2270, 3560, L},            {"pBPlus", 58, 3050, 4870, L},
    {"pLetterPlus", 59, 8500, 12690, H},      {"pA4Plus", 60, 2100, 3300, L},
    {"pA5Transverse", 61, 1480, 2100, L},     {"pB5Transverse", 62, 1820, 2570, L},
    {"pA3Extra", 63, 3220, 4450, L},          {"pA5Extra", 64, 1740, 2350, L},
    {"pB5Extra", 65, 2010, 2760, L},          {"pA2", 66, 4200, 5940, L},
    {"pA3Transverse", 67, 2970, 4200, L},     {"pA3ExtraTransverse", 68, 3220, 4450, L},
    {"pCustom", 256, 0, 0, mmPixel},
}};

std::int32_t UnitConversion(std::int32_t v, int dpi, TUnits from, TUnits to, int screenDpi) {
    if (from == to)
        return from == mmPixel ? MulDiv(v, dpi, screenDpi) : v;
    if ((from == mmLoMetric && to == mmHiMetric) || (from == mmLoEnglish && to == mmHiEnglish))
        return v * 10;
    if (from == mmPoints && to == mmTWIPS)
        return v * 20;
    if ((from == mmHiMetric && to == mmLoMetric) || (from == mmHiEnglish && to == mmLoEnglish))
        return v / 10;
    if (from == mmTWIPS && to == mmPoints)
        return v / 20;
    return MulDiv(v, countPerInch(to, dpi), countPerInch(from, dpi));
}

TPaperType FindPaperType(QSize size, TUnits unit, int screenDpi) {
    for (std::size_t i = 0; i + 1 < kPaperTable.size(); ++i) {
        const TPaperRow& row = kPaperTable[i];
        const int w = UnitConversion(size.width(), screenDpi, unit, row.unit, screenDpi);
        const int h = UnitConversion(size.height(), screenDpi, unit, row.unit, screenDpi);
        if (w == row.width && h == row.height)
            return static_cast<TPaperType>(i);
    }
    return pCustom;
}

TPaperType PaperTypeFromCode(int code) {
    for (std::size_t i = 0; i < kPaperTable.size(); ++i)
        if (kPaperTable[i].code == code)
            return static_cast<TPaperType>(i);
    return pCustom;
}

QSize paperSizeOf(TPaperType type, TUnits units, TPrinterOrientation orientation, int screenDpi) {
    const TPaperRow& row = kPaperTable[static_cast<std::size_t>(type)];
    const int w = UnitConversion(row.width, screenDpi, row.unit, units, screenDpi);
    const int h = UnitConversion(row.height, screenDpi, row.unit, units, screenDpi);
    return orientation == poLandscape ? QSize(h, w) : QSize(w, h);
}

QSize clampPaperSize(QSize size) {
    return {std::clamp(size.width(), 1, 32767), std::clamp(size.height(), 1, 32767)};
}

} // namespace wendolarka

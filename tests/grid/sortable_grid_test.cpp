#include "grid/sortable_grid.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <bit>
#include <functional>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {
std::vector<int> widths(const TFajny& grid) {
    std::vector<int> result;
    for (int c = 0; c < grid.ColCount(); ++c)
        result.push_back(grid.ColWidths(c));
    return result;
}
} // namespace

TEST(SortableGrid, HiddenColumnsComeBackAtTheirRememberedWidths) {
    TFajny grid;
    grid.setColCount(5);
    for (int c = 0; c < 5; ++c)
        grid.setColWidths(c, 10 * (c + 1));
    grid.HideColumnRange(2, 4);
    EXPECT_EQ(widths(grid), (std::vector<int>{10, 20, 0, 0, 0}));
    grid.HideColumnRange(2, 4); // hiding again records zeros
    grid.ShowColumnRange(2, 4);
    EXPECT_EQ(widths(grid), (std::vector<int>{10, 20, 30, 40, 50}));
    grid.setColWidths(3, 0);    // zero without a remembered width stays zero
    grid.ShowColumnRange(0, 4);
    EXPECT_EQ(widths(grid), (std::vector<int>{10, 20, 30, 40, 50}));
    grid.HideColumnRange(3, 9); // past the last column: only what exists
    EXPECT_EQ(widths(grid), (std::vector<int>{10, 20, 30, 0, 0}));
}

TEST(SortableGrid, HiddenRowsAndCellsOutsideTheGrid) {
    TFajny grid;
    grid.setRowCount(4);
    grid.HideRowRange(2, 2);
    EXPECT_EQ(grid.RowHeights(2), 0);
    grid.ShowRowRange(2, 2);
    EXPECT_EQ(grid.RowHeights(2), grid.DefaultRowHeight());
    grid.setCells(1, 1, QStringLiteral("x"));
    grid.setCells(9, 9, QStringLiteral("lost"));
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("x"));
    EXPECT_EQ(grid.Cells(9, 9), QString());
    grid.setColCount(7);
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("x"));
}

TEST(SortableGrid, AClickChoosesABodyRowButNotTheTitleRow) {
    TFajny grid;
    grid.resize(400, 200);
    grid.show();
    QSignalSpy clicks(&grid, &TStringGrid::Click);
    const int rowHeight = grid.DefaultRowHeight() + 1;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(80, rowHeight * 2 + 5));
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(80, 5));
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(grid.viewport(), Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 3);
}

namespace {

// A grid with one fixed row and column and the given texts in column 1.
std::unique_ptr<TFajny> gridWith(const QStringList& column, int cols = 3) {
    auto grid = std::make_unique<TFajny>();
    grid->resize(300, 400);
    grid->setColCount(cols);
    grid->setRowCount(static_cast<int>(column.size()) + 1);
    for (int r = 0; r < column.size(); ++r) {
        grid->setCells(1, r + 1, column[r]);
        grid->setCells(2, r + 1, QString::number(r)); // where the row came from
    }
    return grid;
}

QStringList body(const TFajny& grid, int col) {
    QStringList texts;
    for (int r = grid.FixedRows(); r < grid.RowCount(); ++r)
        texts << grid.Cells(col, r);
    return texts;
}

TSortOptions options(TSortKind kind = skAuto, TSortDirection direction = sdAscending) {
    TSortOptions o;
    o.Kind = kind;
    o.Direction = direction;
    return o;
}

} // namespace

TEST(GridSorting, KindDecidesTheOrder) {
    auto grid = gridWith({QStringLiteral("10"), QStringLiteral("9"), QStringLiteral("100")});
    EXPECT_EQ(grid->DetectColumnKind(1), skNumber);
    grid->RunSort(1, options());
    EXPECT_EQ(body(*grid, 1), QStringList({QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("100")}));

    auto mixed = gridWith({QStringLiteral("10"), QString(), QStringLiteral("9"), QStringLiteral("100")});
    EXPECT_EQ(mixed->DetectColumnKind(1), skText);
    mixed->RunSort(1, options());
    EXPECT_EQ(body(*mixed, 1), QStringList({QString(), QStringLiteral("10"), QStringLiteral("100"), QStringLiteral("9")}));

    auto decimals = gridWith({QStringLiteral("2,5"), QStringLiteral("-1"), QStringLiteral("2,25")});
    decimals->RunSort(1, options());
    EXPECT_EQ(body(*decimals, 1), QStringList({QStringLiteral("-1"), QStringLiteral("2,25"), QStringLiteral("2,5")}));
    auto onlyFooter = gridWith({QStringLiteral("suma")});
    onlyFooter->setFooterRows(1); // no sortable rows left
    EXPECT_EQ(onlyFooter->DetectColumnKind(1), skNumber);
}

TEST(GridSorting, EqualKeysKeepTheirOrderBothWays) {
    auto grid = gridWith({QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("B")});
    grid->RunSort(1, options(skText));
    EXPECT_EQ(body(*grid, 2), QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("3")}));
    grid->RunSort(1, options(skText, sdDescending));
    EXPECT_EQ(body(*grid, 2), QStringList({QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(grid->SortDirection(), sdDescending);
}

// The order the comparison rule gives, one insertion at a time: a row goes
// after every row it does not compare below.
std::vector<int> insertionOrder(const std::vector<QString>& keys, const std::function<int(int, int)>& compare) {
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(keys.size()); ++i) {
        auto at = order.end();
        while (at != order.begin() && compare(i, *(at - 1)) < 0)
            --at;
        order.insert(at, i);
    }
    return order;
}

TEST(GridSorting, TextOrderIsTheLocalesComparisonWhateverTheLocale) {
    const std::vector<QString> texts = {
        QString(), QStringLiteral(" "), QStringLiteral("\x01"), QStringLiteral("x\x01y"), QStringLiteral("xy"),
        QStringLiteral("a"), QStringLiteral("A"), QString::fromUtf8("ą"), QString::fromUtf8("Ą"), QStringLiteral("b"),
        QString::fromUtf8("Ł"), QStringLiteral("L"), QString::fromUtf8("ŁA"), QStringLiteral("LB"),
        QString::fromUtf8("ß"), QStringLiteral("SS"), QString::fromUtf8("e\u0301"), QString::fromUtf8("é"),
        QStringLiteral("-"), QStringLiteral("a-b"), QStringLiteral("ab"), QStringLiteral("a b"), QStringLiteral("10"),
        QStringLiteral("9"), QString::fromUtf8("\U0001F600"), QString::fromUtf8("\uFFFD"), QString::fromUtf8("\uE000"),
        QStringLiteral("Zych"), QStringLiteral("bartnik"), QString::fromUtf8("Łoś"), QStringLiteral("Nowak"),
        QString::fromUtf8("óź"), QString::fromUtf8("ż"), QStringLiteral("z"), QString::fromUtf8("ź"), QStringLiteral("a"),
        QStringLiteral("A"), QString()};
    const QLocale saved;
    for (const QLocale& locale : {QLocale(QLocale::C), QLocale(QLocale::Polish, QLocale::Poland), QLocale(QLocale::English)}) {
        QLocale::setDefault(locale);
        for (const bool caseSensitive : {false, true})
            for (const TSortDirection direction : {sdAscending, sdDescending}) {
                std::vector<QString> keys;
                for (const QString& text : texts)
                    keys.push_back(caseSensitive ? text : text.toUpper());
                const int sign = direction == sdDescending ? -1 : 1;
                const auto expected = insertionOrder(keys, [&](int a, int b) {
                    return sign * QString::localeAwareCompare(keys[static_cast<std::size_t>(a)],
                                                              keys[static_cast<std::size_t>(b)]);
                });
                TSortOptions o = options(skText, direction);
                o.CaseSensitive = caseSensitive;
                EXPECT_EQ(grid_rules::sortOrder(texts, o), expected)
                    << locale.name().toStdString() << (caseSensitive ? " case-sensitive " : " folded ") << direction;
            }
    }
    QLocale::setDefault(saved);
}

TEST(GridSorting, NumbersDatesAndTimesOrderedLikeTheirValues) {
    const std::vector<QString> numbers = {QStringLiteral("2,5"),  QStringLiteral(" 10"), QStringLiteral("-3"),
                                          QStringLiteral("2,50"), QStringLiteral("0"),   QStringLiteral("-0"),
                                          QStringLiteral("1e3"),  QStringLiteral("10 "), QStringLiteral("2,5")};
    const std::vector<QString> times = {QStringLiteral("12:00"), QStringLiteral("9:05"), QStringLiteral("23:59:59"),
                                        QStringLiteral("9:05"), QStringLiteral("0:00")};
    const std::vector<QString> dates = {QStringLiteral("2024-03-01"), QStringLiteral("1999-12-31"),
                                        QStringLiteral("2024-03-01 8:00"), QStringLiteral("2024-02-29")};
    for (const auto& [kind, texts] : {std::pair(skNumber, numbers), std::pair(skTime, times), std::pair(skDateTime, dates)})
        for (const TSortDirection direction : {sdAscending, sdDescending}) {
            std::vector<double> values;
            for (const QString& text : texts) {
                const auto value = kind == skNumber ? grid_rules::toNumber(text)
                                   : kind == skTime ? grid_rules::toTime(text)
                                                    : grid_rules::toDateTime(text);
                ASSERT_TRUE(value) << text.toStdString();
                values.push_back(*value);
            }
            const int sign = direction == sdDescending ? -1 : 1;
            const auto expected = insertionOrder(texts, [&](int a, int b) {
                const double x = values[static_cast<std::size_t>(a)], y = values[static_cast<std::size_t>(b)];
                return sign * ((x > y) - (x < y));
            });
            EXPECT_EQ(grid_rules::sortOrder(texts, options(kind, direction)), expected) << kind << " " << direction;
        }
}

TEST(GridSorting, NumbersReadAsTheLocaleReadsThem) {
    // Short texts of digits, signs, separators, blanks and exponents, and the
    // edges of the direct reading: 15 and 16 digits, zeros, a separator alone.
    std::vector<QString> texts = {QStringLiteral("-0"), QStringLiteral("0,0"), QStringLiteral("007"),
                                  QStringLiteral("123456789012345"), QStringLiteral("1234567890123456"),
                                  QStringLiteral("-99999999999999,9"), QStringLiteral("0,000000000000001"),
                                  QStringLiteral("9007199254740993"), QStringLiteral("-"), QStringLiteral(","),
                                  QStringLiteral("5,"), QStringLiteral(",5"), QStringLiteral("--1"), QStringLiteral("1,2,3"),
                                  QStringLiteral("0,1"), QStringLiteral("2,675"), QString()};
    const QString alphabet = QString::fromUtf8("0123456789,.-+ e\u00a0\u2212");
    std::mt19937 random(20);
    for (int i = 0; i < 40000; ++i) {
        QString text;
        for (int n = static_cast<int>(random() % 18) + 1; n > 0; --n)
            text += alphabet[static_cast<int>(random() % (i % 2 ? 10 : alphabet.size()))]; // every other: digits only
        if (i % 4 == 1)
            text.insert(static_cast<int>(random() % text.size()), u',');
        if (i % 8 == 3)
            text.prepend(u'-');
        texts.push_back(text);
    }
    for (const QLocale& base : {QLocale(QLocale::Polish, QLocale::Poland), QLocale(QLocale::German, QLocale::Germany),
                                QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::C),
                                QLocale(QLocale::French, QLocale::France), QLocale(QLocale::Swedish, QLocale::Sweden)})
        for (const bool rejectGroups : {true, false}) {
            QLocale locale = base;
            if (rejectGroups)
                locale.setNumberOptions(QLocale::RejectGroupSeparator);
            const grid_rules::NumberReader read(locale);
            int differences = 0;
            for (const QString& text : texts) {
                bool ok = false;
                const double expected = locale.toDouble(text, &ok);
                const std::optional<double> got = read(text);
                if (got.has_value() != ok || (ok && std::bit_cast<std::uint64_t>(*got) != std::bit_cast<std::uint64_t>(expected)))
                    ADD_FAILURE() << locale.name().toStdString() << " \"" << text.toStdString() << "\" " << ++differences;
                if (differences > 5)
                    break;
            }
        }
}

TEST(GridSorting, FootersStayAndTheCurrentRowFollowsItsRecord) {
    auto grid = gridWith({QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("sum"),
                          QStringLiteral("avg")});
    grid->setFooterRows(2);
    grid->setRow(1); // "c"
    grid->RunSort(1, options(skText));
    EXPECT_EQ(body(*grid, 1), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                           QStringLiteral("sum"), QStringLiteral("avg")}));
    EXPECT_EQ(grid->Row(), 3);
    grid->RestoreOrder();
    EXPECT_EQ(body(*grid, 1).first(), QStringLiteral("c"));
    EXPECT_EQ(grid->Row(), 1);
    grid->RunSort(1, options(skText));
    grid->setRowCount(grid->RowCount() + 1); // the memory no longer fits
    grid->RestoreOrder();
    EXPECT_EQ(body(*grid, 1).first(), QStringLiteral("a"));
    EXPECT_TRUE(grid->SortMemory().empty());
}

TEST(GridSorting, RunSortNeedsTwoBodyRowsAndRaisesItsEvents) {
    auto grid = gridWith({QStringLiteral("x")});
    int events = 0;
    grid->OnBeginSort = [&](TFajny&, int, TSortOptions&) { ++events; };
    grid->OnEndSort = [&](TFajny&, int) { ++events; };
    grid->RunSort(1, options());
    EXPECT_EQ(events, 0);
    auto two = gridWith({QStringLiteral("2"), QStringLiteral("1")});
    TSortKind seen = skAuto;
    two->OnBeginSort = [&](TFajny&, int, TSortOptions& o) {
        seen = o.Kind;
        o.Direction = sdDescending; // the handler may change the options
    };
    two->RunSort(1, options());
    EXPECT_EQ(seen, skNumber);
    EXPECT_EQ(body(*two, 1), QStringList({QStringLiteral("2"), QStringLiteral("1")}));
}

TEST(GridSorting, TitleClicksSortOnlyWhenAllowedAndPlain) {
    auto grid = gridWith({QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")});
    grid->show();
    QApplication::setActiveWindow(grid.get());
    grid->setFocus();
    const QPoint title(grid->CellRect(1, 0).Left + 5, 5);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, title);
    EXPECT_EQ(body(*grid, 1).first(), QStringLiteral("b"));
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, title);
    EXPECT_EQ(body(*grid, 1), QStringList({QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, title);
    EXPECT_EQ(body(*grid, 1).first(), QStringLiteral("a"));
    grid->setSortOnClick(false);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, title);
    EXPECT_EQ(body(*grid, 1).first(), QStringLiteral("a"));
}

TEST(GridSearching, SubstringSearchFoldsPolishLettersToo) {
    TFajny grid;
    grid.setColCount(4);
    grid.setRowCount(9);
    grid.setSearchSubstring(true);
    grid.setCells(2, 5, QStringLiteral("xABCx"));
    grid.setCells(1, 7, QStringLiteral("abc"));
    auto hit = grid.FindFirst(QStringLiteral("abc"), true);
    EXPECT_TRUE(hit.found);
    EXPECT_EQ(std::pair(hit.col, hit.row), std::pair(2, 5));
    hit = grid.FindNext();
    EXPECT_EQ(std::pair(hit.col, hit.row), std::pair(1, 7));
    for (int i = 0; i < 2; ++i) {
        hit = grid.FindNext();
        EXPECT_FALSE(hit.found);
        EXPECT_EQ(std::pair(hit.col, hit.row), std::pair(-1, -1));
    }
    EXPECT_TRUE(grid.SearchExists());

    grid.setCells(3, 2, QString::fromUtf8("ŁÓDŹ"));
    EXPECT_TRUE(grid.FindFirst(QString::fromUtf8("łódź"), true).found); // Polish letters fold too
    grid.setSearchSubstring(false);
    hit = grid.FindFirst(QString::fromUtf8("łódź"), false);
    EXPECT_EQ(std::pair(hit.col, hit.row), std::pair(3, 2));
    grid.setKeyType(soStringCaseSensitive);
    EXPECT_FALSE(grid.FindFirst(QString::fromUtf8("łódź"), false).found);

    grid.setKeyType(soString);
    grid.setSearchSubstring(true);
    grid.setCells(0, 3, QStringLiteral("abc")); // fixed column: not searched with hfNot
    grid.setCells(1, 0, QStringLiteral("abc"));
    hit = grid.FindFirstInCol(QStringLiteral("ABC"), 1);
    EXPECT_EQ(std::pair(hit.col, hit.row), std::pair(1, 7));
    EXPECT_FALSE(grid.FindNext().found);
    EXPECT_FALSE(grid.FindFirst(QString(), true).found);
    EXPECT_EQ(grid.LocateText(QStringLiteral("XABCX")).row, 5);
}

TEST(GridStructure, RowsColumnsAndRememberedSizes) {
    TFajny grid;
    grid.setColCount(5);
    grid.setRowCount(6);
    EXPECT_EQ(grid.ModifyRow(3, QStringLiteral("a;b;;c"), QStringLiteral(";")), 4);
    EXPECT_EQ(grid.Rows(3), QStringList({QStringLiteral("a"), QStringLiteral("b"), QString(), QStringLiteral("c"), QString()}));
    EXPECT_EQ(grid.ModifyCol(4, QStringLiteral("x|y"), QString()), 1);
    EXPECT_EQ(grid.Cells(4, 0), QStringLiteral("x|y"));

    grid.setRowHeights(2, 30);
    grid.HideRowRange(2, 2);
    grid.RemoveRow(4); // below the hidden row: its record stays
    EXPECT_EQ(grid.SavedSizes().back().index, 2);
    grid.RemoveRow(1); // above it: the record follows the row
    EXPECT_EQ(grid.SavedSizes().back().index, 1);
    grid.ShowRowRange(1, 1);
    EXPECT_EQ(grid.RowHeights(1), 30);
    EXPECT_EQ(grid.Cells(0, 2), QStringLiteral("a"));

    grid.InsertRowAt(1);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.Cells(0, 3), QStringLiteral("a"));
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_FALSE(grid.RemoveRowRange(3, 9));
    EXPECT_FALSE(grid.ClearColumnRange(2, 1));
    grid.SwapRowPair(1, 3);
    EXPECT_EQ(grid.Cells(0, 1), QStringLiteral("a"));

    // Indexes outside the grid change nothing, remembered sizes included.
    grid.HideRowRange(2, 2);
    const auto saved = grid.SavedSizes();
    const int rows = grid.RowCount(), cols = grid.ColCount();
    int deleted = 0;
    grid.OnRowDelete = [&deleted](TFajny&, int) { ++deleted; };
    for (int bad : {-1, -5, rows}) {
        grid.RemoveRow(bad);
        grid.RemoveColumn(bad == rows ? cols : bad);
    }
    grid.InsertRowAt(-1);
    grid.InsertColumnAt(-1);
    grid.InsertRowAt(rows + 1);
    EXPECT_EQ(grid.RowCount(), rows);
    EXPECT_EQ(grid.ColCount(), cols);
    EXPECT_EQ(deleted, 0);
    ASSERT_EQ(grid.SavedSizes().size(), saved.size());
    EXPECT_EQ(grid.SavedSizes().back().index, saved.back().index);
    grid.ShowRowRange(2, 2);
    EXPECT_NE(grid.RowHeights(2), 0); // the hidden row comes back
    grid.InsertRowAt(rows); // just past the last row is a place for a new one
    EXPECT_EQ(grid.RowCount(), rows + 1);

    grid.setCells(1, 0, QStringLiteral("title"));
    grid.ClearAllRows();
    EXPECT_EQ(grid.Cells(1, 0), QString());
    grid.setRowCount(1); // the fixed row gives way: one row stays a body row
    EXPECT_EQ(grid.FixedRows(), 0);
}

TEST(GridStructure, TextFilesInTheCodePage) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grid.txt"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("Nr;Nazwisko\r\n1;\xA3\xF3\x64\x9F;\r\n2;;x;y\r\n");
    }
    TFajny grid;
    grid.LoadFromTextFile(path, u';');
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.ColCount(), 4);
    EXPECT_EQ(grid.Cells(1, 1), QString::fromUtf8("Łódź"));
    EXPECT_EQ(grid.Cells(2, 1), QString());
    EXPECT_EQ(grid.Cells(3, 2), QStringLiteral("y"));
    const QString copy = dir.filePath(QStringLiteral("copy.txt"));
    grid.SaveToTextFile(copy, u';');
    QFile saved(copy);
    saved.open(QIODevice::ReadOnly);
    EXPECT_EQ(saved.readAll(), QByteArray("Nr;Nazwisko;;\r\n1;\xA3\xF3\x64\x9F;;\r\n2;;x;y\r\n"));
}

TEST(GridDrawing, FooterBevelsAlignmentAndSymbols) {
    auto grid = gridWith({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("total")});
    grid->setDefaultRowHeight(20);
    grid->setColWidths(1, 80);
    grid->setFooterRows(1);
    grid->setFooterColor(clYellow);
    grid->setFooterBevelStyle(cbRaised);
    grid->setOptions(grid->Options() & ~goRangeSelect);
    grid->show();
    QImage shot = grid->viewport()->grab().toImage();
    const TRect footer = grid->CellRect(1, 3);
    const TRect body = grid->CellRect(1, 2); // not the current cell
    EXPECT_EQ(shot.pixelColor(footer.Left + 40, footer.Top + 10), QColor(255, 255, 0));
    EXPECT_EQ(shot.pixelColor(footer.Left, footer.Top + 10), QColor(255, 255, 255));  // light left edge
    EXPECT_EQ(shot.pixelColor(footer.Right - 1, footer.Top + 10), QColor(128, 128, 128));
    EXPECT_EQ(shot.pixelColor(body.Left, body.Top + 10), QColor(255, 255, 255)); // no bevel, white cell

    // A handler that hides the text leaves only the background.
    grid->OnGetCellFormat = [](TFajny&, int, int row, TGridDrawState, TFormatOptions& f) {
        if (row == 2)
            f.NoText = true;
    };
    grid->Repaint();
    shot = grid->viewport()->grab().toImage();
    bool ink = false;
    for (int x = body.Left; x < body.Right; ++x)
        for (int y = body.Top; y < body.Bottom; ++y)
            ink = ink || shot.pixelColor(x, y).lightness() < 128;
    EXPECT_FALSE(ink);

    grid->setSortSymbol(sgArrow);
    grid->setSortDirection(sdDescending);
    EXPECT_EQ(grid->sortSymbolBitmap(), sortSymbolImage("SORTDN"));
    EXPECT_EQ(sortSymbolImage("SORTAZ").size(), QSize(16, 16));
    EXPECT_EQ(sortSymbolImage("SORTUP").size(), QSize(8, 7));
}

TEST(GridEditing, InvalidValuesRestoreThePreviousText) {
    auto grid = gridWith({QStringLiteral("old")});
    grid->setOptions(grid->Options() | goEditing);
    grid->OnCellValidate = [](TFajny&, int, int, QString&, bool& valid) { valid = false; };
    grid->show();
    grid->setFocus();
    QApplication::processEvents();
    grid->setCol(1);
    grid->setRow(1);
    grid->RememberCell();
    QTest::keyClick(grid->viewport(), Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    QLineEdit* editor = grid->viewport()->findChild<QLineEdit*>();
    editor->setText(QStringLiteral("new"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(grid->Cells(1, 1), QStringLiteral("old"));
    grid->OnCellValidate = nullptr;
    QTest::keyClick(grid->viewport(), Qt::Key_Return); // Enter on a closed editor opens it
    ASSERT_TRUE(grid->EditorMode());
    editor->setText(QStringLiteral("kept"));
    // Characters the code page cannot hold are refused as they are typed.
    for (const QString& typed : {QString::fromUtf8("ł"), QString::fromUtf8("Ж")}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
        QApplication::sendEvent(editor, &key);
    }
    EXPECT_EQ(editor->text(), QString::fromUtf8("keptł"));
    editor->setText(QStringLiteral("kept"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), QStringLiteral("kept"));
    EXPECT_TRUE(grid->Edited());
}

TEST(GridKeys, ExtendedKeysAndProportionalPages) {
    auto grid = gridWith({QStringLiteral("only")});
    grid->setExtendedKeys(true);
    grid->show();
    grid->setFocus();
    QTest::keyClick(grid->viewport(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grid->RowCount(), 2); // the last body row stays
    QTest::keyClick(grid->viewport(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(grid->RowCount(), 3);

    TFajny tall;
    tall.setScrollBars(ssVertical);
    tall.setRowCount(100);
    tall.resize(200, 10 * 25 + 4);
    tall.show();
    const QScrollBar* bar = tall.verticalScrollBar();
    const double share = static_cast<double>(bar->pageStep()) / (bar->maximum() - bar->minimum() + 1);
    EXPECT_NEAR(share, 0.1, 0.03);

    tall.FitRow(5);
    EXPECT_EQ(tall.RowHeights(5), tall.DefaultRowHeight());
    tall.setColWidths(1, 30);
    tall.setCells(1, 5, QStringLiteral("jeden dwa trzy cztery"));
    tall.FitRow(5);
    EXPECT_GT(tall.RowHeights(5), tall.DefaultRowHeight());
}

TEST(GridMouse, TitlesResizeAndMoveColumnsAndRows) {
    auto grid = gridWith({QStringLiteral("a"), QStringLiteral("b")}, 4);
    grid->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goColSizing |
                     goColMoving | goRowSizing | goRowMoving | goRowSelect);
    grid->setSortOnClick(false);
    grid->setCells(1, 0, QStringLiteral("one"));
    grid->setCells(2, 0, QStringLiteral("two"));
    grid->show();
    // Drag the line right of column 1 twenty pixels further right.
    const int edge = grid->CellRect(1, 0).Right;
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, QPoint(edge, 5));
    QTest::mouseMove(grid->viewport(), QPoint(edge + 20, 5));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(edge + 20, 5));
    EXPECT_EQ(grid->ColWidths(1), 84);
    // Drag the title of column 1 onto column 2.
    const QPoint from(grid->CellRect(1, 0).Left + 10, 5);
    const QPoint to(grid->CellRect(2, 0).Left + 10, 5);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(grid->viewport(), to);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(grid->Cells(1, 0), QStringLiteral("two"));
    EXPECT_EQ(grid->Cells(2, 0), QStringLiteral("one"));
    EXPECT_EQ(grid->ColWidths(2), 84); // the width travels with the column
    // Drag the fixed cell of row 1 onto row 2.
    const QPoint rowFrom(5, grid->CellRect(0, 1).Top + 5);
    const QPoint rowTo(5, grid->CellRect(0, 2).Top + 5);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, rowFrom);
    QTest::mouseMove(grid->viewport(), rowTo);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, rowTo);
    EXPECT_EQ(grid->Cells(2, 1), QStringLiteral("b"));
    EXPECT_EQ(grid->GridState(), gsNormal);
}

TEST(GridSorting, ContradictoryComparisonsNeverBreakTheGrid) {
    QStringList texts;
    for (int i = 0; i < 300; ++i)
        texts << (i % 3 == 0 ? QStringLiteral("x") : QString::number((i * 37) % 101));
    auto grid = gridWith(texts);
    grid->RunSort(1, options(skNumber)); // texts that are no numbers tie with everything
    auto sorted = body(*grid, 1);
    std::sort(sorted.begin(), sorted.end());
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(sorted, texts); // the same rows, only reordered
    TSortOptions random = options(skCustom);
    int calls = 0;
    random.CompareProc = [&calls](const QString&, const QString&) { return (++calls % 3) - 1; };
    grid->RunSort(1, random);
    sorted = body(*grid, 1);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, texts); // no row lost, none doubled
}

TEST(GridSorting, TheMergeOrderIsAPermutationWhateverTheComparisonSays) {
    for (int count : {0, 1, 2, 7, 64, 1000}) {
        unsigned state = 12345;
        const auto chaotic = [&state](int, int) {
            state = state * 1103515245u + 12345u;
            return static_cast<int>((state >> 16) % 3) - 1;
        };
        std::vector<int> order = grid_rules::stableOrder(count, chaotic);
        std::sort(order.begin(), order.end());
        std::vector<int> expected(static_cast<std::size_t>(count));
        std::iota(expected.begin(), expected.end(), 0);
        EXPECT_EQ(order, expected) << count;
    }
    // An honest comparison: sorted, and equal keys keep their order.
    const std::vector<int> keys = {3, 1, 2, 1, 3, 0};
    EXPECT_EQ(grid_rules::stableOrder(6, [&](int a, int b) { return keys[a] - keys[b]; }),
              (std::vector<int>{5, 1, 3, 2, 0, 4}));
}

TEST(SortableGrid, MovingFarDownScrollsOnceJustEnoughToShowTheRow) {
    auto grid = gridWith(QStringList(3000, QStringLiteral("x")));
    for (int r = 1; r < grid->RowCount(); ++r)
        grid->setRowHeights(r, 10 + (r * 7) % 23);
    grid->HideRowRange(2990, 2994);
    grid->show();
    int scrolls = 0;
    grid->OnTopLeftChanged = [&scrolls](TStringGrid&) { ++scrolls; };
    const auto shownWhole = [&](int row) { return row >= grid->TopRow() && row < grid->TopRow() + grid->VisibleRowCount(); };
    for (const int row : {2000, 2995, 2999, 2500, 2600}) {
        scrolls = 0;
        const int before = grid->TopRow();
        grid->setRow(row);
        EXPECT_TRUE(shownWhole(row)) << row;
        EXPECT_LE(scrolls, 1) << row;
        if (grid->TopRow() > before) { // one row less of scrolling would leave it cut off
            const int top = grid->TopRow();
            grid->setTopRow(top - 1);
            EXPECT_FALSE(shownWhole(row)) << row;
            grid->setTopRow(top);
        }
    }
    grid->setRowHeights(2999, 2000); // taller than the view: it goes to the top
    grid->setRow(1);
    grid->setRow(2999);
    EXPECT_EQ(grid->TopRow(), 2999);
}

TEST(GridSorting, ItemsMoveByAnOrderOnlyWhenItIsAPermutation) {
    std::vector<QString> items = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                                  QStringLiteral("e"), QStringLiteral("f")};
    EXPECT_TRUE(grid_rules::permute(items.data(), {3, 0, 4, 1, 2, 5})); // cycles of three and two, one item left
    EXPECT_EQ(items, (std::vector<QString>{QStringLiteral("d"), QStringLiteral("a"), QStringLiteral("e"),
                                           QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("f")}));
    const std::vector<QString> before = items;
    for (const std::vector<int>& broken : {std::vector<int>{0, 1, 1, 3, 4, 5}, std::vector<int>{0, 1, 2, 3, 4, 6},
                                           std::vector<int>{-1, 1, 2, 3, 4, 5}}) {
        EXPECT_FALSE(grid_rules::permute(items.data(), broken));
        EXPECT_EQ(items, before);
    }
}

TEST(GridDrawing, TextOffsetsAndBevelsFollowTheSettings) {
    auto grid = gridWith({QStringLiteral("I"), QStringLiteral("I")});
    grid->setOptions(goVertLine | goHorzLine); // body lines only: no bevels
    grid->setColWidths(1, 60);
    grid->setDefaultRowHeight(30);
    grid->setBevelStyle(cbLowered);
    grid->setAlignmentHorz(taRightJustify);
    grid->setAlignmentVert(taBottomJustify);
    grid->setRow(2);
    grid->show();
    const auto inkBox = [&](int row) {
        const QImage shot = grid->viewport()->grab().toImage();
        const TRect cell = grid->CellRect(1, row);
        QRect box;
        for (int y = cell.Top; y < cell.Bottom; ++y)
            for (int x = cell.Left; x < cell.Right; ++x)
                if (shot.pixelColor(x, y).lightness() < 100)
                    box |= QRect(x, y, 1, 1);
        return std::pair(box, shot);
    };
    const auto [box, shot] = inkBox(1);
    const TRect cell = grid->CellRect(1, 1);
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas measure(scratch);
    measure.Font = grid->Font();
    const QSize extent = measure.TextExtent(QStringLiteral("I"));
    // The text box ends 2 pixels before the right edge and 3 above the bottom.
    EXPECT_LE(box.right(), cell.Right - 2 - 1);
    EXPECT_GE(box.right(), cell.Right - 2 - extent.width());
    EXPECT_LE(box.bottom(), cell.Bottom - 3 - 1);
    EXPECT_EQ(shot.pixelColor(cell.Left, cell.Top + 15), QColor(255, 255, 255)); // no bevel edge

    grid->setOptions(grid->Options() | goFixedVertLine | goFixedHorzLine);
    const QImage bevelled = grid->viewport()->grab().toImage();
    EXPECT_EQ(bevelled.pixelColor(cell.Left, cell.Top + 15), QColor(128, 128, 128)); // lowered: dark left
    EXPECT_EQ(bevelled.pixelColor(cell.Right - 1, cell.Top + 15), QColor(255, 255, 255));
}

TEST(GridMouse, RowSelectionFollowsTheMouse) {
    auto grid = gridWith({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                          QStringLiteral("e")});
    grid->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect);
    grid->show();
    const auto at = [&](int row) { return QPoint(grid->CellRect(1, row).Left + 5, grid->CellRect(1, row).Top + 5); };
    const auto selected = [&] {
        std::vector<int> rows = grid->SelectedRows();
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at(2));
    QTest::mouseMove(grid->viewport(), at(4));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at(4));
    EXPECT_EQ(selected(), (std::vector<int>{2, 3, 4}));
    // Shrinking back toward the anchor drops rows again.
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at(2));
    QTest::mouseMove(grid->viewport(), at(5));
    QTest::mouseMove(grid->viewport(), at(3));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at(3));
    EXPECT_EQ(selected(), (std::vector<int>{2, 3}));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, at(5));
    EXPECT_EQ(selected(), (std::vector<int>{2, 3, 5}));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(3));
    EXPECT_EQ(selected(), (std::vector<int>{3, 4, 5}));
    grid->RemoveRow(4);
    EXPECT_EQ(selected(), (std::vector<int>{3, 4}));
}

TEST(GridSearching, TheComparedPartOfACell) {
    grid_rules::CellMatcher whole{QStringLiteral("łoś"), soString, false, 1, 2147483647};
    EXPECT_TRUE(whole.matches(QStringLiteral("ŁOŚ")));
    grid_rules::CellMatcher middle{QStringLiteral("bc"), soStringCaseSensitive, false, 2, 2};
    EXPECT_TRUE(middle.matches(QStringLiteral("abcd")));
    EXPECT_FALSE(middle.matches(QStringLiteral("aBcd")));
    // A negative length compares an empty part, never the rest of the cell.
    grid_rules::CellMatcher negative{QStringLiteral("abc"), soString, false, 1, -1};
    EXPECT_FALSE(negative.matches(QStringLiteral("abc")));
}

TEST(GridMouse, MarksAreDrawnApartFromTheCurrentRowWhichAloneLooksChosen) {
    auto grid = gridWith({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                          QStringLiteral("e")});
    grid->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect);
    grid->setMarkRows(true);
    grid->show();
    const auto at = [&](int row) { return QPoint(grid->CellRect(1, row).Left + 5, grid->CellRect(1, row).Top + 5); };
    const auto look = [&](int row) {
        const TRect cell = grid->CellRect(1, row);
        return grid->viewport()->grab().toImage().pixelColor(cell.Right - 2, cell.Bottom - 2);
    };
    const QColor chosen = toQColor(clHighlight), marked = toQColor(TFajny::kMarkedColor), plain = toQColor(clWindow);
    const auto marks = [&] {
        std::vector<int> rows = grid->SelectedRows();
        std::sort(rows.begin(), rows.end());
        return rows;
    };

    // Wherever the current row goes (keys, a search hit), it alone looks chosen.
    EXPECT_TRUE(marks().empty());
    grid->setRow(3);
    EXPECT_EQ(look(3), chosen);
    EXPECT_EQ(look(1), plain);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, at(2));
    QTest::keyClick(grid->viewport(), Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(marks(), std::vector<int>{2});
    EXPECT_EQ(look(2), marked);
    EXPECT_EQ(look(3), chosen);
    QTest::keyClick(grid->viewport(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(marks(), (std::vector<int>{2, 3}));
    EXPECT_EQ(look(3), chosen); // the chosen row stays chosen, marked or not

    // A drag marks a range and leaves the current row where the press put it.
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at(1));
    EXPECT_TRUE(marks().empty()); // a plain press clears the marks
    QTest::mouseMove(grid->viewport(), at(4));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at(4));
    EXPECT_EQ(marks(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(look(1), chosen);
    EXPECT_EQ(look(4), marked);

    // Nobody chosen: no row looks chosen. The program scrolling during a press ends the drag.
    grid->setCurrentRowShown(false);
    EXPECT_EQ(look(1), marked);
    grid->ShowCell(1, 1); // a search hit, also on the row that was current: chosen again
    EXPECT_EQ(look(1), chosen);
    grid->setCurrentRowShown(false);
    grid->setSelection({1, 3, 1, 3});
    EXPECT_EQ(look(3), chosen);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at(2));
    grid->EndMouseSelection();
    QTest::mouseMove(grid->viewport(), at(5));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at(5));
    EXPECT_TRUE(marks().empty());
    EXPECT_EQ(grid->Row(), 2);
    // A reload forgets the marks of the rows that were there.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(4));
    EXPECT_FALSE(marks().empty());
    grid->ClearAllRows();
    EXPECT_TRUE(marks().empty());
}

TEST(GridContent, CellsFromATextBlockSortAndOutliveTheirBlock) {
    TFajny grid;
    grid.setColCount(2);
    grid.setRowCount(4);
    auto block = std::make_shared<const QString>(QString::fromUtf8("żabaAdamMarek"));
    const std::weak_ptr<const QString> watched = block;
    grid.adoptTextBlock(block);
    const QStringView all(*block);
    grid.setCellFromBlock(1, 1, all.mid(0, 4));
    grid.setCellFromBlock(1, 2, all.mid(4, 4));
    grid.setCellFromBlock(1, 3, all.mid(8, 5));
    grid.setCellFromBlock(0, 1, QStringView(u"obcy")); // not in the block: refused
    EXPECT_TRUE(grid.Cells(0, 1).isEmpty());
    block.reset();

    grid.RunSort(1, options(skText));
    EXPECT_EQ(body(grid, 1), QStringList({QStringLiteral("Adam"), QStringLiteral("Marek"), QString::fromUtf8("żaba")}));
    const QString kept = grid.Cells(1, 3);
    grid.setCells(1, 1, QStringLiteral("Ewa")); // typed over: a text of its own
    // A new load drops the old block only when no cell shows it any more.
    grid.adoptTextBlock(std::make_shared<const QString>(QStringLiteral("x")));
    EXPECT_FALSE(watched.expired());
    grid.ClearAllRows();
    grid.adoptTextBlock(std::make_shared<const QString>(QStringLiteral("y")));
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(kept, QString::fromUtf8("żaba")); // a text handed out is its own copy
}

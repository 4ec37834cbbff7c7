// Writes the template workbook 塾管理楓丸くん.xlt: the "処理中" sheet and, for each
// report, its report sheet (laid out as the first page) and its page
// template (the same page, copied for every further page).
//   kaedemaru-maketemplate PATH
// The file is an ordinary OOXML workbook; the name is the one the program looks for.
// Colours are explicit RGB values: the report engine does not resolve theme colours.
// Charts and the comment text of the analysis sheet are added by the report code,
// over the areas this form frames for them.

#include "ReportLayout.h"

#include <xlsxwriter.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr const char* kFont = "IPAPGothic";

// Palette of the forms.
constexpr std::uint32_t kInk = 0x000000;
constexpr std::uint32_t kLine = 0x404040;
constexpr std::uint32_t kSoftLine = 0xA6A6A6;
constexpr std::uint32_t kCaptionFill = 0xDCE6F1;
constexpr std::uint32_t kHeadFill = 0xB8CCE4;
constexpr std::uint32_t kDayFill = 0xF2F2F2;
constexpr std::uint32_t kSatInk = 0x1F4E9B;
constexpr std::uint32_t kSatFill = 0xDDEBF7;
constexpr std::uint32_t kSunInk = 0xC00000;
constexpr std::uint32_t kSunFill = 0xFCE4E4;
constexpr std::uint32_t kTitleInk = 0x17365D;
constexpr std::uint32_t kNoteInk = 0x595959;
constexpr std::uint32_t kNoFill = 0xFFFFFFFF;

struct Edge {
    std::uint8_t style = LXW_BORDER_NONE;
    std::uint32_t color = kLine;
    auto operator<=>(const Edge&) const = default;
};

const Edge kThin{LXW_BORDER_THIN, kLine};
const Edge kMedium{LXW_BORDER_MEDIUM, kLine};
const Edge kHair{LXW_BORDER_HAIR, kSoftLine};
const Edge kDotted{LXW_BORDER_DOTTED, kSoftLine};
const Edge kDouble{LXW_BORDER_DOUBLE, kTitleInk};

struct Style {
    double size = 10;
    bool bold = false;
    std::uint32_t ink = kInk;
    std::uint32_t fill = kNoFill;
    std::uint8_t hAlign = LXW_ALIGN_NONE;
    std::uint8_t vAlign = LXW_ALIGN_VERTICAL_CENTER;
    bool wrap = false;
    bool shrink = false;
    std::string numFormat;
    Edge top, bottom, left, right;
    auto operator<=>(const Style&) const = default;
};

struct Area {
    int r1, c1, r2, c2;   // 1-based, inclusive
};

// One worksheet drawn as a form: every cell's look is collected first, then
// written once, so that borders of neighbouring boxes and merged ranges combine.
class Form {
public:
    Form(lxw_workbook* book, const char* name) : m_book(book), m_sheet(workbook_add_worksheet(book, name)) {}

    lxw_worksheet* sheet() const { return m_sheet; }

    template <typename F>
    void style(const Area& a, F change)
    {
        for (int r = a.r1; r <= a.r2; ++r)
            for (int c = a.c1; c <= a.c2; ++c)
                change(m_cells[{r, c}].style);
    }
    template <typename F>
    void style(int r, int c, F change) { style(Area{r, c, r, c}, change); }

    void text(int r, int c, const std::string& value) { m_cells[{r, c}].text = value; }
    void number(int r, int c, double value)
    {
        m_cells[{r, c}].number = value;
        m_cells[{r, c}].isNumber = true;
    }
    void merge(const Area& a, const std::string& value = {})
    {
        if (a.r1 != a.r2 || a.c1 != a.c2)   // a single cell is not merged
            m_merges.push_back(a);
        style(a, [](Style&) {});
        text(a.r1, a.c1, value);
    }
    // A merged area and its look, the area named once.
    template <typename F>
    void merge(const Area& a, const std::string& value, F change)
    {
        merge(a, value);
        style(a, change);
    }
    // The outline of an area.
    void box(const Area& a, Edge e)
    {
        for (int c = a.c1; c <= a.c2; ++c) {
            m_cells[{a.r1, c}].style.top = e;
            m_cells[{a.r2, c}].style.bottom = e;
        }
        for (int r = a.r1; r <= a.r2; ++r) {
            m_cells[{r, a.c1}].style.left = e;
            m_cells[{r, a.c2}].style.right = e;
        }
    }
    // Outline and every inner line.
    void grid(const Area& a, Edge e)
    {
        style(a, [e](Style& s) { s.top = s.bottom = s.left = s.right = e; });
    }
    void column(int c, double width) { m_widths[c] = width; }
    void columns(int c1, int c2, double width)
    {
        for (int c = c1; c <= c2; ++c)
            column(c, width);
    }
    void row(int r, double height) { m_heights[r] = height; }

    void write()
    {
        for (const auto& [c, w] : m_widths)
            worksheet_set_column(m_sheet, c - 1, c - 1, w, nullptr);
        for (const auto& [r, h] : m_heights)
            worksheet_set_row(m_sheet, r - 1, h, nullptr);
        std::map<std::pair<int, int>, bool> covered;
        for (const Area& a : m_merges) {
            const Cell& first = m_cells[{a.r1, a.c1}];
            worksheet_merge_range(m_sheet, a.r1 - 1, a.c1 - 1, a.r2 - 1, a.c2 - 1, first.text.c_str(),
                                  format(first.style));
            if (first.isNumber)
                worksheet_write_number(m_sheet, a.r1 - 1, a.c1 - 1, first.number, format(first.style));
            for (int r = a.r1; r <= a.r2; ++r)
                for (int c = a.c1; c <= a.c2; ++c)
                    covered[{r, c}] = !(r == a.r1 && c == a.c1);
        }
        for (const auto& [at, cell] : m_cells) {
            const auto [r, c] = at;
            lxw_format* f = format(cell.style);
            auto m = covered.find(at);
            if (m != covered.end()) {
                if (m->second)   // the rest of a merged range carries its own borders
                    worksheet_write_blank(m_sheet, r - 1, c - 1, f);
                continue;
            }
            if (cell.isNumber)
                worksheet_write_number(m_sheet, r - 1, c - 1, cell.number, f);
            else if (!cell.text.empty())
                worksheet_write_string(m_sheet, r - 1, c - 1, cell.text.c_str(), f);
            else
                worksheet_write_blank(m_sheet, r - 1, c - 1, f);
        }
    }

private:
    struct Cell {
        Style style;
        std::string text;
        double number = 0;
        bool isNumber = false;
    };

    lxw_format* format(const Style& s)
    {
        auto& cached = formats()[s];
        if (cached)
            return cached;
        lxw_format* f = workbook_add_format(m_book);
        format_set_font_name(f, kFont);
        format_set_font_size(f, s.size);
        format_set_font_color(f, s.ink);
        if (s.bold)
            format_set_bold(f);
        if (s.fill != kNoFill) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, s.fill);
        }
        if (s.hAlign != LXW_ALIGN_NONE)
            format_set_align(f, s.hAlign);
        format_set_align(f, s.vAlign);
        if (s.wrap)
            format_set_text_wrap(f);
        if (s.shrink)
            format_set_shrink(f);
        if (!s.numFormat.empty())
            format_set_num_format(f, s.numFormat.c_str());
        auto edge = [&](const Edge& e, void (*setStyle)(lxw_format*, uint8_t),
                        void (*setColor)(lxw_format*, lxw_color_t)) {
            if (e.style == LXW_BORDER_NONE)
                return;
            setStyle(f, e.style);
            setColor(f, e.color);
        };
        edge(s.top, format_set_top, format_set_top_color);
        edge(s.bottom, format_set_bottom, format_set_bottom_color);
        edge(s.left, format_set_left, format_set_left_color);
        edge(s.right, format_set_right, format_set_right_color);
        cached = f;
        return f;
    }
    // Formats belong to the workbook: one cache for all forms.
    static std::map<Style, lxw_format*>& formats()
    {
        static std::map<Style, lxw_format*> cache;
        return cache;
    }

    lxw_workbook* m_book;
    lxw_worksheet* m_sheet;
    std::map<std::pair<int, int>, Cell> m_cells;
    std::vector<Area> m_merges;
    std::map<int, double> m_widths;
    std::map<int, double> m_heights;
};

// Small style helpers.
auto base(double size = 10)
{
    return [size](Style& s) { s.size = size; };
}
auto caption(double size = 9)
{
    return [size](Style& s) {
        s.size = size;
        s.bold = true;
        s.fill = kCaptionFill;
        s.hAlign = LXW_ALIGN_CENTER;
    };
}
auto left(double size = 10)
{
    return [size](Style& s) {
        s.size = size;
        s.hAlign = LXW_ALIGN_LEFT;
    };
}
auto centred(double size = 10)
{
    return [size](Style& s) {
        s.size = size;
        s.hAlign = LXW_ALIGN_CENTER;
    };
}

constexpr std::uint8_t kA4 = 9, kA3 = 8;

// The forms are drawn so that a page fits its paper's width at full size (or
// nearly): fitting to the width then hardly shrinks the print.
void pageSetup(lxw_worksheet* ws, std::uint8_t paper, bool landscape, const Area& printArea, double margin)
{
    worksheet_set_paper(ws, paper);
    if (landscape)
        worksheet_set_landscape(ws);
    else
        worksheet_set_portrait(ws);
    worksheet_set_margins(ws, margin, margin, margin, margin);
    worksheet_center_horizontally(ws);
    worksheet_fit_to_pages(ws, 1, 0);
    worksheet_print_area(ws, printArea.r1 - 1, printArea.c1 - 1, printArea.r2 - 1, printArea.c2 - 1);
    worksheet_gridlines(ws, LXW_HIDE_ALL_GRIDLINES);
}

// ---------------------------------------------------------------------------
// "処理中": what the user sees while a report is written.

void drawProcessing(lxw_workbook* book)
{
    Form f(book, "処理中");
    f.columns(1, 10, 9);
    f.row(2, 40);
    f.merge({2, 1, 2, 10}, "ただいま帳票を作成しています。しばらくお待ちください。", [](Style& s) {
        s.size = 16;
        s.bold = true;
        s.ink = kTitleInk;
        s.hAlign = LXW_ALIGN_CENTER;
    });
    f.merge({4, 1, 4, 10}, "塾管理システム - 楓丸くん -", [](Style& s) {
        s.size = 10;
        s.ink = kNoteInk;
        s.hAlign = LXW_ALIGN_CENTER;
    });
    f.write();
    worksheet_gridlines(f.sheet(), LXW_HIDE_ALL_GRIDLINES);
    worksheet_set_landscape(f.sheet());
    worksheet_fit_to_pages(f.sheet(), 1, 1);
    worksheet_activate(f.sheet());
}

// ---------------------------------------------------------------------------
// Course calendar: one month per page on A3 landscape, weeks from Monday
// (column A) to Sunday (column G). A lesson text takes two lines of its slot.

void drawCalendar(lxw_workbook* book, const char* name)
{
    using namespace layout::calendar;
    Form f(book, name);
    f.columns(1, kLastCol, 28);
    f.style(Area{1, 1, kPageRows, kLastCol}, base(9));

    f.row(1, 13);
    f.style(kDateRow + 1, kDateCol, [](Style& s) {
        s.size = 9;
        s.hAlign = LXW_ALIGN_RIGHT;
    });

    f.row(2, 26);
    f.merge({2, 1, 2, 3}, "講座カレンダー", [](Style& s) {
        s.size = 18;
        s.bold = true;
        s.ink = kTitleInk;
        s.hAlign = LXW_ALIGN_LEFT;
    });
    f.merge({kTitleRow + 1, kTitleCol, kTitleRow + 1, kTitleCol + 1}, {}, [](Style& s) {
        s.size = 18;
        s.bold = true;
        s.ink = kTitleInk;
        s.hAlign = LXW_ALIGN_CENTER;
    });
    f.style(Area{2, 1, 2, kLastCol}, [](Style& s) { s.bottom = kDouble; });

    f.row(3, 6);
    const int capRow = kCaptionRow + 1;
    f.row(capRow, 16);
    f.text(capRow, kCaptionCol - 1, "作成条件");
    f.style(capRow, kCaptionCol - 1, caption(9));
    f.merge({capRow, kCaptionCol, capRow, kLastCol}, {}, [](Style& s) {
        s.size = 9;
        s.hAlign = LXW_ALIGN_LEFT;
        s.shrink = true;
    });
    f.grid({capRow, kCaptionCol - 1, capRow, kCaptionCol - 1}, kThin);
    f.box({capRow, kCaptionCol, capRow, kLastCol}, kThin);
    f.row(5, 6);

    // Weekday headings and day numbers: Saturday blue, Sunday red.
    auto ink = [](int c) { return c == kSaturdayCol ? kSatInk : c == kSundayCol ? kSunInk : kInk; };
    auto fill = [](int c, std::uint32_t weekday) {
        return c == kSaturdayCol ? kSatFill : c == kSundayCol ? kSunFill : weekday;
    };
    const int head = kHeadingRow + 1;
    f.row(head, 15);
    const char* days[kLastCol] = {"月", "火", "水", "木", "金", "土", "日"};
    for (int c = 1; c <= kLastCol; ++c) {
        f.text(head, c, days[c - 1]);
        f.style(head, c, [&](Style& s) {
            s.size = 10;
            s.bold = true;
            s.hAlign = LXW_ALIGN_CENTER;
            s.fill = fill(c, kHeadFill);
            s.ink = ink(c);
        });
    }
    f.grid({head, 1, head, kLastCol}, kThin);
    f.box({head, 1, head, kLastCol}, kMedium);

    // Week rows: a day-number row and six lesson slots per day.
    for (int w = 0; w < kWeeks; ++w) {
        const int dayRow = kFirstWeekRow + kWeekRows * w + 1;
        f.row(dayRow, 12);
        for (int s = 1; s <= kSlots; ++s)
            f.row(dayRow + s, 17);
        for (int c = 1; c <= kLastCol; ++c) {
            f.style(dayRow, c, [&](Style& s) {
                s.size = 9;
                s.bold = true;
                s.fill = fill(c, kDayFill);
                s.ink = ink(c);
                s.hAlign = LXW_ALIGN_LEFT;
                s.bottom = kHair;
            });
            f.style(Area{dayRow + 1, c, dayRow + kSlots, c}, [](Style& s) {
                s.size = 7;
                s.hAlign = LXW_ALIGN_LEFT;
                s.vAlign = LXW_ALIGN_VERTICAL_TOP;
                s.wrap = true;
                s.bottom = kDotted;
            });
            f.box({dayRow, c, dayRow + kSlots, c}, kThin);
        }
    }
    f.box({kFirstWeekRow + 1, 1, kPageRows, kLastCol}, kMedium);

    f.write();
    pageSetup(f.sheet(), kA3, true, {1, 1, kPageRows, kLastCol}, 0.3);
}

// ---------------------------------------------------------------------------
// Daily report: one lesson per page, its details at the top, 25 student rows.
// Columns are as wide as their texts need, so that the page prints nearly at
// full size and no text is shrunk to fit: nothing prints below 7 pt.

void drawNippou(lxw_workbook* book, const char* name)
{
    using namespace layout::nippou;
    Form f(book, name);
    // Row 3 pairs a caption (odd columns) with its value (even columns); the
    // period (D) holds its times, the teacher (L) a full name.
    const double widths[kLastCol] = {7, 10.5, 5, 12.5, 5, 5.5, 6.5, 6.5, 6.5, 6.5, 5, 12, 5, 4, 6.5, 4};
    for (int c = 1; c <= kLastCol; ++c)
        f.column(c, widths[c - 1]);
    f.style(Area{1, 1, kPageRows, kLastCol}, base(10));
    for (int r = 1; r <= kPageRows; ++r)
        f.row(r, 6);   // spacer rows; the rows with content are set below

    f.row(1, 30);
    f.merge({1, 1, 1, kLastCol}, "日　報", [](Style& s) {
        s.size = 20;
        s.bold = true;
        s.ink = kTitleInk;
        s.hAlign = LXW_ALIGN_CENTER;
        s.bottom = kDouble;
    });

    // Row 3: caption and value pairs of the lesson (values in the even columns).
    f.row(3, 26);
    const char* heads[8] = {"講座日", "時限", "学年", "クラス", "科目", "講師", "定員", "受講数"};
    for (int k = 0; k < 8; ++k) {
        f.text(3, 2 * k + 1, heads[k]);
        f.style(3, 2 * k + 1, caption(10));
        f.style(3, 2 * k + 2, [](Style& s) {   // a long value takes a second line
            s.size = 10;
            s.hAlign = LXW_ALIGN_CENTER;
            s.wrap = true;
        });
    }
    f.grid({3, 1, 3, kLastCol}, kThin);
    f.box({3, 1, 3, kLastCol}, kMedium);

    // 単元 (value from column C).
    f.row(5, 24);
    f.merge({5, 1, 5, 2}, "単元", caption(10));
    f.merge({5, 3, 5, kLastCol}, {}, left(10));
    f.box({5, 1, 5, 2}, kThin);
    f.box({5, 3, 5, kLastCol}, kThin);

    // Three text areas with their caption in column A.
    auto textArea = [&](int r1, int r2, const char* title, double height) {
        for (int r = r1; r <= r2; ++r)
            f.row(r, height);
        f.merge({r1, 1, r2, 1}, title, [](Style& s) {
            caption(10)(s);
            s.wrap = true;
        });
        f.merge({r1, 2, r2, kLastCol}, {}, [](Style& s) {
            s.size = 10;
            s.hAlign = LXW_ALIGN_LEFT;
            s.vAlign = LXW_ALIGN_VERTICAL_TOP;
            s.wrap = true;
        });
        f.box({r1, 1, r2, 1}, kThin);
        f.box({r1, 2, r2, kLastCol}, kThin);
    };
    textArea(8, 10, "講座内容", 22);
    textArea(12, 12, "宿題", 24);
    textArea(14, 16, "コメント", 22);

    // The student table: heading row, then 25 numbered rows.
    const int head = kItemRow + 1;
    f.row(head, 24);
    f.merge({head, 1, head, 2}, "No.");
    f.merge({head, 3, head, 4}, "生徒氏名");
    f.text(head, 5, "出席");
    f.text(head, 6, "宿題");
    f.merge({head, 11, head, kLastCol}, "コメント");
    f.style(Area{head, 1, head, kLastCol}, [](Style& s) {
        caption(10)(s);
        s.fill = kHeadFill;
        s.shrink = true;
    });
    f.grid({head, 1, head, kLastCol}, kThin);
    for (int j = 0; j < kStudentsPerPage; ++j) {
        const int r = kFirstStudentRow + j + 1;
        f.row(r, 25);
        f.merge({r, 1, r, 2});
        f.number(r, 1, j + 1);
        f.style(Area{r, 1, r, 2}, [](Style& s) {
            s.size = 10;
            s.ink = kNoteInk;
            s.hAlign = LXW_ALIGN_CENTER;
        });
        f.merge({r, 3, r, 4}, {}, [](Style& s) {
            s.size = 10;
            s.hAlign = LXW_ALIGN_LEFT;
            s.shrink = true;
        });
        f.style(Area{r, 5, r, 10}, centred(10));
        f.merge({r, 11, r, kLastCol}, {}, [](Style& s) {
            s.size = 10;
            s.hAlign = LXW_ALIGN_LEFT;
            s.wrap = true;
        });
        f.grid({r, 1, r, kLastCol}, kThin);
        if (j % 5 == 4)   // a firmer line every five students, for reading across
            f.style(Area{r, 1, r, kLastCol}, [](Style& s) { s.bottom = kMedium; });
    }
    f.box({head, 1, kPageRows, kLastCol}, kMedium);

    f.write();
    pageSetup(f.sheet(), kA4, false, {1, 1, kPageRows, kLastCol}, 0.4);
}

// ---------------------------------------------------------------------------
// Student analysis sheet: one block per student and course, A..U printed; the
// lesson data behind the trend chart lies from column W on.

void drawAnalysis(lxw_workbook* book, const char* name)
{
    using namespace layout::analysis;
    Form f(book, name);
    const int last = kLastPrintedCol;
    // Narrow enough for A4 at full size: the comment box prints at its font size.
    f.column(1, 8.5);
    f.column(2, 8);
    f.column(3, 6);
    f.column(4, 8);
    f.column(5, 7.5);
    f.column(6, 4.5);
    f.column(7, 3);
    f.columns(8, last, 2.5);
    f.column(22, 2);
    f.column(kDataCaptionCol, 10);
    f.style(Area{1, 1, kBlockRows, last}, base(10));

    // A block fits the height of an A4 page at full size.
    const double heights[kBlockRows] = {
        26, 8, 26, 6, 6, 24, 10,                     // title, name, course line
        17, 17, 17, 17, 17, 17, 17, 17, 17, 17, 17, 17, 17,   // summary table and chart
        22, 22, 22, 22, 22, 22, 22, 22, 22, 22, 22,  // trend caption and chart
        10, 22, 20, 20, 20, 20, 20, 20, 20, 20, 12}; // comment caption and box
    for (int r = 1; r <= kBlockRows; ++r)
        f.row(r, heights[r - 1]);

    f.merge({1, 1, 1, last}, "生徒分析シート", [](Style& s) {
        s.size = 20;
        s.bold = true;
        s.ink = kTitleInk;
        s.hAlign = LXW_ALIGN_CENTER;
        s.bottom = kDouble;
    });

    // Name (B3) and course line (B6, D6, F6).
    f.text(3, 1, "生徒氏名");
    f.style(3, 1, caption(9));
    f.merge({3, 2, 3, 4}, {}, [](Style& s) {
        s.size = 14;
        s.bold = true;
        s.hAlign = LXW_ALIGN_LEFT;
    });
    f.grid({3, 1, 3, 1}, kThin);
    f.box({3, 2, 3, 4}, kThin);

    f.text(6, 1, "クラス");
    f.text(6, 3, "科目");
    f.text(6, 5, "受講回数");
    for (int c : {1, 3, 5})
        f.style(6, c, caption(9));
    for (int c : {2, 4})
        f.style(6, c, [](Style& s) {
            s.size = 10;
            s.hAlign = LXW_ALIGN_LEFT;
            s.shrink = true;
        });
    f.style(6, 6, [](Style& s) {
        s.size = 11;
        s.bold = true;
        s.hAlign = LXW_ALIGN_RIGHT;
        s.numFormat = "0";
    });
    f.grid({6, 1, 6, 6}, kThin);
    f.text(6, 7, "回");
    f.style(6, 7, left(9));

    // Summary table B8:C13 (the summary chart reads it) with its caption in A.
    const int s1 = kSummaryFirstRow + 1, s2 = kSummaryLastRow + 1;
    f.merge({s1, 1, s2, 1}, "評価の平均", [](Style& s) {
        caption(9)(s);
        s.wrap = true;
    });
    f.text(s1, kSummaryLabelCol, "評価項目");
    f.text(s1, kSummaryValueCol, "平均");
    f.style(Area{s1, kSummaryLabelCol, s1, kSummaryValueCol}, [](Style& s) {
        caption(9)(s);
        s.fill = kHeadFill;
    });
    f.text(kSummaryMeanRow + 1, kSummaryLabelCol, "総合");
    f.style(Area{s1 + 1, kSummaryLabelCol, s2, kSummaryLabelCol}, left(10));
    f.style(kSummaryMeanRow + 1, kSummaryLabelCol, [](Style& s) { s.bold = true; });
    f.style(Area{s1 + 1, kSummaryValueCol, s2, kSummaryValueCol}, [](Style& s) {
        s.size = 10;
        s.hAlign = LXW_ALIGN_RIGHT;
        s.numFormat = "0.0";
    });
    f.grid({s1, 1, s2, kSummaryValueCol}, kThin);
    f.box({s1, 1, s2, kSummaryValueCol}, kMedium);
    f.merge({s2 + 2, 1, kSummaryChartLastRow + 1, kSummaryValueCol},
            "評価は1～5の5段階です。平均はこの講座で付いた評価から求めています。"
            "右のグラフは評価の平均、下のグラフは講座ごとの評価と出席（出席=1）です。");
    f.style(Area{s2 + 2, 1, kSummaryChartLastRow + 1, kSummaryValueCol}, [](Style& s) {
        s.size = 8;
        s.ink = kNoteInk;
        s.hAlign = LXW_ALIGN_LEFT;
        s.vAlign = LXW_ALIGN_VERTICAL_TOP;
        s.wrap = true;
    });

    // Frames of the two charts.
    f.box({kSummaryChartFirstRow + 1, kSummaryChartFirstCol, kSummaryChartLastRow + 1, kSummaryChartLastCol},
          kHair);
    const int t1 = kTrendChartFirstRow + 1;
    f.merge({t1 - 1, 1, t1 - 1, last}, "受講の推移（評価と出席）", [](Style& s) {
        caption(10)(s);
        s.hAlign = LXW_ALIGN_LEFT;
    });
    f.box({t1 - 1, 1, t1 - 1, last}, kThin);
    f.box({t1, kTrendChartFirstCol, kTrendChartLastRow + 1, kTrendChartLastCol}, kHair);

    // The comment box: its caption, then the merged, wrapping range.
    const int cb1 = kCommentFirstRow + 1, cb2 = kCommentLastRow + 1;
    f.merge({cb1 - 1, 1, cb1 - 1, last}, "講師からのコメント", [](Style& s) {
        caption(10)(s);
        s.hAlign = LXW_ALIGN_LEFT;
    });
    f.box({cb1 - 1, 1, cb1 - 1, last}, kThin);
    f.merge({cb1, kCommentFirstCol, cb2, kCommentLastCol}, {}, [](Style& s) {
        s.size = 9;
        s.hAlign = LXW_ALIGN_LEFT;
        s.vAlign = LXW_ALIGN_VERTICAL_TOP;
        s.wrap = true;
    });
    f.box({cb1, kCommentFirstCol, cb2, kCommentLastCol}, kThin);

    // Captions of the lesson data (not printed); W1 is filled so that the data
    // row can be followed to its last lesson from there.
    const char* dataCaps[8] = {"講座日", "", "", "", "", "出席", "宿題", "コメント"};
    for (int r = 0; r < 8; ++r) {
        if (*dataCaps[r])
            f.text(r + 1, kDataCaptionCol, dataCaps[r]);
        f.style(r + 1, kDataCaptionCol, [](Style& s) {
            s.size = 9;
            s.bold = true;
            s.fill = kCaptionFill;
            s.hAlign = LXW_ALIGN_LEFT;
        });
    }
    f.grid({1, kDataCaptionCol, 8, kDataCaptionCol}, kThin);

    f.write();
    pageSetup(f.sheet(), kA4, false, {1, 1, kBlockRows, last}, 0.4);
}


// ---------------------------------------------------------------------------
// Monthly report for parents: one student per A4 portrait page. The columns
// leave room on the paper, so that the page prints at full size even where the
// spreadsheet measures columns by a wider font than the workbook's own; no text
// is smaller than 10 pt. A lesson takes two rows: its facts, and its comment
// across the page under them.

void drawMonthly(lxw_workbook* book, const char* name)
{
    using namespace layout::monthly;
    Form f(book, name);
    const int L = kLastCol;
    for (int c = 1; c <= L; ++c)
        f.column(c, kColumnWidths[c - 1]);
    f.column(kDataCaptionCol, 10);
    f.style(Area{1, 1, kPageRows, L}, base(10));
    const int top = 1;
    for (int r = 0; r < kFirstLessonRow; ++r)
        f.row(top + r, kTopRowHeights[r]);
    // The lesson rows share kLessonTablePt: facts 12 pt, comments the rest.
    for (int i = 0; i < kLessonRows; ++i) {
        f.row(top + kFirstLessonRow + 2 * i, 12);
        f.row(top + kFirstLessonRow + 2 * i + 1, kLessonTablePt / kLessonRows - 12);
    }
    for (int r = kFiguresHeadRow - 2; r < kPageRows; ++r)
        f.row(top + r, kLowerRowHeights[r - kFiguresHeadRow + 2]);

    // The school's name: the office types it here once; every page takes it from here.
    f.merge({top + kSchoolRow, kSchoolCol, top + kSchoolRow, kMadeCol - 1}, "○○学習塾", [](Style& s) {
        s.size = 12;
        s.bold = true;
        s.hAlign = LXW_ALIGN_LEFT;
    });
    f.merge({top + kMadeRow, kMadeCol, top + kMadeRow, L}, {}, [](Style& s) {
        s.size = 10;
        s.hAlign = LXW_ALIGN_RIGHT;
    });
    f.merge({top + 1, 1, top + 1, L}, "月間報告書", [](Style& s) {
        s.size = 18;
        s.bold = true;
        s.ink = kTitleInk;
        s.hAlign = LXW_ALIGN_CENTER;
        s.bottom = kDouble;
    });
    f.merge({top + kMonthRow, kMonthCol, top + kMonthRow, L}, {}, [](Style& s) {
        s.size = 13;
        s.bold = true;
        s.ink = kTitleInk;
        s.hAlign = LXW_ALIGN_CENTER;
    });

    // The guardian the report is addressed to, filled in by the report.
    f.merge({top + kGuardianRow, kGuardianCol, top + kGuardianRow, L}, {}, [](Style& s) {
        s.size = 12;
        s.hAlign = LXW_ALIGN_LEFT;
    });

    // Student: 生徒番号, 学年 and 氏名 with their captions.
    const int st = top + kStudentRow;
    f.merge({st, 1, st, kNumberCol - 1}, "生徒番号");
    f.text(st, kGradeCaptionCol, "学年");
    f.merge({st, kNameCaptionCol, st, kNameCol - 1}, "氏名");
    f.merge({st, kNameCol, st, L});
    f.style(Area{st, 1, st, kNumberCol - 1}, caption(10));
    f.style(st, kGradeCaptionCol, caption(10));
    f.style(Area{st, kNameCaptionCol, st, kNameCol - 1}, caption(10));
    f.style(st, kNumberCol, centred(11));
    f.style(st, kGradeCol, centred(11));
    f.style(Area{st, kNameCol, st, L}, [](Style& s) {
        s.size = 13;
        s.bold = true;
        s.shrink = true;
        s.hAlign = LXW_ALIGN_LEFT;
    });
    f.grid({st, 1, st, L}, kThin);
    f.box({st, 1, st, L}, kMedium);

    auto section = [&](int r, const char* title) {
        f.merge({r, 1, r, L}, title, [](Style& s) {
            caption(10)(s);
            s.hAlign = LXW_ALIGN_LEFT;
        });
        f.box({r, 1, r, L}, kThin);
    };

    // The lesson table: headings, then for each lesson its facts and its comment.
    section(top + kHeadRow - 1, "今月の授業");
    const int head = top + kHeadRow;
    const char* heads[kLastCol] = {"日付", "曜日", "時限", "科目", "クラス", "出欠", "宿題", "", "", "", ""};
    for (int c = 1; c <= L; ++c)
        f.text(head, c, heads[c - 1]);
    f.style(Area{head, 1, head, L}, [](Style& s) {
        caption(10)(s);
        s.fill = kHeadFill;
    });
    f.grid({head, 1, head, L}, kThin);
    for (int i = 0; i < kLessonRows; ++i) {
        const int facts = top + kFirstLessonRow + 2 * i, comment = facts + 1;
        f.style(Area{facts, 1, facts, L}, [](Style& s) {
            s.size = kLessonFontPt;
            s.hAlign = LXW_ALIGN_CENTER;
            s.wrap = true;
            s.left = s.right = kHair;
            s.top = kThin;
        });
        f.merge({comment, 1, comment, L}, {}, [](Style& s) {
            s.size = kLessonFontPt;
            s.hAlign = LXW_ALIGN_LEFT;
            s.vAlign = LXW_ALIGN_VERTICAL_TOP;
            s.wrap = true;
        });
    }
    const int lastLesson = top + kFirstLessonRow + 2 * kLessonRows - 1;
    f.box({head, 1, lastLesson, L}, kMedium);
    // The table's last row may be hidden: the row under it draws the closing line.
    f.style(Area{lastLesson + 1, 1, lastLesson + 1, L}, [](Style& s) { s.top = kMedium; });

    // The month's figures and item means on the left, the chart on the right.
    section(top + kFiguresHeadRow - 1, "今月のまとめ");
    const int rateEnd = kRateCol + 1;
    auto figure = [&](int r, const char* label) {
        f.merge({r, 1, r, kCountCol - 1}, label);
        f.merge({r, kRateCol, r, rateEnd});
        f.style(Area{r, 1, r, kCountCol - 1}, caption(10));
        f.style(r, kCountCol, [](Style& s) {
            s.size = 11;
            s.hAlign = LXW_ALIGN_CENTER;
            s.numFormat = "0\"回\"";
        });
        f.style(Area{r, kRateCol, r, rateEnd}, [](Style& s) {
            s.size = 11;
            s.hAlign = LXW_ALIGN_CENTER;
            s.numFormat = "0%";
        });
        f.grid({r, 1, r, rateEnd}, kThin);
    };
    const int fh = top + kFiguresHeadRow;
    f.merge({fh, 1, fh, kCountCol - 1});
    f.text(fh, kCountCol, "回数");
    f.merge({fh, kRateCol, fh, rateEnd}, "割合");
    f.style(Area{fh, 1, fh, rateEnd}, [](Style& s) {
        caption(10)(s);
        s.fill = kHeadFill;
    });
    f.grid({fh, 1, fh, rateEnd}, kThin);
    figure(top + kHeldRow, "授業数");
    figure(top + kAttendedRow, "出席");
    figure(top + kHomeworkRow, "宿題提出");
    f.box({fh, 1, top + kHomeworkRow, rateEnd}, kMedium);

    const int mh = top + kMeansHeadRow;
    f.merge({mh, 1, mh, kMeanCol - 1}, "評価の平均");
    f.text(mh, kArrowCol, "変化");
    f.style(Area{mh, 1, mh, kArrowCol}, [](Style& s) {
        caption(10)(s);
        s.fill = kHeadFill;
    });
    const int m1 = top + kFirstMeanRow, m2 = m1 + 3;
    for (int r = m1; r <= m2; ++r)
        f.merge({r, 1, r, kMeanCol - 1});
    f.style(Area{m1, 1, m2, kMeanCol - 1}, left(10));
    f.style(Area{m1, kMeanCol, m2, kLastMeanCol}, [](Style& s) {
        s.size = 11;
        s.hAlign = LXW_ALIGN_CENTER;
        s.numFormat = "0.0";
    });
    f.style(Area{m1, kArrowCol, m2, kArrowCol}, [](Style& s) {
        s.size = 12;
        s.bold = true;
        s.hAlign = LXW_ALIGN_CENTER;
    });
    f.grid({mh, 1, m2, kArrowCol}, kThin);
    f.box({mh, 1, m2, kArrowCol}, kMedium);
    f.box({top + kChartFirstRow, kChartFirstCol, top + kChartLastRow, kChartLastCol}, kHair);

    // 講師より: an empty framed box for the teacher's words.
    section(top + kTeacherFirstRow - 1, "講師より");
    f.merge({top + kTeacherFirstRow, 1, top + kTeacherLastRow, L}, {}, [](Style& s) {
        s.size = 11;
        s.hAlign = LXW_ALIGN_LEFT;
        s.vAlign = LXW_ALIGN_VERTICAL_TOP;
        s.wrap = true;
    });
    f.box({top + kTeacherFirstRow, 1, top + kTeacherLastRow, L}, kMedium);

    // Caption of the chart's data (not printed).
    f.text(top + kChartDataRow, kDataCaptionCol, "月");
    f.style(top + kChartDataRow, kDataCaptionCol, caption(10));

    f.write();
    pageSetup(f.sheet(), kA4, false, {1, 1, kPageRows, L}, 0.4);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kaedemaru-maketemplate PATH\n");
        return 2;
    }
    lxw_workbook* book = workbook_new(argv[1]);
    if (!book) {
        std::fprintf(stderr, "kaedemaru-maketemplate: cannot create %s\n", argv[1]);
        return 1;
    }
    lxw_doc_properties props{};
    props.title = const_cast<char*>("塾管理楓丸くん 帳票テンプレート");
    props.comments = const_cast<char*>("日報・生徒分析シート・月間報告書・講座カレンダーの様式");
    workbook_set_properties(book, &props);

    drawProcessing(book);
    drawCalendar(book, "講座カレンダー");
    drawCalendar(book, "講座カレンダー雛型");
    drawNippou(book, "日報");
    drawNippou(book, "日報雛型");
    drawAnalysis(book, "生徒分析シート");
    drawAnalysis(book, "生徒分析シート雛型");
    drawMonthly(book, "月間報告書");
    drawMonthly(book, "月間報告書雛型");

    const lxw_error rc = workbook_close(book);
    if (rc != LXW_NO_ERROR) {
        std::fprintf(stderr, "kaedemaru-maketemplate: %s\n", lxw_strerror(rc));
        return 1;
    }
    return 0;
}

#include "MonthlyPdf.h"

#include "ExcelOut.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <thread>
#include <vector>

namespace MonthlyPdf {

namespace {

using namespace layout::monthly;

// The form's palette and lines, as the template draws them.
const QColor kInk(0x00, 0x00, 0x00);
const QColor kLine(0x40, 0x40, 0x40);
const QColor kSoftLine(0xA6, 0xA6, 0xA6);
const QColor kCaptionFill(0xDC, 0xE6, 0xF1);
const QColor kHeadFill(0xB8, 0xCC, 0xE4);
const QColor kTitleInk(0x17, 0x36, 0x5D);
// The series of the chart, one colour per evaluation item.
const std::array<QColor, 4> kSeries{QColor(0x44, 0x72, 0xC4), QColor(0xED, 0x7D, 0x31), QColor(0x70, 0xAD, 0x47),
                                    QColor(0xFF, 0xC0, 0x00)};
constexpr double kThin = 0.5, kMedium = 1.2, kHair = 0.4;
constexpr double kLineHeightPt = kLessonFontPt * 1.28;
constexpr double kPadPt = 3;   // a cell's text keeps this far from its left and right edges

const QString kNone = QStringLiteral("—");

// Points of a column width in pixels.
double pt(int px)
{
    return px * 0.75;
}

// One page of the form painted in points from the page's top-left corner: the
// painter is scaled so that the form fills the printable width or height.
class PagePainter {
public:
    PagePainter(QPainter& painter, const monthly::Report& report) : m_p(painter), m_r(report)
    {
        double x = 0;
        m_x[1] = 0;
        for (int c = 1; c <= kLastCol; ++c) {
            x += pt(report.widths[static_cast<std::size_t>(c)]);
            m_x[static_cast<std::size_t>(c) + 1] = x;
        }
        double y = 0;
        for (int r = 0; r < kFirstLessonRow; ++r) {
            m_top[static_cast<std::size_t>(r)] = y;
            y += kTopRowHeights[r];
        }
        m_tableTop = y;
        m_lowerTop = y + kLessonTablePt;
        y = m_lowerTop;
        for (int r = 0; r < kPageRows - kFirstLessonRow - 2 * kLessonRows; ++r) {
            m_lower[static_cast<std::size_t>(r)] = y;
            y += kLowerRowHeights[r];
        }
        m_height = y;
    }

    double width() const { return m_x[kLastCol + 1]; }
    double height() const { return m_height; }

    void paint(const monthly::Student& s, int page)
    {
        header(s, page);
        lessons(s, s.pages[static_cast<std::size_t>(page)]);
        figures(s);
        chart(s);
        section(kTeacherFirstRow - 1, QStringLiteral("講師より"));
        const QRectF teacher = rowsRect(kTeacherFirstRow, kTeacherLastRow, 1, kLastCol);
        frame(teacher, kMedium);
    }

private:
    // --- geometry of the fixed rows (offsets 0..7 and 48..67)
    double rowTop(int row) const
    {
        return row < kFirstLessonRow ? m_top[static_cast<std::size_t>(row)]
                                     : m_lower[static_cast<std::size_t>(row - kFirstLessonRow - 2 * kLessonRows)];
    }
    double rowHeight(int row) const
    {
        return row < kFirstLessonRow ? kTopRowHeights[row] : kLowerRowHeights[row - kFirstLessonRow - 2 * kLessonRows];
    }
    QRectF rowsRect(int firstRow, int lastRow, int firstCol, int lastCol) const
    {
        const double top = rowTop(firstRow);
        return QRectF(QPointF(m_x[static_cast<std::size_t>(firstCol)], top),
                      QPointF(m_x[static_cast<std::size_t>(lastCol) + 1], rowTop(lastRow) + rowHeight(lastRow)));
    }
    QRectF cell(int row, int firstCol, int lastCol) const { return rowsRect(row, row, firstCol, lastCol); }
    QRectF cols(double top, double height, int firstCol, int lastCol) const
    {
        return QRectF(m_x[static_cast<std::size_t>(firstCol)], top,
                      m_x[static_cast<std::size_t>(lastCol) + 1] - m_x[static_cast<std::size_t>(firstCol)], height);
    }

    // --- drawing
    // The font of a size, made once per painter: looking a font up costs more than drawing with it.
    void setFont(double size, bool bold = false)
    {
        const std::pair key{size, bold};
        auto it = m_fonts.find(key);
        if (it == m_fonts.end()) {
            QFont font(kFontFamily);
            font.setStyleHint(QFont::TypeWriter);
            // Outlines as drawn, not fitted to a screen's pixels.
            font.setHintingPreference(QFont::PreferNoHinting);
            // The painter is scaled to points; the font is given in the device's points.
            font.setPointSizeF(size * m_fontScale);
            font.setBold(bold);
            it = m_fonts.emplace(key, std::pair{font, QFontMetricsF(font)}).first;
        }
        m_p.setFont(it->second.first);
        m_metrics = &it->second.second;
    }
    // A text in a rectangle, shrunk down to 9 pt (never below) when it is wider.
    void text(const QRectF& r, const QString& t, Qt::Alignment align, double size, bool bold = false,
              const QColor& ink = kInk)
    {
        if (t.isEmpty())
            return;
        setFont(size, bold);
        const double room = r.width() - 2 * kPadPt;
        const double wide = m_metrics->horizontalAdvance(t) / m_fontScale;
        if (wide > room && size > 9)
            setFont(std::max(9.0, size * room / wide), bold);
        m_p.setPen(ink);
        m_p.drawText(r.adjusted(kPadPt, 0, -kPadPt, 0), static_cast<int>(align | Qt::TextDontClip), t);
    }
    // Lines already wrapped, from the top of a rectangle (or centred in it).
    void lines(const QRectF& r, const QStringList& ls, Qt::Alignment align, bool centred)
    {
        setFont(kLessonFontPt);
        m_p.setPen(kInk);
        double y = centred ? r.center().y() - ls.size() * kLineHeightPt / 2 : r.top() + 2;
        for (const QString& l : ls) {
            m_p.drawText(QRectF(r.left() + kPadPt, y, r.width() - 2 * kPadPt, kLineHeightPt),
                         static_cast<int>(align | Qt::AlignVCenter | Qt::TextDontClip), l);
            y += kLineHeightPt;
        }
    }
    void fill(const QRectF& r, const QColor& c) { m_p.fillRect(r, c); }
    void frame(const QRectF& r, double w, const QColor& c = kLine)
    {
        m_p.setPen(QPen(c, w));
        m_p.setBrush(Qt::NoBrush);
        m_p.drawRect(r);
    }
    void hline(double x1, double x2, double y, double w, const QColor& c = kLine)
    {
        m_p.setPen(QPen(c, w));
        m_p.drawLine(QPointF(x1, y), QPointF(x2, y));
    }
    void vline(double x, double y1, double y2, double w, const QColor& c = kLine)
    {
        m_p.setPen(QPen(c, w));
        m_p.drawLine(QPointF(x, y1), QPointF(x, y2));
    }
    // A captioned cell: filled, framed, its caption centred.
    void captionCell(const QRectF& r, const QString& t, const QColor& fillColour = kCaptionFill)
    {
        fill(r, fillColour);
        frame(r, kThin);
        text(r, t, Qt::AlignCenter, 10, true);
    }
    void section(int row, const QString& title)
    {
        const QRectF r = cell(row, 1, kLastCol);
        fill(r, kCaptionFill);
        frame(r, kThin);
        text(r, title, Qt::AlignLeft | Qt::AlignVCenter, 10, true);
    }

    // --- the parts of the page
    void header(const monthly::Student& s, int page)
    {
        text(cell(kSchoolRow, kSchoolCol, kMadeCol - 1), m_r.school, Qt::AlignLeft | Qt::AlignVCenter, 12, true);
        text(cell(kMadeRow, kMadeCol, kLastCol), m_r.madeText(page, static_cast<int>(s.pages.size())),
             Qt::AlignRight | Qt::AlignVCenter, 10);
        const QRectF title = cell(1, 1, kLastCol);
        text(title, QStringLiteral("月間報告書"), Qt::AlignCenter, 18, true, kTitleInk);
        hline(title.left(), title.right(), title.bottom() - 1.5, kThin, kTitleInk);
        hline(title.left(), title.right(), title.bottom(), kThin, kTitleInk);
        text(cell(kMonthRow, kMonthCol, kLastCol), m_r.title(), Qt::AlignCenter, 13, true, kTitleInk);
        text(cell(kGuardianRow, kGuardianCol, kLastCol), s.addressee, Qt::AlignLeft | Qt::AlignVCenter, 12);

        captionCell(cell(kStudentRow, 1, kNumberCol - 1), QStringLiteral("生徒番号"));
        captionCell(cell(kStudentRow, kGradeCaptionCol, kGradeCaptionCol), QStringLiteral("学年"));
        captionCell(cell(kStudentRow, kNameCaptionCol, kNameCol - 1), QStringLiteral("氏名"));
        const QRectF number = cell(kStudentRow, kNumberCol, kNumberCol);
        const QRectF grade = cell(kStudentRow, kGradeCol, kGradeCol);
        const QRectF name = cell(kStudentRow, kNameCol, kLastCol);
        for (const QRectF& r : {number, grade, name})
            frame(r, kThin);
        text(number, QString::number(s.number), Qt::AlignCenter, 11);
        text(grade, s.grade, Qt::AlignCenter, 11);
        text(name, s.name, Qt::AlignLeft | Qt::AlignVCenter, 13, true);
        frame(cell(kStudentRow, 1, kLastCol), kMedium);
    }

    void lessons(const monthly::Student& s, const monthly::Page& page)
    {
        section(kHeadRow - 1, QStringLiteral("今月の授業"));
        static const std::array<QString, kFirstMarkCol - 1> heads{
            QStringLiteral("日付"), QStringLiteral("曜日"), QStringLiteral("時限"), QStringLiteral("科目"),
            QStringLiteral("クラス"), QStringLiteral("出欠"), QStringLiteral("宿題")};
        for (int c = 1; c <= kLastCol; ++c) {
            if (m_r.widths[static_cast<std::size_t>(c)] == 0)
                continue;
            const QString head = c < kFirstMarkCol ? heads[static_cast<std::size_t>(c) - 1]
                                                   : m_r.items[static_cast<std::size_t>(c - kFirstMarkCol)];
            captionCell(cell(kHeadRow, c, c), head, kHeadFill);
        }
        double y = m_tableTop;
        const auto ruledRow = [&](double height) {
            hline(m_x[1], width(), y, kThin);
            for (int c = 2; c <= kLastCol; ++c)
                if (m_r.widths[static_cast<std::size_t>(c)] > 0)
                    vline(m_x[static_cast<std::size_t>(c)], y, y + height, kHair, kSoftLine);
        };
        if (page.pieces.empty()) {
            hline(m_x[1], width(), y, kThin);
            text(cols(y, kLessonRowPt, 1, kLastCol), QStringLiteral("この月の授業はありません。"), Qt::AlignCenter,
                 kLessonFontPt);
            y += kLessonRowPt;
        }
        for (const monthly::Piece& piece : page.pieces) {
            if (piece.facts) {
                const monthly::Lesson& l = s.lessons[static_cast<std::size_t>(piece.lesson)];
                ruledRow(l.factsPt);
                for (int c = 1; c <= kLastCol; ++c) {
                    const int px = m_r.widths[static_cast<std::size_t>(c)];
                    const QString value = monthly::funcLessonCell(m_r, l, c);
                    if (px == 0)
                        continue;
                    // The row is as tall as the period, subject and class need wrapped.
                    if (c == kPeriodCol || c == kSubjectCol || c == kClassCol)
                        lines(cols(y, l.factsPt, c, c), monthly::funcWrapLines(value, px), Qt::AlignHCenter, true);
                    else
                        text(cols(y, l.factsPt, c, c), value, Qt::AlignCenter, kLessonFontPt);
                }
                y += l.factsPt;
            }
            if (piece.commentPt > 0) {
                hline(m_x[1], width(), y, kHair, kSoftLine);
                lines(cols(y, piece.commentPt, 1, kLastCol), monthly::funcWrapLines(piece.comment, m_r.widthPx(1, kLastCol)),
                      Qt::AlignLeft, false);
                y += piece.commentPt;
            }
        }
        for (const double height : page.spareRowsPt) {
            ruledRow(height);
            y += height;
        }
        frame(QRectF(QPointF(m_x[1], rowTop(kHeadRow)), QPointF(width(), m_lowerTop)), kMedium);
    }

    void figures(const monthly::Student& s)
    {
        section(kFiguresHeadRow - 1, QStringLiteral("今月のまとめ"));
        const int rateEnd = kRateCol + 1;
        const auto count = [](int n) { return QStringLiteral("%1回").arg(n); };
        const auto rate = [](std::optional<double> r) {
            return r ? QStringLiteral("%1%").arg(std::lround(*r * 100)) : kNone;
        };
        fill(cell(kFiguresHeadRow, 1, rateEnd), kHeadFill);
        captionCell(cell(kFiguresHeadRow, 1, kCountCol - 1), QString(), kHeadFill);
        captionCell(cell(kFiguresHeadRow, kCountCol, kCountCol), QStringLiteral("回数"), kHeadFill);
        captionCell(cell(kFiguresHeadRow, kRateCol, rateEnd), QStringLiteral("割合"), kHeadFill);
        const struct {
            int row;
            QString label, count, rate;
        } rows[] = {{kHeldRow, QStringLiteral("授業数"), count(s.held()), QString()},
                    {kAttendedRow, QStringLiteral("出席"), count(s.attended), rate(s.attendedRate())},
                    {kHomeworkRow, QStringLiteral("宿題提出"), count(s.homework), rate(s.homeworkRate())}};
        for (const auto& r : rows) {
            captionCell(cell(r.row, 1, kCountCol - 1), r.label);
            valueCell(cell(r.row, kCountCol, kCountCol), r.count, 11);
            valueCell(cell(r.row, kRateCol, rateEnd), r.rate.isNull() ? kNone : r.rate, 11);
        }
        frame(rowsRect(kFiguresHeadRow, kHomeworkRow, 1, rateEnd), kMedium);

        const auto mean = [](std::optional<double> v) { return v ? QString::number(*v, 'f', 1) : kNone; };
        captionCell(cell(kMeansHeadRow, 1, kMeanCol - 1), QStringLiteral("評価の平均"), kHeadFill);
        captionCell(cell(kMeansHeadRow, kMeanCol, kMeanCol), m_r.chartMonths[kChartMonths - 1], kHeadFill);
        captionCell(cell(kMeansHeadRow, kLastMeanCol, kLastMeanCol), m_r.chartMonths[kChartMonths - 2], kHeadFill);
        captionCell(cell(kMeansHeadRow, kArrowCol, kArrowCol), QStringLiteral("変化"), kHeadFill);
        int row = kFirstMeanRow;
        for (const int k : m_r.named) {
            const std::optional<double> now = s.thisMonth().item(k), before = s.lastMonth().item(k);
            const QRectF label = cell(row, 1, kMeanCol - 1);
            frame(label, kThin);
            text(label, m_r.items[static_cast<std::size_t>(k)], Qt::AlignLeft | Qt::AlignVCenter, 10);
            valueCell(cell(row, kMeanCol, kMeanCol), mean(now), 11);
            valueCell(cell(row, kLastMeanCol, kLastMeanCol), mean(before), 11);
            const QRectF arrow = cell(row, kArrowCol, kArrowCol);
            frame(arrow, kThin);
            text(arrow, monthly::funcMeanArrow(now, before), Qt::AlignCenter, 12, true);
            ++row;
        }
        frame(rowsRect(kMeansHeadRow, std::max(row - 1, kMeansHeadRow), 1, kArrowCol), kMedium);
    }
    void valueCell(const QRectF& r, const QString& t, double size)
    {
        frame(r, kThin);
        text(r, t, Qt::AlignCenter, size);
    }

    // The six months' means as lines over the months, marks 0 to 5; a month
    // without a mark is a gap in its line.
    void chart(const monthly::Student& s)
    {
        const QRectF area = rowsRect(kChartFirstRow, kChartLastRow, kChartFirstCol, kChartLastCol);
        frame(area, kHair, kSoftLine);
        if (m_r.named.empty())
            return;
        text(QRectF(area.left(), area.top() + 2, area.width(), 14), QStringLiteral("評価の推移"), Qt::AlignCenter, 10, true);
        // The legend under the plot, one entry per item.
        const double legendY = area.bottom() - 12;
        const double entry = area.width() / static_cast<double>(m_r.named.size());
        for (std::size_t j = 0; j < m_r.named.size(); ++j) {
            const double x = area.left() + entry * static_cast<double>(j);
            hline(x + 4, x + 16, legendY + 6, 1.5, kSeries[j]);
            text(QRectF(x + 16, legendY, entry - 16, 12), m_r.items[static_cast<std::size_t>(m_r.named[j])],
                 Qt::AlignLeft | Qt::AlignVCenter, 9);
        }
        const QRectF plot(area.left() + 22, area.top() + 20, area.width() - 30, legendY - area.top() - 34);
        for (int v = 0; v <= 5; ++v) {
            const double y = plot.bottom() - plot.height() * v / 5.0;
            hline(plot.left(), plot.right(), y, v == 0 ? kThin : kHair, v == 0 ? kLine : kSoftLine);
            text(QRectF(area.left(), y - 6, 22, 12), QString::number(v), Qt::AlignRight | Qt::AlignVCenter, 9);
        }
        const double step = plot.width() / kChartMonths;
        const auto xOf = [&](int i) { return plot.left() + step * (i + 0.5); };
        for (int i = 0; i < kChartMonths; ++i)
            text(QRectF(xOf(i) - step / 2, plot.bottom() + 1, step, 12), m_r.chartMonths[static_cast<std::size_t>(i)],
                 Qt::AlignCenter, 9);
        for (std::size_t j = 0; j < m_r.named.size(); ++j) {
            m_p.setPen(QPen(kSeries[j], 1.5));
            m_p.setBrush(kSeries[j]);
            std::optional<QPointF> last;
            for (int i = 0; i < kChartMonths; ++i) {
                const std::optional<double> v = s.means[static_cast<std::size_t>(i)].item(m_r.named[j]);
                if (!v) {
                    last.reset();
                    continue;
                }
                const QPointF point(xOf(i), plot.bottom() - plot.height() * *v / 5.0);
                if (last)
                    m_p.drawLine(*last, point);
                m_p.drawEllipse(point, 2.2, 2.2);
                last = point;
            }
        }
        m_p.setBrush(Qt::NoBrush);
    }

public:
    double m_fontScale = 1;   // device points per painter point of a font

private:
    QPainter& m_p;
    const monthly::Report& m_r;
    std::array<double, kLastCol + 2> m_x{};                  // left edge of each column, [kLastCol + 1] the right edge
    std::array<double, kFirstLessonRow> m_top{};
    std::array<double, kPageRows - kFirstLessonRow - 2 * kLessonRows> m_lower{};
    double m_tableTop = 0, m_lowerTop = 0, m_height = 0;
    std::map<std::pair<double, bool>, std::pair<QFont, QFontMetricsF>> m_fonts;
    const QFontMetricsF* m_metrics = nullptr;   // of the font set last
};

// Paints the pages of the chosen students; done is told each student drawn.
bool draw(const monthly::Report& report, QPagedPaintDevice& device, const QList<int>& students,
          const std::function<void(int)>& done)
{
    QList<int> chosen = students;
    if (chosen.isEmpty())
        for (int i = 0; i < static_cast<int>(report.students.size()); ++i)
            chosen << i;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    PagePainter page(painter, report);
    // The form in points, as large as the printable area holds it, centred across.
    const double perPoint = device.logicalDpiX() / 72.0;
    const double scale = std::min(device.width() / page.width(), device.height() / page.height());
    page.m_fontScale = 1.0 / perPoint;
    bool first = true;
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        const monthly::Student& s = report.students[static_cast<std::size_t>(chosen[i])];
        for (int p = 0; p < static_cast<int>(s.pages.size()); ++p) {
            if (!first)
                device.newPage();
            first = false;
            painter.resetTransform();
            painter.translate((device.width() - page.width() * scale) / 2, 0);
            painter.scale(scale, scale);
            page.paint(s, p);
        }
        if (done)
            done(static_cast<int>(i) + 1);
    }
    return painter.end();
}

bool writeFile(const monthly::Report& report, const QString& path, const QList<int>& students,
               const std::function<void(int)>& done)
{
    QPdfWriter writer(path);
    writer.setResolution(72);
    writer.setCreator(QStringLiteral("楓丸くん"));
    writer.setTitle(QStringLiteral("月間報告書 ") + report.title());
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                     QPageLayout::Millimeter));
    return draw(report, writer, students, done) && QFileInfo(path).size() > 0;
}

// Progress told to the UI services as students are drawn.
std::function<void(int)> stepsOf(ReportProgress& progress)
{
    return [&progress](int done) { progress.setValue(done); };
}

const QString kProgressLabel = QStringLiteral("月間報告書を作成しています...");

} // namespace

bool funcDraw(const monthly::Report& report, QPagedPaintDevice& device, const QList<int>& students)
{
    ReportProgress progress(kProgressLabel, students.isEmpty() ? static_cast<int>(report.students.size())
                                                                : static_cast<int>(students.size()));
    return draw(report, device, students, stepsOf(progress));
}

QString funcFileName(const monthly::Student& student, const QDate& month)
{
    QString name = QStringLiteral("%1_%2_%3.pdf").arg(student.number).arg(student.name, month.toString(QStringLiteral("yyyyMM")));
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c))
            c = u'_';
    return name;
}

QString funcFreePath(const QString& folder, const QString& fileName)
{
    const QDir dir(folder);
    const QFileInfo info(fileName);
    QString path = dir.filePath(fileName);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1 (%2).%3").arg(info.completeBaseName()).arg(n).arg(info.suffix()));
    return path;
}

bool funcWriteFile(const monthly::Report& report, const QString& path, const QList<int>& students)
{
    ReportProgress progress(kProgressLabel, students.isEmpty() ? static_cast<int>(report.students.size())
                                                                : static_cast<int>(students.size()));
    return writeFile(report, path, students, stepsOf(progress));
}

Saved funcSaveEach(const monthly::Report& report, const QString& folder)
{
    // The names first (each student's number makes them differ), then the files
    // are written side by side: each embeds its own copy of the font's glyphs.
    const int count = static_cast<int>(report.students.size());
    QStringList paths;
    for (const monthly::Student& s : report.students)
        paths << funcFreePath(folder, funcFileName(s, report.month));
    enum : char { Waiting, Written, Failed };
    std::vector<char> state(static_cast<std::size_t>(count), Waiting);
    std::atomic<int> next{0}, finished{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (int i = next++; i < count && !failed; i = next++) {
            const bool ok = writeFile(report, paths[i], {i}, {});
            state[static_cast<std::size_t>(i)] = ok ? Written : Failed;
            failed = failed || !ok;
            ++finished;
        }
    };
    {
        ReportProgress progress(kProgressLabel, count);
        std::vector<std::thread> workers;
        const int threads = std::clamp(QThread::idealThreadCount(), 1, std::min(count, 4));
        for (int t = 0; t < threads; ++t)
            workers.emplace_back(work);
        // The progress is told here, where the UI lives.
        while (finished < count && !failed) {
            progress.setValue(finished);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        for (std::thread& w : workers)
            w.join();
    }
    Saved saved;
    for (int i = 0; i < count; ++i) {
        if (state[static_cast<std::size_t>(i)] == Written)
            saved.files << paths[i];
        else if (state[static_cast<std::size_t>(i)] == Failed && saved.failed.isEmpty())
            saved.failed = paths[i];
    }
    return saved;
}

QString funcOneFileName(const QDate& month)
{
    return QStringLiteral("月間報告書_%1.pdf").arg(month.toString(QStringLiteral("yyyyMM")));
}

Saved funcSaveOne(const monthly::Report& report, const QString& folder)
{
    Saved saved;
    const QString path = funcFreePath(folder, funcOneFileName(report.month));
    if (funcWriteFile(report, path))
        saved.files << path;
    else
        saved.failed = path;
    return saved;
}

std::optional<Saved> write(const QDate& month, const QList<int>& students, const QString& folder, bool oneFile)
{
    const std::optional<monthly::Report> report = monthly::funcBuild(students, month, QDate::currentDate());
    if (!report)
        return std::nullopt;
    return oneFile ? funcSaveOne(*report, folder) : funcSaveEach(*report, folder);
}

} // namespace MonthlyPdf

#include "host/reports/columnfit.h"

#include <algorithm>
#include <numeric>

namespace {

bool isFullWidth(char32_t c)
{
    if (c >= 0xFF61 && c <= 0xFF9F) // half-width katakana
        return false;
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

qreal sum(const std::vector<qreal> &values)
{
    return std::accumulate(values.begin(), values.end(), qreal(0));
}

} // namespace

qreal textEms(const QString &text)
{
    qreal widest = 0;
    qreal line = 0;
    for (char32_t c : text.toUcs4()) {
        if (c == U'\n' || c == U'\r') {
            line = 0;
            continue;
        }
        line += isFullWidth(c) ? 1 : 0.5;
        widest = std::max(widest, line);
    }
    return widest;
}

void measureCells(QList<ReportColumn> &columns, const QStringList &cells)
{
    for (qsizetype i = 0; i < columns.size() && i < cells.size(); ++i)
        columns[i].contentEms = std::max(columns[i].contentEms, textEms(cells[i]));
}

std::vector<qreal> fitColumns(qreal available, const std::vector<qreal> &minimum,
                              const std::vector<qreal> &natural)
{
    const size_t n = natural.size();
    std::vector<qreal> widths(n);
    if (n == 0 || available <= 0)
        return widths;
    const qreal naturalSum = sum(natural);
    if (naturalSum <= available) {
        // Room to spare: every column grows in proportion to its content.
        for (size_t i = 0; i < n; ++i)
            widths[i] = naturalSum > 0 ? natural[i] * available / naturalSum : available / n;
        return widths;
    }
    const qreal minimumSum = sum(minimum);
    if (minimumSum >= available) {
        for (size_t i = 0; i < n; ++i)
            widths[i] = minimum[i] * available / minimumSum;
        return widths;
    }
    // Find the cap at which max(minimum, min(natural, cap)) sums to the page.
    auto widthsAt = [&](qreal cap) {
        for (size_t i = 0; i < n; ++i)
            widths[i] = std::max(minimum[i], std::min(natural[i], cap));
        return sum(widths);
    };
    qreal low = 0, high = *std::max_element(natural.begin(), natural.end());
    for (int step = 0; step < 60; ++step) {
        const qreal cap = (low + high) / 2;
        (widthsAt(cap) > available ? high : low) = cap;
    }
    const qreal total = widthsAt(low);
    // The search leaves a sliver; the capped columns take it.
    std::vector<size_t> capped;
    for (size_t i = 0; i < n; ++i)
        if (widths[i] < natural[i] && widths[i] > minimum[i])
            capped.push_back(i);
    for (size_t i : capped)
        widths[i] += (available - total) / qreal(capped.size());
    if (capped.empty())
        widths.back() += available - total;
    return widths;
}

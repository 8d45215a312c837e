#include "Jbig2Symbols.h"

#include <QtAlgorithms>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <numeric>
#include <unordered_map>

namespace {
// Larger marks (rules, pictures, frames) hardly repeat; they stay in the rest.
constexpr int MaxSymbolSize = 200;

// A row's run of black pixels, from x to last, and the mark it belongs to once found.
struct Run
{
    int y;
    int x;
    int last;
    int parent;
};

std::vector<Run> runsOf(const Jbig2Bitmap &page, std::vector<int> &rowStart)
{
    std::vector<Run> runs;
    rowStart.assign(std::size_t(page.height()) + 1, 0);
    const qsizetype rowBytes = page.rowBytes();
    for (int y = 0; y < page.height(); ++y) {
        rowStart[std::size_t(y)] = int(runs.size());
        const std::uint8_t *line = page.row(y);
        int start = -1;
        // The zero byte after the row ends the last run.
        for (qsizetype i = 0; i <= rowBytes; ++i) {
            if (start < 0) { // white bytes, eight at a time where the row is long enough
                std::uint64_t eight;
                while (i + 8 <= rowBytes && (memcpy(&eight, line + i, 8), eight == 0))
                    i += 8;
                if (line[i] == 0)
                    continue;
            } else if (line[i] == 0xFF) {
                continue;
            }
            // From bit k on, the pixels that end a run (white) or begin one (black).
            const unsigned byte = line[i];
            int k = 0;
            while (k < 8) {
                const auto edges = quint8((start >= 0 ? ~byte : byte) << k);
                if (edges == 0)
                    break;
                k += qCountLeadingZeroBits(edges);
                const int x = int(i) * 8 + k;
                if (start >= 0) {
                    runs.push_back({y, start, x - 1, int(runs.size())});
                    start = -1;
                } else {
                    start = x;
                }
            }
        }
    }
    rowStart[std::size_t(page.height())] = int(runs.size());
    return runs;
}

int rootOf(std::vector<Run> &runs, int i)
{
    while (runs[std::size_t(i)].parent != i) {
        int &parent = runs[std::size_t(i)].parent;
        parent = runs[std::size_t(parent)].parent;
        i = parent;
    }
    return i;
}

// Joins the runs touching each other (diagonals included) into marks.
void joinMarks(std::vector<Run> &runs, const std::vector<int> &rowStart)
{
    for (std::size_t y = 1; y + 1 < rowStart.size(); ++y) {
        int above = rowStart[y - 1];
        for (int i = rowStart[y]; i < rowStart[y + 1]; ++i) {
            const Run &run = runs[std::size_t(i)];
            while (above < rowStart[y] && runs[std::size_t(above)].last < run.x - 1)
                ++above;
            for (int j = above; j < rowStart[y] && runs[std::size_t(j)].x <= run.last + 1; ++j) {
                const int a = rootOf(runs, i);
                const int b = rootOf(runs, j);
                runs[std::size_t(std::max(a, b))].parent = std::min(a, b);
            }
        }
    }
}

struct Mark
{
    int left = INT_MAX;
    int top = INT_MAX;
    int right = -1;
    int bottom = -1;
    int shape = -1; // index into the shapes, -1 when too large
};
} // namespace

Jbig2Symbols Jbig2Symbols::find(const Jbig2Bitmap &page)
{
    std::vector<int> rowStart;
    std::vector<Run> runs = runsOf(page, rowStart);
    joinMarks(runs, rowStart);

    // Bounding boxes; a run's mark is its root's.
    std::vector<int> markOfRoot(runs.size(), -1);
    std::vector<Mark> marks;
    std::vector<int> markOfRun(runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const int root = rootOf(runs, int(i));
        int &index = markOfRoot[std::size_t(root)];
        if (index < 0) {
            index = int(marks.size());
            marks.emplace_back();
        }
        markOfRun[i] = index;
        Mark &mark = marks[std::size_t(index)];
        const Run &run = runs[i];
        mark.left = std::min(mark.left, run.x);
        mark.right = std::max(mark.right, run.last);
        mark.top = std::min(mark.top, run.y);
        mark.bottom = std::max(mark.bottom, run.y);
    }

    // Each mark's runs, row by row; they describe its own pixels, never a neighbour's
    // reaching into its box. Two marks of the same size whose runs lie alike in their boxes
    // are identical.
    std::vector<int> firstRun(marks.size() + 1, 0);
    for (const int mark : markOfRun)
        ++firstRun[std::size_t(mark) + 1];
    std::partial_sum(firstRun.begin(), firstRun.end(), firstRun.begin());
    std::vector<int> order(runs.size());
    {
        std::vector<int> next(firstRun.begin(), firstRun.end() - 1);
        for (std::size_t i = 0; i < runs.size(); ++i)
            order[std::size_t(next[std::size_t(markOfRun[i])]++)] = int(i);
    }
    const auto relative = [&](const Mark &mark, int run) {
        const Run &r = runs[std::size_t(run)];
        return std::array<int, 3>{r.y - mark.top, r.x - mark.left, r.last - mark.left};
    };
    const auto hashOf = [&](std::size_t m) {
        const Mark &mark = marks[m];
        quint64 hash = 14695981039346656037ull ^ quint64(mark.right - mark.left) << 32 ^
                       quint64(mark.bottom - mark.top);
        for (int i = firstRun[m]; i < firstRun[m + 1]; ++i) {
            for (const int value : relative(mark, order[std::size_t(i)]))
                hash = (hash ^ quint64(value)) * 1099511628211ull;
        }
        return hash;
    };
    const auto identical = [&](std::size_t a, std::size_t b) {
        const Mark &one = marks[a];
        const Mark &other = marks[b];
        if (one.right - one.left != other.right - other.left ||
            one.bottom - one.top != other.bottom - other.top ||
            firstRun[a + 1] - firstRun[a] != firstRun[b + 1] - firstRun[b])
            return false;
        for (int i = 0; i < firstRun[a + 1] - firstRun[a]; ++i) {
            if (relative(one, order[std::size_t(firstRun[a] + i)]) !=
                relative(other, order[std::size_t(firstRun[b] + i)]))
                return false;
        }
        return true;
    };

    std::vector<int> shapeMark; // a mark of each shape
    std::vector<int> shapeCount;
    std::unordered_multimap<quint64, int> shapesByHash;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const Mark &mark = marks[i];
        if (mark.right - mark.left >= MaxSymbolSize || mark.bottom - mark.top >= MaxSymbolSize)
            continue;
        const quint64 hash = hashOf(i);
        const auto [begin, end] = shapesByHash.equal_range(hash);
        const auto same = std::find_if(begin, end, [&](const auto &entry) {
            return identical(std::size_t(shapeMark[std::size_t(entry.second)]), i);
        });
        if (same != end) {
            marks[i].shape = same->second;
            ++shapeCount[std::size_t(same->second)];
        } else {
            marks[i].shape = int(shapeMark.size());
            shapesByHash.emplace(hash, marks[i].shape);
            shapeMark.push_back(int(i));
            shapeCount.push_back(1);
        }
    }

    // Shapes seen twice or more become symbols, by height, then width.
    std::vector<int> repeated;
    for (std::size_t shape = 0; shape < shapeMark.size(); ++shape) {
        if (shapeCount[shape] > 1)
            repeated.push_back(int(shape));
    }
    const auto sizeOf = [&](int shape) {
        const Mark &mark = marks[std::size_t(shapeMark[std::size_t(shape)])];
        return std::make_pair(mark.bottom - mark.top, mark.right - mark.left);
    };
    std::stable_sort(repeated.begin(), repeated.end(),
                     [&](int a, int b) { return sizeOf(a) < sizeOf(b); });
    std::vector<int> symbolOfShape(shapeMark.size(), -1);
    Jbig2Symbols result;
    for (const int shape : repeated) {
        symbolOfShape[std::size_t(shape)] = int(result.symbols.size());
        const std::size_t m = std::size_t(shapeMark[std::size_t(shape)]);
        const Mark &mark = marks[m];
        Jbig2Bitmap picture(mark.right - mark.left + 1, mark.bottom - mark.top + 1);
        for (int i = firstRun[m]; i < firstRun[m + 1]; ++i) {
            const std::array<int, 3> run = relative(mark, order[std::size_t(i)]);
            picture.fill(run[0], run[1], run[2], true);
        }
        result.symbols.push_back(std::move(picture));
    }

    for (const Mark &mark : marks) {
        if (mark.shape >= 0 && symbolOfShape[std::size_t(mark.shape)] >= 0)
            result.instances.push_back(
                {mark.left, mark.bottom, symbolOfShape[std::size_t(mark.shape)]});
    }
    std::sort(result.instances.begin(), result.instances.end(),
              [](const Instance &a, const Instance &b) {
                  return std::make_pair(a.bottom, a.x) < std::make_pair(b.bottom, b.x);
              });
    result.rest = page;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Mark &mark = marks[std::size_t(markOfRun[i])];
        if (mark.shape >= 0 && symbolOfShape[std::size_t(mark.shape)] >= 0)
            result.rest.fill(runs[i].y, runs[i].x, runs[i].last, false);
    }
    return result;
}

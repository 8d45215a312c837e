#include "Jbig2Symbols.h"

#include <QtAlgorithms>

#include <algorithm>
#include <climits>
#include <cstring>
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

quint64 hashOf(const Jbig2Bitmap &bitmap)
{
    quint64 hash =
        14695981039346656037ull ^ quint64(bitmap.width()) << 32 ^ quint64(bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t *line = bitmap.row(y);
        for (qsizetype i = 0; i < bitmap.rowBytes(); ++i)
            hash = (hash ^ line[i]) * 1099511628211ull;
    }
    return hash;
}
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

    // Each mark's own pixels (never a neighbour's reaching into its box), and the marks
    // sorted into shapes of identical pixels.
    std::vector<Jbig2Bitmap> pictures(marks.size());
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const Mark &mark = marks[i];
        if (mark.right - mark.left < MaxSymbolSize && mark.bottom - mark.top < MaxSymbolSize)
            pictures[i] = Jbig2Bitmap(mark.right - mark.left + 1, mark.bottom - mark.top + 1);
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Mark &mark = marks[std::size_t(markOfRun[i])];
        Jbig2Bitmap &picture = pictures[std::size_t(markOfRun[i])];
        if (picture.width() > 0)
            picture.fill(runs[i].y - mark.top, runs[i].x - mark.left, runs[i].last - mark.left,
                         true);
    }
    std::vector<int> shapeMark; // a mark of each shape
    std::vector<int> shapeCount;
    std::unordered_multimap<quint64, int> shapesByHash;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (pictures[i].width() == 0)
            continue;
        const quint64 hash = hashOf(pictures[i]);
        const auto [begin, end] = shapesByHash.equal_range(hash);
        const auto same = std::find_if(begin, end, [&](const auto &entry) {
            return pictures[std::size_t(shapeMark[std::size_t(entry.second)])] == pictures[i];
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
        const Jbig2Bitmap &picture = pictures[std::size_t(shapeMark[std::size_t(shape)])];
        return std::make_pair(picture.height(), picture.width());
    };
    std::stable_sort(repeated.begin(), repeated.end(),
                     [&](int a, int b) { return sizeOf(a) < sizeOf(b); });
    std::vector<int> symbolOfShape(shapeMark.size(), -1);
    Jbig2Symbols result;
    for (const int shape : repeated) {
        symbolOfShape[std::size_t(shape)] = int(result.symbols.size());
        result.symbols.push_back(pictures[std::size_t(shapeMark[std::size_t(shape)])]);
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

#include "BlankPage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {
// The numbers the header gives are set here; see there for why.
constexpr double AssumedDpi = 300.0;
// Letters of 6 pt are still a few pixels tall, and an A4 page is under a million pixels.
constexpr double AnalysisDpi = 100.0;
constexpr double PatchMm = 12.7;
// The level a quarter of a patch is lighter than: paper even where text is dense.
constexpr double PaperPercentile = 0.75;
// A patch darker than this share of the page's paper is a picture, not a shade of the paper.
constexpr double LowestLocalPaper = 0.9;
constexpr double InkLevel = 0.63;
constexpr double FaintLevel = 0.85;
// On a darker "paper" (in the darkest channel) the page is a photograph or a dark sheet.
constexpr int DarkestPaper = 96;

constexpr double FrameShare = 0.08;
constexpr double StreakReach = 0.03;
constexpr int StreakLength = 4;
constexpr double GlassStreakShare = 0.9;
constexpr double GlassStreakMm = 100.0;
constexpr double GlassStreakThicknessMm = 1.5;
// Steep enough for a page turned by 3 degrees while it was fed.
constexpr int GlassStreakSteepness = 20;
constexpr double PaleAreaMm2 = 100.0;
// Bleed-through that runs together is a net of strokes; a pale picture is solid.
constexpr double PaleFill = 0.4;
constexpr double SpeckMm = 1.0;
constexpr double LoneSpeckMm = 2.0;
constexpr double PunchSmallestMm = 4.0;
constexpr double PunchLargestMm = 9.0;
constexpr double PunchFromEdgeMm = 25.0;
// A disc fills 79 % of its box, a ring (an O) far less.
constexpr double PunchFill = 0.6;
constexpr double PunchAspect = 1.3;
constexpr double TextHeightMm = 10.0;
constexpr double TextWidthMm = 15.0;
constexpr double NeighbourMm = 5.0;
constexpr int GroupMarks = 12;
constexpr double GroupWidthMm = 40.0;
constexpr double GroupHeightMm = 10.0;
constexpr int LoneMarks = 2;

// The page at the analysis resolution, each pixel the darkest of its block.
struct Reduced
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    const std::uint8_t *row(int y) const { return pixels.data() + std::size_t(y) * width; }
};

// darkness(y, out) writes row y of the page as grey levels, the darkest channel on colour.
template <typename Darkness> Reduced reduce(int width, int height, int factor, Darkness darkness)
{
    Reduced reduced;
    reduced.width = (width + factor - 1) / factor;
    reduced.height = (height + factor - 1) / factor;
    reduced.pixels.resize(std::size_t(reduced.width) * reduced.height);
    std::vector<std::uint8_t> line(width);
    std::vector<std::uint8_t> darkest(width);
    for (int outY = 0; outY < reduced.height; ++outY) {
        const int top = outY * factor;
        const int bottom = std::min(height, top + factor);
        darkness(top, darkest.data());
        for (int y = top + 1; y < bottom; ++y) {
            darkness(y, line.data());
            for (int x = 0; x < width; ++x)
                darkest[x] = std::min(darkest[x], line[x]);
        }
        std::uint8_t *out = reduced.pixels.data() + std::size_t(outY) * reduced.width;
        for (int outX = 0; outX < reduced.width; ++outX) {
            const int left = outX * factor;
            const int right = std::min(width, left + factor);
            out[outX] = *std::min_element(darkest.begin() + left, darkest.begin() + right);
        }
    }
    return reduced;
}

std::uint8_t darkestChannel(QRgb rgb)
{
    return std::uint8_t(std::min({qRed(rgb), qGreen(rgb), qBlue(rgb)}));
}

Reduced reducedPage(const QImage &page, int factor)
{
    const int width = page.width();
    const int height = page.height();
    switch (page.format()) {
    case QImage::Format_Grayscale8:
        return reduce(width, height, factor, [&](int y, std::uint8_t *out) {
            std::memcpy(out, page.constScanLine(y), std::size_t(width));
        });
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return reduce(width, height, factor, [&](int y, std::uint8_t *out) {
            const auto *in = reinterpret_cast<const QRgb *>(page.constScanLine(y));
            for (int x = 0; x < width; ++x)
                out[x] = darkestChannel(in[x]);
        });
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        if (page.colorCount() == 2) {
            // Each byte of the page becomes its eight pixels' levels in one copy.
            const bool lsbFirst = page.format() == QImage::Format_MonoLSB;
            const std::uint8_t level[2] = {darkestChannel(page.color(0)),
                                           darkestChannel(page.color(1))};
            std::array<std::array<std::uint8_t, 8>, 256> expanded;
            for (int byte = 0; byte < 256; ++byte) {
                for (int bit = 0; bit < 8; ++bit)
                    expanded[byte][bit] = level[(byte >> (lsbFirst ? bit : 7 - bit)) & 1];
            }
            return reduce(width, height, factor, [&](int y, std::uint8_t *out) {
                const uchar *in = page.constScanLine(y);
                const int whole = width / 8;
                for (int i = 0; i < whole; ++i)
                    std::memcpy(out + 8 * i, expanded[in[i]].data(), 8);
                for (int x = whole * 8; x < width; ++x)
                    out[x] = expanded[in[whole]][x - whole * 8];
            });
        }
        break;
    default:
        break;
    }
    if (page.isGrayscale())
        return reducedPage(page.convertToFormat(QImage::Format_Grayscale8), factor);
    return reducedPage(page.convertToFormat(QImage::Format_RGB32), factor);
}

double dotsPerInch(const QImage &page)
{
    // QImage gives a fresh image its own default; a file without a resolution gets that too.
    const int unset = QImage(1, 1, QImage::Format_Mono).dotsPerMeterX();
    const int dpm = page.dotsPerMeterX();
    return dpm <= 0 || dpm == unset ? AssumedDpi : dpm * 0.0254;
}

// Paper levels per patch, floored so that a picture filling a patch is not taken for paper.
struct Paper
{
    int patch = 1;
    int columns = 1;
    int page = 255;
    std::vector<int> local;
};

Paper measurePaper(const Reduced &image, int patch)
{
    Paper paper;
    paper.patch = patch;
    paper.columns = (image.width + patch - 1) / patch;
    const int rows = (image.height + patch - 1) / patch;
    paper.local.resize(std::size_t(paper.columns) * rows);
    std::vector<int> histograms(std::size_t(paper.columns) * 256);
    for (int patchRow = 0; patchRow < rows; ++patchRow) {
        std::fill(histograms.begin(), histograms.end(), 0);
        const int top = patchRow * patch;
        const int bottom = std::min(image.height, top + patch);
        for (int y = top; y < bottom; ++y) {
            const std::uint8_t *row = image.row(y);
            for (int column = 0, x = 0; column < paper.columns; ++column) {
                int *histogram = &histograms[std::size_t(column) * 256];
                for (const int end = std::min(image.width, x + patch); x < end; ++x)
                    ++histogram[row[x]];
            }
        }
        for (int column = 0; column < paper.columns; ++column) {
            const int *histogram = &histograms[std::size_t(column) * 256];
            const int columnWidth = std::min(image.width, (column + 1) * patch) - column * patch;
            const int wanted = int(std::ceil(PaperPercentile * columnWidth * (bottom - top)));
            int level = 0;
            for (int seen = histogram[0]; seen < wanted && level < 255;)
                seen += histogram[++level];
            paper.local[std::size_t(patchRow) * paper.columns + column] = level;
        }
    }
    std::vector<int> sorted = paper.local;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    paper.page = sorted[sorted.size() / 2];
    const int floor = int(paper.page * LowestLocalPaper);
    for (int &level : paper.local)
        level = std::max(level, floor);
    return paper;
}

// A connected patch of faint or ink pixels (8-connected), in reduced pixels.
struct Part
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int area = 0;
    int ink = 0;
    // How far the part reaches in from the nearest edge of the image.
    int reach = 0;
    // Whether it lies in the frame along the image's edges; no part crosses its inner border.
    bool frame = false;

    void add(const Part &other)
    {
        left = std::min(left, other.left);
        top = std::min(top, other.top);
        right = std::max(right, other.right);
        bottom = std::max(bottom, other.bottom);
        area += other.area;
        ink += other.ink;
        reach = std::max(reach, other.reach);
    }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

class Parts
{
public:
    int add(const Part &part)
    {
        m_parent.push_back(int(m_parent.size()));
        m_parts.push_back(part);
        return m_parent.back();
    }
    int root(int label)
    {
        while (m_parent[label] != label)
            label = m_parent[label] = m_parent[m_parent[label]];
        return label;
    }
    void join(int a, int b)
    {
        a = root(a);
        b = root(b);
        if (a == b)
            return;
        m_parent[b] = a;
        const bool frame = m_parts[a].frame && m_parts[b].frame;
        m_parts[a].add(m_parts[b]);
        m_parts[a].frame = frame;
    }
    void extend(int label, const Part &run) { m_parts[root(label)].add(run); }
    const Part &part(int label) { return m_parts[root(label)]; }
    std::vector<Part> roots() const
    {
        std::vector<Part> result;
        for (std::size_t i = 0; i < m_parent.size(); ++i) {
            if (m_parent[i] == int(i))
                result.push_back(m_parts[i]);
        }
        return result;
    }

private:
    std::vector<int> m_parent;
    std::vector<Part> m_parts;
};

// The parts of the image, with the frame along its edges split off where it touches the
// edge: a scanner's dark border is one part, and a streak or a picture running into it
// another. Marks in the frame away from the edge (a page number, a hole punch) stay whole.
std::vector<Part> findParts(const Reduced &image, const Paper &paper, int frame)
{
    struct Run
    {
        int left;
        int right;
        int label;
        bool frame;
    };
    Parts parts;
    std::vector<Run> previous;
    std::vector<Run> current;
    // Labels of frame and inner parts that meet at the frame's inner border.
    std::vector<std::pair<int, int>> meetings;
    std::vector<std::uint8_t> faintBelow(image.width);
    std::vector<std::uint8_t> inkBelow(image.width);
    const int w = image.width;
    const int h = image.height;
    for (int y = 0; y < h; ++y) {
        if (y % paper.patch == 0) {
            const int *local = &paper.local[std::size_t(y / paper.patch) * paper.columns];
            for (int x = 0; x < w; ++x) {
                const int level = local[x / paper.patch];
                faintBelow[x] = std::uint8_t(std::lround(level * FaintLevel));
                inkBelow[x] = std::uint8_t(std::lround(level * InkLevel));
            }
        }
        const std::uint8_t *row = image.row(y);
        const bool frameRow = y < frame || y >= h - frame;
        current.clear();
        std::size_t first = 0;
        for (int x = 0; x < w;) {
            if (row[x] >= faintBelow[x]) {
                ++x;
                continue;
            }
            Part run;
            run.left = x;
            run.top = run.bottom = y;
            run.frame = frameRow || x < frame || x >= w - frame;
            const int end = frameRow ? w : x < frame ? frame : x < w - frame ? w - frame : w;
            for (; x < end && row[x] < faintBelow[x]; ++x)
                run.ink += row[x] < inkBelow[x];
            run.right = x - 1;
            run.area = run.right - run.left + 1;
            const int middle = std::clamp((w - 1) / 2, run.left, run.right);
            run.reach = std::min({middle, w - 1 - middle, y, h - 1 - y});
            // Runs of the row above that touch this one, diagonally included.
            while (first < previous.size() && previous[first].right < run.left - 1)
                ++first;
            int label = -1;
            const std::size_t met = meetings.size();
            for (std::size_t i = first; i < previous.size() && previous[i].left <= run.right + 1;
                 ++i) {
                if (previous[i].frame != run.frame) {
                    meetings.push_back({previous[i].label, -1});
                } else if (label < 0) {
                    label = previous[i].label;
                    parts.extend(label, run);
                } else {
                    parts.join(label, previous[i].label);
                }
            }
            if (label < 0)
                label = parts.add(run);
            for (std::size_t i = met; i < meetings.size(); ++i)
                meetings[i].second = label;
            if (!current.empty() && current.back().right == run.left - 1)
                meetings.push_back({current.back().label, label});
            current.push_back({run.left, run.right, label, run.frame});
        }
        std::swap(previous, current);
    }
    for (const auto &[a, b] : meetings) {
        const Part &one = parts.part(a);
        const Part &other = parts.part(b);
        const Part &inFrame = one.frame ? one : other;
        const bool edge = inFrame.frame && (inFrame.left == 0 || inFrame.top == 0 ||
                                            inFrame.right == w - 1 || inFrame.bottom == h - 1);
        if (!edge)
            parts.join(one.frame ? b : a, one.frame ? a : b);
    }
    return parts.roots();
}

Part united(const Part &a, const Part &b)
{
    Part box = a;
    box.add(b);
    return box;
}

// Pixels of blank paper between the boxes of two parts, the larger of across and down.
int gap(const Part &a, const Part &b)
{
    const int across = std::max(a.left, b.left) - std::min(a.right, b.right) - 1;
    const int down = std::max(a.top, b.top) - std::min(a.bottom, b.bottom) - 1;
    return std::max({across, down, 0});
}

// What the text-size marks amount to.
struct Marks
{
    int counted = 0;
    int ink = 0;
    int lone = 0;
    int groups = 0;
    // Whether every group is small enough for a page number.
    bool groupsFit = true;
};

Marks summarise(const std::vector<Part> &marks, double mm)
{
    Marks summary;
    // Past this many the page holds text, however they lie: no need to group them.
    if (marks.size() > std::size_t(4 * (GroupMarks + LoneMarks))) {
        summary.counted = int(marks.size());
        for (const Part &mark : marks)
            summary.ink += mark.ink;
        summary.groups = summary.counted;
        summary.groupsFit = false;
        return summary;
    }
    std::vector<int> group(marks.size());
    for (std::size_t i = 0; i < marks.size(); ++i)
        group[i] = int(i);
    const auto root = [&group](int i) {
        while (group[i] != i)
            i = group[i] = group[group[i]];
        return i;
    };
    std::vector<bool> alone(marks.size(), true);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        for (std::size_t j = i + 1; j < marks.size(); ++j) {
            if (gap(marks[i], marks[j]) * mm <= NeighbourMm) {
                alone[i] = alone[j] = false;
                group[root(int(j))] = root(int(i));
            }
        }
    }
    std::vector<int> members(marks.size(), 0);
    std::vector<Part> boxes(marks.size());
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const Part &mark = marks[i];
        if (alone[i] && std::max(mark.width(), mark.height()) * mm < LoneSpeckMm)
            continue;
        ++summary.counted;
        summary.ink += mark.ink;
        if (alone[i]) {
            ++summary.lone;
            continue;
        }
        const int g = root(int(i));
        boxes[g] = members[g]++ ? united(boxes[g], mark) : mark;
    }
    for (std::size_t g = 0; g < marks.size(); ++g) {
        if (members[g] == 0)
            continue;
        ++summary.groups;
        summary.groupsFit &= members[g] <= GroupMarks && boxes[g].width() * mm <= GroupWidthMm &&
                             boxes[g].height() * mm <= GroupHeightMm;
    }
    return summary;
}
} // namespace

BlankPageVerdict detectBlankPage(const QImage &page)
{
    BlankPageVerdict verdict;
    if (page.isNull())
        return verdict;
    const double dpi = dotsPerInch(page);
    const int factor = std::max(1, int(std::lround(dpi / AnalysisDpi)));
    const double mm = 25.4 * factor / dpi;
    const auto pixels = [mm](double millimetres) { return millimetres / mm; };

    const Reduced image = reducedPage(page, factor);
    const Paper paper = measurePaper(image, std::max(8, int(std::lround(pixels(PatchMm)))));
    const double shorterSide = std::min(image.width, image.height);
    const int frame = int(FrameShare * shorterSide);

    bool content = paper.page < DarkestPaper;
    std::vector<Part> marks;
    int ink = 0;
    for (const Part &part : findParts(image, paper, frame)) {
        const int longer = std::max(part.width(), part.height());
        const int shorter = std::min(part.width(), part.height());
        const bool touchesEdge = part.left == 0 || part.top == 0 || part.right == image.width - 1 ||
                                 part.bottom == image.height - 1;
        if (part.frame && touchesEdge)
            continue;
        if (part.reach < StreakReach * shorterSide && longer >= StreakLength * shorter)
            continue;
        if (part.height() >= GlassStreakShare * (image.height - 2 * frame) &&
            part.height() >= pixels(GlassStreakMm) &&
            part.area <= pixels(GlassStreakThicknessMm) * part.height() &&
            part.width() * GlassStreakSteepness <= part.height())
            continue;
        const double fill = double(part.area) / (double(part.width()) * part.height());
        if (part.ink == 0) {
            content |= part.area * mm * mm >= PaleAreaMm2 && fill >= PaleFill;
            continue;
        }
        if (longer < pixels(SpeckMm))
            continue;
        const double centreX = (part.left + part.right) / 2.0;
        const double centreY = (part.top + part.bottom) / 2.0;
        const double fromEdge =
            std::min({centreX, image.width - 1 - centreX, centreY, image.height - 1 - centreY});
        if (shorter >= pixels(PunchSmallestMm) && longer <= pixels(PunchLargestMm) &&
            longer <= PunchAspect * shorter && fill >= PunchFill &&
            fromEdge <= pixels(PunchFromEdgeMm))
            continue;
        if (part.height() > pixels(TextHeightMm) || part.width() > pixels(TextWidthMm)) {
            content = true;
            ink += part.ink;
            continue;
        }
        marks.push_back(part);
    }

    const Marks summary = summarise(marks, mm);
    verdict.textComponents = summary.counted;
    verdict.inkCoverage = double(ink + summary.ink) / (double(image.width) * image.height);
    verdict.blank =
        !content && summary.groups <= 1 && summary.groupsFit && summary.lone <= LoneMarks;
    return verdict;
}

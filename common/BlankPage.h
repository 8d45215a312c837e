#pragma once

#include <QImage>

// Whether a cleaned page is blank, to flag it for the user; nothing is ever dropped on this
// alone. Doubtful pages are not blank: a flagged page with content costs the user a page,
// a missed blank one only a glance.
//
// The page is judged on a copy reduced to about 100 dpi, each pixel the darkest of those it
// stands for (the darkest channel on colour), so thin strokes keep their contrast. The
// resolution comes from the image (one saying nothing about it, or carrying a fresh QImage's
// default, counts as 300 dpi). The paper level is measured per patch of about 13 mm, so grey
// paper and uneven light need no fixed threshold. A pixel is ink when it is 37 % darker than
// the paper around it (the page processor's own ink level on white paper), faint when 15 %.
//
// Left out before judging:
// - faint marks: bleed-through from the back, paper texture; a solid faint area of at least
//   1 cm² (a pale picture) still counts as content;
// - specks: ink under 1 mm across, and a mark under 2 mm with no other mark within 5 mm;
// - the image's edge: whatever touches it within a frame 8 % of the shorter side wide (the
//   scanner's or the lid's dark border; what runs on inside the frame is judged on its own),
//   and thin streaks within 3 % of it;
// - a line under 1.5 mm thick down at least 90 % of the height inside that frame, and at
//   least 100 mm long: dirt on a feeder's glass draws one down the whole page, anywhere
//   across it, and the page processor keeps it as the page's content;
// - hole punches: round blobs 4 to 9 mm across, within 25 mm of an edge.
//
// The page is blank when what is left is at most a page number: the paper is light (not a
// dark photograph), no mark is larger than text (over 10 mm tall or 15 mm wide), and the
// text-size marks (letters, or letters run together) are at most one group of marks lying
// within 5 mm of each other, holding at most 12 marks and fitting in 40 x 10 mm ("Page 12 of
// 30" fits; a line of a dozen words never does), plus at most 2 marks on their own (a hair,
// a stray tick). Where on the page the group lies is not asked: the page processor cuts a
// page to its content, so a page number comes back as a small image of its own.
//
// Any thread; the image is only read.
struct BlankPageVerdict
{
    bool blank = false;
    // Share of the page covered by the ink that counts (what is left out above is not),
    // 0..1, at the reduced resolution.
    double inkCoverage = 0;
    // Text-size marks that count, including those on their own; a line of text gives
    // dozens, a page of it thousands.
    int textComponents = 0;
};

// A null image is not blank.
BlankPageVerdict detectBlankPage(const QImage &page);

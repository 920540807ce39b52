// Placing items as a layout tool does: snapping to the other items' edges
// and centres (and an optional grid), keeping them inside the ContentArea,
// aligning and spreading a selection, and moving several items as one step.
// Coordinates are surface pixels; the file's offsets are taken from the
// ContentArea's origin only where a position is written.
#ifndef TOOLS_DESIGNER_LAYOUT_H
#define TOOLS_DESIGNER_LAYOUT_H

#include <vector>

#include "tools/designer/document.h"

struct Box {
    int x, y, w, h;
};

enum { SNAP_DISTANCE = 5 };  // pixels within which an edge or centre snaps

// Where a box being dragged to (want.x, want.y) lands, and the guide lines
// that say why: a vertical line at guideX, a horizontal one at guideY
// (-1: none). Other items' left, centre and right (top, middle, bottom)
// attract the box's own; then the grid (0: none) measured from the
// ContentArea's origin; then, unless free, the box is held inside the
// ContentArea.
struct Snapped {
    int x, y;
    int guideX, guideY;
};
Snapped snapBox(const Box& want, const std::vector<Box>& others, int grid, bool free);

// The box kept inside the ContentArea (a box larger than it keeps its
// top-left corner inside).
Box keepInside(const Box& box);

enum Alignment {
    ALIGN_LEFT, ALIGN_CENTRE, ALIGN_RIGHT,  // by the first box... see alignBoxes
    ALIGN_TOP, ALIGN_MIDDLE, ALIGN_BOTTOM,
    SPREAD_ACROSS, SPREAD_DOWN,             // equal gaps between the outermost two
};
// The boxes' new places. Edges and centres align on the selection's
// bounding box (left edge of the leftmost, ...); spreading keeps the two
// outermost where they are and needs three boxes. False when nothing moves.
bool alignBoxes(std::vector<Box>* boxes, Alignment how);

// Moves buttons and decorations of one place to new surface positions as one
// step of undo; items not given keep their lines. False when none moves.
bool moveItems(MenuDocument* doc, const DesignPlace& before,
               const std::vector<DesignPlace>& items, const std::vector<Box>& to);

// Moves the page, entry, button or decoration at before to index in its
// list, the ones between moving up or down one: one step of undo.
bool moveItemTo(MenuDocument* doc, const DesignPlace& before, int index, DesignPlace* place);

// Writes the keys of every section in their numbered order (Command1 and its
// BtnPos1, BtnBmp1, BtnTextCol1, then Command2, ...), keeping every other
// line where it stands and keys of one name in their order, so that the
// menu reads exactly what it read before. One step of undo; false when the
// file is already in order.
bool tidyKeys(MenuDocument* doc, const DesignPlace& before);

#endif

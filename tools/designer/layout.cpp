// Snapping, alignment, moves of several items and the tidy order of keys.
#include "tools/designer/layout.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "graphics/layout.h"
#include "menu/ini.h"
#include "menu/text.h"
#include "tools/designer/edit.h"

// --- Snapping ------------------------------------------------------------------------

// The nearest of the box's three lines (start, centre, end) to any of the
// targets, within SNAP_DISTANCE: the shift, and the target in *line.
static bool nearest(int start, int size, const std::vector<int>& targets, int* shift, int* line)
{
    const int own[3] = {start, start + size / 2, start + size};
    int best = SNAP_DISTANCE + 1;
    for (int t : targets)
        for (int o : own)
            if (abs(t - o) < best) {
                best = abs(t - o);
                *shift = t - o;
                *line = t;
            }
    return best <= SNAP_DISTANCE;
}

// The grid line nearest to at; lines every grid pixels from origin.
static int onGrid(int at, int origin, int grid)
{
    long long offset = (long long)at - origin + grid / 2;
    long long lines = offset >= 0 ? offset / grid : -((-offset + grid - 1) / grid);
    return (int)(origin + lines * grid);
}

Box keepInside(const Box& box)
{
    Box b = box;
    if (b.x + b.w > CONTENT_RIGHT)
        b.x = CONTENT_RIGHT - b.w;
    if (b.y + b.h > CONTENT_BOTTOM)
        b.y = CONTENT_BOTTOM - b.h;
    if (b.x < CONTENT_LEFT)
        b.x = CONTENT_LEFT;
    if (b.y < CONTENT_TOP)
        b.y = CONTENT_TOP;
    return b;
}

Snapped snapBox(const Box& want, const std::vector<Box>& others, int grid, bool free)
{
    Snapped s = {want.x, want.y, -1, -1};
    if (free)
        return s;
    // The ContentArea's own edges and centre attract as an item's do.
    std::vector<int> xs = {CONTENT_LEFT, (CONTENT_LEFT + CONTENT_RIGHT) / 2, CONTENT_RIGHT};
    std::vector<int> ys = {CONTENT_TOP, (CONTENT_TOP + CONTENT_BOTTOM) / 2, CONTENT_BOTTOM};
    for (const Box& o : others) {
        xs.insert(xs.end(), {o.x, o.x + o.w / 2, o.x + o.w});
        ys.insert(ys.end(), {o.y, o.y + o.h / 2, o.y + o.h});
    }
    int shift = 0, line = 0;
    if (nearest(want.x, want.w, xs, &shift, &line)) {
        s.x += shift;
        s.guideX = line;
    } else if (grid > 0) {
        s.x = onGrid(want.x, CONTENT_LEFT, grid);
    }
    if (nearest(want.y, want.h, ys, &shift, &line)) {
        s.y += shift;
        s.guideY = line;
    } else if (grid > 0) {
        s.y = onGrid(want.y, CONTENT_TOP, grid);
    }
    Box held = keepInside(Box{s.x, s.y, want.w, want.h});
    if (held.x != s.x)
        s.guideX = -1;
    if (held.y != s.y)
        s.guideY = -1;
    s.x = held.x;
    s.y = held.y;
    return s;
}

// --- Alignment -----------------------------------------------------------------------

static void spread(std::vector<Box>* boxes, bool across)
{
    std::vector<size_t> order(boxes->size());
    for (size_t i = 0; i < order.size(); i++)
        order[i] = i;
    auto start = [&](size_t i) { return across ? (*boxes)[i].x : (*boxes)[i].y; };
    auto size = [&](size_t i) { return across ? (*boxes)[i].w : (*boxes)[i].h; };
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return start(a) < start(b); });
    size_t n = order.size();
    int first = start(order[0]), last = start(order[n - 1]) + size(order[n - 1]);
    long long room = last - first;
    for (size_t i = 0; i < n; i++)
        room -= size(order[i]);
    // The gaps share what is left; the pixels that do not divide go to the
    // later gaps, so the outermost two stay exactly where they were.
    int at = first;
    for (size_t i = 0; i < n; i++) {
        int& pos = across ? (*boxes)[order[i]].x : (*boxes)[order[i]].y;
        if (i > 0 && i < n - 1)
            pos = at;
        at = pos + size(order[i]) +
             (int)(room * (long long)(i + 1) / (long long)(n - 1) -
                   room * (long long)i / (long long)(n - 1));
    }
}

bool alignBoxes(std::vector<Box>* boxes, Alignment how)
{
    size_t n = boxes->size();
    if (n < 2 || ((how == SPREAD_ACROSS || how == SPREAD_DOWN) && n < 3))
        return false;
    std::vector<Box> was = *boxes;
    int left = (*boxes)[0].x, top = (*boxes)[0].y;
    int right = left + (*boxes)[0].w, bottom = top + (*boxes)[0].h;
    for (const Box& b : *boxes) {
        left = std::min(left, b.x);
        top = std::min(top, b.y);
        right = std::max(right, b.x + b.w);
        bottom = std::max(bottom, b.y + b.h);
    }
    for (Box& b : *boxes) {
        switch (how) {
        case ALIGN_LEFT: b.x = left; break;
        case ALIGN_CENTRE: b.x = left + (right - left) / 2 - b.w / 2; break;
        case ALIGN_RIGHT: b.x = right - b.w; break;
        case ALIGN_TOP: b.y = top; break;
        case ALIGN_MIDDLE: b.y = top + (bottom - top) / 2 - b.h / 2; break;
        case ALIGN_BOTTOM: b.y = bottom - b.h; break;
        default: break;
        }
    }
    if (how == SPREAD_ACROSS || how == SPREAD_DOWN)
        spread(boxes, how == SPREAD_ACROSS);
    for (size_t i = 0; i < n; i++)
        if (was[i].x != (*boxes)[i].x || was[i].y != (*boxes)[i].y)
            return true;
    return false;
}

bool moveItems(MenuDocument* doc, const DesignPlace& before,
               const std::vector<DesignPlace>& items, const std::vector<Box>& to)
{
    if (items.empty() || items.size() != to.size())
        return false;
    size_t size = doc->undo.size();
    std::string was = doc->data;
    docBegin(doc, before, 0);
    bool any = false;
    for (size_t i = 0; i < items.size(); i++)
        any = setPosition(doc, items[i], to[i].x - CONTENT_LEFT, to[i].y - CONTENT_TOP, false) ||
              any;
    docEnd(doc, before);
    return any && (doc->undo.size() != size || doc->data != was);
}

bool moveItemTo(MenuDocument* doc, const DesignPlace& before, int index, DesignPlace* place)
{
    DesignPlace now = before;
    int* at = before.kind == PLACE_PAGE ? &now.page : before.kind == PLACE_ENTRY ? &now.entry
                                                                                 : &now.item;
    if ((before.kind != PLACE_PAGE && before.kind != PLACE_ENTRY && before.kind != PLACE_BUTTON &&
         before.kind != PLACE_DECORATION) || *at == index || index < 0)
        return false;
    docBegin(doc, before, 0);
    bool moved = false;
    while (*at != index && moveItem(doc, now, index < *at ? -1 : 1, &now))
        moved = true;
    docEnd(doc, now);
    if (moved && place)
        *place = now;
    return moved;
}

// --- Tidy ------------------------------------------------------------------------------

namespace {

struct Line {
    size_t begin, end, next;  // text, then its line break up to next
    bool header;
    int family;               // index into tidyFamilies, -1 for any other line
    int number;
};

// The numbered keys, in the order one item's keys are written.
const char* const tidyFamilies[] = {"Page", "Menu", "Command", "BtnPos", "BtnBmp",
                                    "BtnTextCol", "Bmp"};
// Keys of one item written together: a button's four, each list alone.
const int familyGroup[] = {0, 1, 2, 2, 2, 2, 3};

// Bytes of the character at c: two for a lead byte with its second byte.
size_t step(const std::string& d, size_t c, size_t end)
{
    return isLeadByte((unsigned char)d[c]) && c + 1 < end && d[c + 1] ? 2 : 1;
}

bool blank(char c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' ';
}

// The line's numbered key, as the reader names keys: blanks trimmed, ASCII
// case ignored, decimal digits after the prefix.
void classify(const std::string& d, Line* line)
{
    size_t s = line->begin, e = line->end;
    while (s < e && blank(d[s]))
        s++;
    line->header = false;
    if (s < e && d[s] == '[')
        for (size_t c = s + 1; c < e && !line->header; c += step(d, c, e))
            line->header = d[c] == ']';
    line->family = -1;
    line->number = 0;
    if (line->header)
        return;
    size_t eq = d.find('=', s);
    if (eq == std::string::npos || eq >= e)
        return;
    size_t ne = eq;
    while (ne > s && blank(d[ne - 1]))
        ne--;
    std::string name = d.substr(s, ne - s);
    for (int f = 0; f < (int)(sizeof tidyFamilies / sizeof tidyFamilies[0]); f++) {
        size_t n = strlen(tidyFamilies[f]);
        if (name.size() <= n || name.size() > n + 8)
            continue;
        bool same = true;
        for (size_t i = 0; i < n && same; i++)
            same = (name[i] | 0x20) == (tidyFamilies[f][i] | 0x20);
        for (size_t i = n; i < name.size() && same; i++)
            same = name[i] >= '0' && name[i] <= '9';
        if (same) {
            line->family = f;
            line->number = toInt(name.c_str() + n);
            return;
        }
    }
}

std::vector<Line> linesOf(const std::string& d)
{
    std::vector<Line> lines;
    size_t at = 0;
    while (at < d.size()) {
        Line line;
        line.begin = at;
        while (at < d.size() && d[at] != '\r' && d[at] != '\n')
            at += step(d, at, d.size());
        line.end = at;
        if (at < d.size() && d[at] == '\r')
            at++;
        if (at < d.size() && d[at] == '\n')
            at++;
        line.next = at;
        classify(d, &line);
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

bool tidyKeys(MenuDocument* doc, const DesignPlace& before)
{
    const std::string d = doc->data;
    std::vector<Line> lines = linesOf(d);
    std::string out;
    out.reserve(d.size());
    size_t i = 0;
    while (i < lines.size()) {
        // One section: its header (or the start of the file) up to the next.
        size_t end = i + 1;
        while (end < lines.size() && !lines[end].header)
            end++;
        std::vector<size_t> slots, keys;
        std::vector<int> groupOrder;
        for (size_t k = i; k < end; k++) {
            if (lines[k].family < 0)
                continue;
            slots.push_back(k);
            keys.push_back(k);
            int g = familyGroup[lines[k].family];
            if (std::find(groupOrder.begin(), groupOrder.end(), g) == groupOrder.end())
                groupOrder.push_back(g);
        }
        // Lists in the order they first appear, each by number, a button's
        // keys in their written order; keys of one name keep theirs, as the
        // reader takes the first.
        auto rank = [&](size_t k) {
            int g = familyGroup[lines[k].family];
            return (int)(std::find(groupOrder.begin(), groupOrder.end(), g) - groupOrder.begin());
        };
        std::stable_sort(keys.begin(), keys.end(), [&](size_t a, size_t b) {
            if (rank(a) != rank(b))
                return rank(a) < rank(b);
            if (lines[a].number != lines[b].number)
                return lines[a].number < lines[b].number;
            return lines[a].family < lines[b].family;
        });
        size_t slot = 0;
        for (size_t k = i; k < end; k++) {
            const Line& place = lines[k];
            // Each line keeps the break of the place it lands in, so that a
            // last line without one stays last without one.
            const Line& text = place.family < 0 ? place : lines[keys[slot++]];
            out.append(d, text.begin, text.end - text.begin);
            out.append(d, place.end, place.next - place.end);
        }
        i = end;
    }
    if (out == d)
        return false;
    docBegin(doc, before, 0);
    // The whole text at once: the rewriter has no operation for moving lines.
    doc->data = out;
    iniIndexFree(doc->index);
    doc->index = 0;
    docEnd(doc, before);
    return true;
}

#include "tools/mkart/palette.h"

#include <math.h>
#include <algorithm>

// The static colours of a 256-colour Windows display, entries 0-9 and
// 246-255 of the system palette.
static const unsigned staticColours[20] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
    0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0,
    0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
    0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

enum { FREE_ENTRIES = STATIC_HIGH - STATIC_LOW, KMEANS_ROUNDS = 12 };

// Types of this file alone: another file's Sample or Box must not share
// their template code with these.
namespace {

struct Sample {
    double c[3];
    double weight;
};

}

unsigned char toByte(double value)
{
    double v = floor(value + 0.5);
    return (unsigned char)(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Weighted so that green differences count most and blue least, roughly as
// the eye sees them.
static double distance(const double* a, const double* b)
{
    double dr = a[0] - b[0], dg = a[1] - b[1], db = a[2] - b[2];
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

int nearestEntry(const Palette& palette, int r, int g, int b, int first,
                 int last)
{
    double c[3] = { double(r), double(g), double(b) };
    int best = first;
    double bestDistance = 1e300;
    for (int i = first; i <= last; i++) {
        double e[3] = { double(palette.rgb[i][0]), double(palette.rgb[i][1]),
                        double(palette.rgb[i][2]) };
        double d = distance(c, e);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

static unsigned packPixel(const Rgb& p)
{
    return (unsigned(toByte(p.r)) << 16) | (unsigned(toByte(p.g)) << 8) |
           unsigned(toByte(p.b));
}

// Distinct colours of all canvases, each weighted by the square root of its
// pixel count: large flat areas still get exact entries, while the few
// pixels of highlights and edges are not drowned by them.
static std::vector<Sample> collectSamples(const Canvas* const* canvases,
                                          int count)
{
    std::vector<unsigned> packed;
    for (int i = 0; i < count; i++)
        for (size_t k = 0; k < canvases[i]->pixels.size(); k++)
            packed.push_back(packPixel(canvases[i]->pixels[k]));
    std::sort(packed.begin(), packed.end());
    std::vector<Sample> samples;
    for (size_t k = 0; k < packed.size();) {
        size_t run = k;
        while (run < packed.size() && packed[run] == packed[k])
            run++;
        Sample s;
        s.c[0] = double((packed[k] >> 16) & 0xFF);
        s.c[1] = double((packed[k] >> 8) & 0xFF);
        s.c[2] = double(packed[k] & 0xFF);
        s.weight = sqrt(double(run - k));
        samples.push_back(s);
        k = run;
    }
    return samples;
}

namespace {

struct Box {
    size_t begin, end;  // range of samples
    double score;       // weighted spread; the widest box is split next
    int axis;
};

}

static Box measureBox(const std::vector<Sample>& samples, size_t begin,
                      size_t end)
{
    Box box = { begin, end, 0.0, 0 };
    double lo[3] = { 255, 255, 255 }, hi[3] = { 0, 0, 0 }, weight = 0;
    for (size_t k = begin; k < end; k++) {
        for (int a = 0; a < 3; a++) {
            if (samples[k].c[a] < lo[a]) lo[a] = samples[k].c[a];
            if (samples[k].c[a] > hi[a]) hi[a] = samples[k].c[a];
        }
        weight += samples[k].weight;
    }
    double widest = -1;
    for (int a = 0; a < 3; a++)
        if (hi[a] - lo[a] > widest) {
            widest = hi[a] - lo[a];
            box.axis = a;
        }
    box.score = end - begin > 1 ? widest * sqrt(weight) : -1;
    return box;
}

// Median cut: the starting points of the k-means rounds.
static void medianCut(std::vector<Sample>* samples, double centres[][3],
                      int wanted, int* made)
{
    std::vector<Box> boxes;
    boxes.push_back(measureBox(*samples, 0, samples->size()));
    while (int(boxes.size()) < wanted) {
        size_t pick = 0;
        for (size_t i = 1; i < boxes.size(); i++)
            if (boxes[i].score > boxes[pick].score)
                pick = i;
        Box box = boxes[pick];
        if (box.score < 0)
            break;
        int axis = box.axis;
        std::sort(samples->begin() + box.begin, samples->begin() + box.end,
                  [axis](const Sample& a, const Sample& b) {
                      for (int k = 0; k < 3; k++) {
                          int ax = (axis + k) % 3;
                          if (a.c[ax] != b.c[ax])
                              return a.c[ax] < b.c[ax];
                      }
                      return false;
                  });
        double total = 0, half = 0;
        for (size_t k = box.begin; k < box.end; k++)
            total += (*samples)[k].weight;
        size_t split = box.begin + 1;
        for (size_t k = box.begin; k < box.end - 1; k++) {
            half += (*samples)[k].weight;
            split = k + 1;
            if (half >= total / 2)
                break;
        }
        boxes[pick] = measureBox(*samples, box.begin, split);
        boxes.push_back(measureBox(*samples, split, box.end));
    }
    *made = 0;
    for (size_t i = 0; i < boxes.size(); i++) {
        double sum[3] = { 0, 0, 0 }, weight = 0;
        for (size_t k = boxes[i].begin; k < boxes[i].end; k++) {
            for (int a = 0; a < 3; a++)
                sum[a] += (*samples)[k].c[a] * (*samples)[k].weight;
            weight += (*samples)[k].weight;
        }
        if (weight <= 0)
            continue;
        for (int a = 0; a < 3; a++)
            centres[*made][a] = sum[a] / weight;
        (*made)++;
    }
}

void buildPalette(const Canvas* const* canvases, int count, Palette* palette)
{
    for (int i = 0; i < 256; i++)
        palette->rgb[i][0] = palette->rgb[i][1] = palette->rgb[i][2] = 0;
    double centres[256][3];
    for (int i = 0; i < 10; i++)
        for (int a = 0; a < 3; a++) {
            centres[i][a] = double((staticColours[i] >> (16 - 8 * a)) & 0xFF);
            centres[STATIC_HIGH + i][a] =
                double((staticColours[10 + i] >> (16 - 8 * a)) & 0xFF);
        }

    std::vector<Sample> samples = collectSamples(canvases, count);
    int made = 0;
    medianCut(&samples, &centres[STATIC_LOW], FREE_ENTRIES, &made);
    // Unused free entries repeat black; they never win a nearest search
    // over the static black before them.
    for (int i = STATIC_LOW + made; i < STATIC_HIGH; i++)
        centres[i][0] = centres[i][1] = centres[i][2] = 0;

    // K-means rounds move the free entries; the static ones stay put but
    // still take the samples nearest to them.
    std::vector<int> owner(samples.size());
    for (int round = 0; round < KMEANS_ROUNDS; round++) {
        for (size_t k = 0; k < samples.size(); k++) {
            int best = 0;
            double bestDistance = 1e300;
            for (int i = 0; i < 256; i++) {
                if (i >= STATIC_LOW + made && i < STATIC_HIGH)
                    continue;
                double d = distance(samples[k].c, centres[i]);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = i;
                }
            }
            owner[k] = best;
        }
        double sum[256][3] = { { 0 } }, weight[256] = { 0 };
        for (size_t k = 0; k < samples.size(); k++) {
            for (int a = 0; a < 3; a++)
                sum[owner[k]][a] += samples[k].c[a] * samples[k].weight;
            weight[owner[k]] += samples[k].weight;
        }
        for (int i = STATIC_LOW; i < STATIC_LOW + made; i++)
            if (weight[i] > 0)
                for (int a = 0; a < 3; a++)
                    centres[i][a] = sum[i][a] / weight[i];
    }

    // Free entries ordered dark to light, which makes the table readable.
    struct Entry { double c[3]; };
    std::vector<Entry> order;
    for (int i = STATIC_LOW; i < STATIC_LOW + made; i++) {
        Entry e = { { centres[i][0], centres[i][1], centres[i][2] } };
        order.push_back(e);
    }
    std::stable_sort(order.begin(), order.end(), [](const Entry& a, const Entry& b) {
        return 3 * a.c[0] + 6 * a.c[1] + a.c[2] < 3 * b.c[0] + 6 * b.c[1] + b.c[2];
    });
    for (int i = 0; i < 256; i++)
        for (int a = 0; a < 3; a++) {
            double v = centres[i][a];
            if (i >= STATIC_LOW && i < STATIC_LOW + made)
                v = order[size_t(i - STATIC_LOW)].c[a];
            palette->rgb[i][a] = toByte(v);
        }
}

std::vector<unsigned char> mapToPalette(const Canvas& canvas,
                                        const Palette& palette)
{
    std::vector<unsigned char> indices(canvas.pixels.size());
    unsigned lastColour = 0xFFFFFFFFu;
    int lastIndex = 0;
    for (size_t k = 0; k < canvas.pixels.size(); k++) {
        unsigned packed = packPixel(canvas.pixels[k]);
        if (packed != lastColour) {
            lastIndex = nearestEntry(palette, int(packed >> 16),
                                     int((packed >> 8) & 0xFF),
                                     int(packed & 0xFF), 0, 255);
            lastColour = packed;
        }
        indices[k] = (unsigned char)lastIndex;
    }
    return indices;
}

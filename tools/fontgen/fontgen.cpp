// fontgen: rasterises the demo's two built-in fonts from a TrueType font and
// writes them as glyph records.
//
//   fontgen LARGE.ttf SMALL.ttf OUT_DIR [--preview]
//
// writes OUT_DIR/glyph_records.bin (every record back to back, LargeFont first)
// and OUT_DIR/font_tables.inc (character -> record start and coverage count);
// --preview prints every glyph as text art.
//
// Every glyph has a fixed box (width, height, offsets, advance); the letter's
// outline is fitted into that box rather than placed at its natural size:
//  - vertically it keeps the font's proportions, scaled so that the capital
//    height fills the font's cap rows; letters taller than their box are
//    squeezed into it, shorter ones are centred in it. Letters with a real
//    descender are mapped in two pieces, above and below the baseline, so that
//    the baseline stays on its row boundary.
//  - horizontally a letter wider than its box is narrowed to fit (less a small
//    inset that keeps neighbours apart); a narrower one is centred.
// Coverage is box supersampling of the outline (non-zero winding) with N x N
// samples per pixel. LargeFont uses 7 x 7 and stores floor(255 k / 49);
// SmallFont uses 16 x 16 and rounds 255 k / 256, so it uses the whole range.
// The output depends only on the input fonts: running it again gives the same
// bytes.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct GlyphBox {
    char character;
    std::uint16_t width;
    std::uint16_t height;
    std::int32_t offsetX;
    std::int32_t offsetY;
    float advance;  // the stored single
};

// LargeFont: pen y lies 10 rows above the baseline; capitals 16 rows tall.
// Advances are about k * 10 / 7 for k = 4 .. 10, stored as these singles.
constexpr float Adv4 = 5.7142863f;
constexpr float Adv5 = 7.1428576f;
constexpr float Adv6 = 8.571429f;
constexpr float Adv7 = 10.000001f;
constexpr float Adv8 = 11.428573f;
constexpr float Adv9 = 12.857143f;
constexpr float Adv10 = 14.285715f;

struct BoxGroup {
    const char* characters;
    std::uint16_t width;
    std::uint16_t height;
    std::int32_t offsetX;
    std::int32_t offsetY;
    float advance;
};

const BoxGroup LargeGroups[] = {
    {".", 2, 2, 1, 8, Adv4},
    {":", 2, 10, 1, -2, Adv4},
    {"i", 2, 15, 1, -5, Adv4},
    {"l", 2, 16, 1, -6, Adv4},
    {",", 3, 4, 0, 8, Adv4},
    {"I", 5, 16, 0, -6, Adv4},
    {" ", 7, 0, 0, 10, Adv5},
    {"1", 5, 16, 1, -6, Adv6},
    {"j", 6, 18, 0, -5, Adv6},
    {"-", 8, 2, 0, 1, Adv6},
    {"+", 10, 10, 0, -3, Adv8},  // ours: its bar centred on the rows of "-"
    {"r", 8, 12, 0, -2, Adv6},
    {"t", 8, 15, 0, -5, Adv6},
    {"/f", 8, 16, 0, -6, Adv6},
    {"acnsz", 9, 12, 0, -2, Adv7},
    {"EFJLZhk", 9, 16, 0, -6, Adv7},
    {"eouvx", 11, 12, 0, -2, Adv8},
    {"gpqy", 11, 15, 0, -2, Adv8},
    {"#0234569ABDHKNPRSTVXYbd", 11, 16, 0, -6, Adv8},
    {"CGOQU", 12, 16, 0, -6, Adv9},
    {"mw", 13, 12, 0, -2, Adv10},
    {"%@", 13, 14, 0, -5, Adv10},
    {"MW", 13, 16, 0, -6, Adv10},
};

// SmallFont: pen y is the top of the capitals, the baseline 18 rows below.
// "M", "o" and "x" are ours, in the same scheme as the other six.
const BoxGroup SmallGroups[] = {
    {"-", 11, 5, 0, 9, 11.113259f},
    {"S", 15, 19, 0, 0, 14.817679f},
    {"a", 12, 12, 0, 6, 12.430939f},
    {"c", 12, 12, 0, 6, 12.555248f},
    {"e", 13, 12, 0, 6, 12.679558f},
    {"p", 15, 16, 0, 6, 14.917127f},
    {"M", 19, 18, 0, 0, 19.337017f},
    {"o", 13, 12, 0, 6, 13.176796f},
    {"x", 13, 12, 0, 6, 12.803867f},
};

struct FontDesign {
    const char* name;
    int baselineBelowPen;  // rows from the pen's y down to the baseline
    double capRows;        // rows the capital height fills
    double xRows;          // rows the x-height fills
    int samples;           // N: N x N samples per pixel
    double insetX;         // columns kept free on each side of a narrowed letter
    double stretchX;       // natural width factor (below 1 condenses)
    std::vector<GlyphBox> boxes;
};

std::vector<GlyphBox> expand(const BoxGroup* groups, std::size_t count) {
    std::vector<GlyphBox> boxes;
    for (std::size_t g = 0; g < count; ++g) {
        for (const char* c = groups[g].characters; *c != 0; ++c) {
            boxes.push_back({*c, groups[g].width, groups[g].height, groups[g].offsetX,
                             groups[g].offsetY, groups[g].advance});
        }
    }
    std::sort(boxes.begin(), boxes.end(), [](const GlyphBox& a, const GlyphBox& b) {
        return static_cast<unsigned char>(a.character) < static_cast<unsigned char>(b.character);
    });
    return boxes;
}

struct Point {
    double x;
    double y;
};
using Contour = std::vector<Point>;

struct OutlineSink {
    std::vector<Contour> contours;
    Point last{};
};

constexpr int CurveSteps = 12;

int moveTo(const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    sink->contours.emplace_back();
    sink->last = {static_cast<double>(to->x), static_cast<double>(to->y)};
    sink->contours.back().push_back(sink->last);
    return 0;
}
int lineTo(const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    sink->last = {static_cast<double>(to->x), static_cast<double>(to->y)};
    sink->contours.back().push_back(sink->last);
    return 0;
}
int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    const Point p0 = sink->last;
    const Point p1{static_cast<double>(control->x), static_cast<double>(control->y)};
    const Point p2{static_cast<double>(to->x), static_cast<double>(to->y)};
    for (int i = 1; i <= CurveSteps; ++i) {
        const double t = static_cast<double>(i) / CurveSteps, u = 1 - t;
        sink->contours.back().push_back(
            {u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
    }
    sink->last = p2;
    return 0;
}
int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    const Point p0 = sink->last;
    const Point p1{static_cast<double>(c1->x), static_cast<double>(c1->y)};
    const Point p2{static_cast<double>(c2->x), static_cast<double>(c2->y)};
    const Point p3{static_cast<double>(to->x), static_cast<double>(to->y)};
    for (int i = 1; i <= CurveSteps; ++i) {
        const double t = static_cast<double>(i) / CurveSteps, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        sink->contours.back().push_back(
            {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
    sink->last = p3;
    return 0;
}

std::vector<Contour> loadOutline(FT_Face face, char character) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(character));
    if (index == 0 ||
        FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        std::cerr << "fontgen: no outline for '" << character << "'\n";
        std::exit(1);
    }
    OutlineSink sink;
    FT_Outline_Funcs funcs{};
    funcs.move_to = moveTo;
    funcs.line_to = lineTo;
    funcs.conic_to = conicTo;
    funcs.cubic_to = cubicTo;
    FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
    return sink.contours;
}

struct Bounds {
    double xMin = 1e30, xMax = -1e30, yMin = 1e30, yMax = -1e30;
};
Bounds boundsOf(const std::vector<Contour>& contours) {
    Bounds b;
    for (const Contour& c : contours) {
        for (const Point& p : c) {
            b.xMin = std::min(b.xMin, p.x);
            b.xMax = std::max(b.xMax, p.x);
            b.yMin = std::min(b.yMin, p.y);
            b.yMax = std::max(b.yMax, p.y);
        }
    }
    return b;
}

// Non-zero winding number of the closed contours around (x, y).
bool inside(const std::vector<Contour>& contours, double x, double y) {
    int winding = 0;
    for (const Contour& c : contours) {
        for (std::size_t i = 0; i < c.size(); ++i) {
            const Point& a = c[i];
            const Point& b = c[(i + 1) % c.size()];
            const double cross = (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y);
            if (a.y <= y && b.y > y && cross > 0) ++winding;
            if (b.y <= y && a.y > y && cross < 0) --winding;
        }
    }
    return winding != 0;
}

// The font's own plus sign is thinner than our 2-pixel "-"; ours is drawn on
// the pixel grid in the 10 x 10 box: a bar on rows 4-5 and a stem on columns
// 4-5, each 8 pixels long. Coordinates are pixel columns and rows (down).
std::vector<Contour> plusSign() {
    const auto rect = [](double x0, double y0, double x1, double y1) {
        return Contour{{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
    };
    return {rect(1, 4, 9, 6), rect(4, 1, 6, 4), rect(4, 6, 6, 9)};
}

std::vector<std::uint8_t> sample(const std::vector<Contour>& contours, int n, const GlyphBox& box);

double capUnitsOf(FT_Face face) { return boundsOf(loadOutline(face, 'H')).yMax; }

// The coverage rows of one glyph: width x height bytes, top row first.
std::vector<std::uint8_t> rasterise(FT_Face face, const FontDesign& design, const GlyphBox& box) {
    std::vector<std::uint8_t> coverage(static_cast<std::size_t>(box.width) * box.height, 0);
    if (box.height == 0) return coverage;

    std::vector<Contour> contours = box.character == '+' ? plusSign() : loadOutline(face, box.character);
    const Bounds ink = boundsOf(contours);
    const double capUnits = capUnitsOf(face);
    const double scale = design.capRows / capUnits;  // rows per font unit

    // Box edges in rows above the baseline.
    const double top = design.baselineBelowPen - box.offsetY;
    const double bottom = top - box.height;

    const double inkWidth = ink.xMax - ink.xMin;
    const double natural = scale * design.stretchX;
    // Glyphs of two or three columns need every column for their stem.
    const double inset = box.width <= 3 ? 0.0 : design.insetX;
    const double fit = (box.width - 2 * inset) / inkWidth;
    const double sx = std::min(natural, fit);
    const double left = (box.width - inkWidth * sx) / 2;

    if (box.character == '+') return sample(contours, design.samples, box);

    const bool descender = ink.yMin < -0.15 * capUnits && bottom < 0;
    const bool dotted = box.character == 'i' || box.character == 'j';
    const double xUnits = boundsOf(loadOutline(face, 'x')).yMax;
    const double inkHeight = ink.yMax - ink.yMin;
    const double sy = std::min(scale, (top - bottom) / inkHeight);
    const double lift = bottom + ((top - bottom) - inkHeight * sy) / 2;

    for (Contour& c : contours) {
        for (Point& p : c) {
            double up;
            if (dotted && p.y >= 0) {
                // The dot sits above the x-height: stem and dot are fitted apart,
                // so that the stem starts on the x-height row like its neighbours.
                up = p.y <= xUnits ? p.y * (design.xRows / xUnits)
                                   : design.xRows + (p.y - xUnits) * ((top - design.xRows) / (ink.yMax - xUnits));
            } else if (p.y < 0 && descender) {
                up = p.y * (bottom / ink.yMin);
            } else if (descender) {
                up = p.y >= 0 ? p.y * (top / ink.yMax) : p.y * (bottom / ink.yMin);
            } else {
                up = lift + (p.y - ink.yMin) * sy;
            }
            p = {left + (p.x - ink.xMin) * sx, top - up};  // pixel columns, rows down
        }
    }

    return sample(contours, design.samples, box);
}

std::vector<std::uint8_t> sample(const std::vector<Contour>& contours, int n, const GlyphBox& box) {
    std::vector<std::uint8_t> coverage(static_cast<std::size_t>(box.width) * box.height, 0);
    const int full = n * n;
    for (int row = 0; row < box.height; ++row) {
        for (int col = 0; col < box.width; ++col) {
            int hits = 0;
            for (int sy2 = 0; sy2 < n; ++sy2) {
                for (int sx2 = 0; sx2 < n; ++sx2) {
                    if (inside(contours, col + (sx2 + 0.5) / n, row + (sy2 + 0.5) / n)) ++hits;
                }
            }
            // 7 x 7: floor(255 k / 49). Finer grids: rounded, so the whole range shows up.
            const int value = n == 7 ? 255 * hits / full : (255 * hits + full / 2) / full;
            coverage[static_cast<std::size_t>(row) * box.width + col] = static_cast<std::uint8_t>(value);
        }
    }
    return coverage;
}

void putU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

struct TableRow {
    char character;
    std::uint32_t recordStart;
    std::uint32_t coverageCount;
};

std::vector<TableRow> appendFont(FT_Face face, const FontDesign& design, std::vector<std::uint8_t>& blob,
                                 std::ostream& preview) {
    std::vector<TableRow> rows;
    for (const GlyphBox& box : design.boxes) {
        const std::vector<std::uint8_t> coverage = rasterise(face, design, box);
        const auto start = static_cast<std::uint32_t>(blob.size());
        putU16(blob, box.width);
        putU32(blob, static_cast<std::uint32_t>(box.offsetX));
        putU32(blob, static_cast<std::uint32_t>(box.offsetY));
        std::uint32_t advanceBits;
        std::memcpy(&advanceBits, &box.advance, 4);
        putU32(blob, advanceBits);
        blob.insert(blob.end(), coverage.begin(), coverage.end());
        blob.push_back(0);  // the terminating byte
        rows.push_back({box.character, start, static_cast<std::uint32_t>(coverage.size() + 1)});

        preview << design.name << " '" << box.character << "' " << box.width << "x" << box.height << "\n";
        const char* ramp = " .:-=+*#%@";
        for (int r = 0; r < box.height; ++r) {
            for (int c = 0; c < box.width; ++c) preview << ramp[coverage[r * box.width + c] * 9 / 255];
            preview << "|\n";
        }
    }
    return rows;
}

std::string characterLiteral(char c) {
    if (c == '\'' || c == '\\') return std::string("'\\") + c + "'";
    return std::string("'") + c + "'";
}

void writeTable(std::ostream& out, const char* name, const std::vector<TableRow>& rows) {
    out << "inline constexpr FontTableRow " << name << "[] = {\n";
    for (const TableRow& r : rows) {
        out << "    {" << characterLiteral(r.character) << ", " << r.recordStart << ", " << r.coverageCount
            << "},\n";
    }
    out << "};\n";
}

}  // namespace

int main(int argc, char** argv) {
    const bool showPreview = argc == 5 && std::string(argv[4]) == "--preview";
    if (argc != 4 && !showPreview) {
        std::cerr << "usage: fontgen LARGE.ttf SMALL.ttf OUT_DIR [--preview]\n";
        return 2;
    }
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) return 1;
    FT_Face large, small;
    if (FT_New_Face(library, argv[1], 0, &large) != 0 || FT_New_Face(library, argv[2], 0, &small) != 0) {
        std::cerr << "fontgen: cannot open the fonts\n";
        return 1;
    }

    const FontDesign largeDesign{"LargeFont", 10, 16.0, 12.0, 7, 0.2, 1.0,
                                 expand(LargeGroups, std::size(LargeGroups))};
    const FontDesign smallDesign{"SmallFont", 18, 18.0, 12.0, 16, 0.0, 1.0,
                                 expand(SmallGroups, std::size(SmallGroups))};

    std::vector<std::uint8_t> blob;
    std::ostringstream preview;
    const auto largeRows = appendFont(large, largeDesign, blob, preview);
    const auto smallRows = appendFont(small, smallDesign, blob, preview);

    const std::string dir = argv[3];
    std::ofstream(dir + "/glyph_records.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(blob.data()), static_cast<std::streamsize>(blob.size()));

    std::ofstream tables(dir + "/font_tables.inc");
    tables << "// Generated by tools/fontgen from " << large->family_name << " " << large->style_name
           << " (LargeFont) and " << small->family_name << " " << small->style_name
           << " (SmallFont); do not edit.\n"
           << "// Each row: character, start of its record in glyph_records.bin, coverage count n\n"
           << "// (width x height + 1, the terminating byte included).\n";
    writeTable(tables, "LargeFontTable", largeRows);
    writeTable(tables, "SmallFontTable", smallRows);

    if (showPreview) std::cout << preview.str();
    std::cout << "fontgen: " << largeRows.size() + smallRows.size() << " glyphs, " << blob.size()
              << " bytes\n";
    FT_Done_Face(large);
    FT_Done_Face(small);
    FT_Done_FreeType(library);
    return 0;
}

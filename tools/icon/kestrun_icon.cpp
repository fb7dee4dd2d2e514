// kestrun-icon OUTPUT.ico
//
// Draws the tool's icon, a USB stick taking an arrow of new firmware, and writes it as an icon
// file with nine images: 48, 32 and 16 pixels square, each with 16 colours, 256 colours and
// 32 bits with alpha. The resource compiler turns the file into icon group 128.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Colour {
    std::uint8_t r, g, b;
};

struct Pixel {
    double r = 0, g = 0, b = 0, a = 0; // straight colour, alpha 0..1
};

constexpr Colour kBody{0x1F, 0x5F, 0x8B};
constexpr Colour kBodyEdge{0x0E, 0x33, 0x52};
constexpr Colour kPlug{0xC8, 0xC8, 0xC8};
constexpr Colour kPlugHole{0x40, 0x40, 0x40};
constexpr Colour kArrow{0xFF, 0xD2, 0x3F};

// Shapes in a unit square, y downwards.
bool InRoundedRect(double x, double y, double l, double t, double r, double b, double radius) {
    if (x < l || x > r || y < t || y > b) {
        return false;
    }
    const double cx = std::clamp(x, l + radius, r - radius);
    const double cy = std::clamp(y, t + radius, b - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

bool InTriangle(double x, double y, double x1, double y1, double x2, double y2, double x3,
                double y3) {
    const auto side = [&](double ax, double ay, double bx, double by) {
        return (bx - ax) * (y - ay) - (by - ay) * (x - ax);
    };
    const double d1 = side(x1, y1, x2, y2);
    const double d2 = side(x2, y2, x3, y3);
    const double d3 = side(x3, y3, x1, y1);
    return !((d1 < 0 || d2 < 0 || d3 < 0) && (d1 > 0 || d2 > 0 || d3 > 0));
}

// The colour at one point, or nothing (transparent); later shapes lie on top.
const Colour* ShapeAt(double x, double y) {
    const Colour* colour = nullptr;
    if (InRoundedRect(x, y, 0.34, 0.04, 0.66, 0.34, 0.02)) {
        colour = &kPlug;
    }
    if (InRoundedRect(x, y, 0.40, 0.12, 0.47, 0.20, 0.0) ||
        InRoundedRect(x, y, 0.53, 0.12, 0.60, 0.20, 0.0)) {
        colour = &kPlugHole;
    }
    if (InRoundedRect(x, y, 0.22, 0.30, 0.78, 0.97, 0.10)) {
        colour = &kBodyEdge;
    }
    if (InRoundedRect(x, y, 0.26, 0.34, 0.74, 0.93, 0.07)) {
        colour = &kBody;
    }
    if (InRoundedRect(x, y, 0.43, 0.40, 0.57, 0.64, 0.0) ||
        InTriangle(x, y, 0.30, 0.62, 0.70, 0.62, 0.50, 0.86)) {
        colour = &kArrow;
    }
    return colour;
}

std::vector<Pixel> Render(int size) {
    constexpr int kSamples = 4;
    std::vector<Pixel> pixels(static_cast<std::size_t>(size) * size);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Pixel& out = pixels[static_cast<std::size_t>(py) * size + px];
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = (px + (sx + 0.5) / kSamples) / size;
                    const double y = (py + (sy + 0.5) / kSamples) / size;
                    if (const Colour* c = ShapeAt(x, y)) {
                        out.r += c->r;
                        out.g += c->g;
                        out.b += c->b;
                        out.a += 1;
                    }
                }
            }
            if (out.a > 0) {
                out.r /= out.a;
                out.g /= out.a;
                out.b /= out.a;
            }
            out.a /= kSamples * kSamples;
        }
    }
    return pixels;
}

// The 16 colours of the standard VGA palette.
const std::vector<Colour>& VgaPalette() {
    static const std::vector<Colour> palette = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    return palette;
}

// 256 colours: the drawing's own, then a 6x6x6 cube and greys for the edges' blends.
const std::vector<Colour>& WidePalette() {
    static const std::vector<Colour> palette = [] {
        std::vector<Colour> p = {{0, 0, 0}, kBody, kBodyEdge, kPlug, kPlugHole, kArrow};
        for (int r = 0; r < 6; ++r) {
            for (int g = 0; g < 6; ++g) {
                for (int b = 0; b < 6; ++b) {
                    p.push_back({static_cast<std::uint8_t>(r * 51),
                                 static_cast<std::uint8_t>(g * 51),
                                 static_cast<std::uint8_t>(b * 51)});
                }
            }
        }
        for (int i = 1; p.size() < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i * 7);
            p.push_back({v, v, v});
        }
        return p;
    }();
    return palette;
}

std::uint8_t Nearest(const std::vector<Colour>& palette, const Pixel& p) {
    std::size_t best = 0;
    double bestDistance = 1e18;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const double dr = palette[i].r - p.r, dg = palette[i].g - p.g, db = palette[i].b - p.b;
        const double distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::size_t RowBytes(int size, int bits) {
    return (static_cast<std::size_t>(size) * bits + 31) / 32 * 4;
}

// One icon image: BITMAPINFOHEADER, palette, colour rows and the AND mask, both bottom-up.
std::vector<std::uint8_t> EncodeImage(const std::vector<Pixel>& pixels, int size, int bits) {
    const std::vector<Colour>* palette = bits == 4   ? &VgaPalette()
                                         : bits == 8 ? &WidePalette()
                                                     : nullptr;
    const std::size_t colourRow = RowBytes(size, bits);
    const std::size_t maskRow = RowBytes(size, 1);
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(size * 2));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bits));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>((colourRow + maskRow) * size));
    for (int i = 0; i < 4; ++i) {
        Put32(out, 0);
    }
    if (palette != nullptr) {
        for (const Colour& c : *palette) {
            out.insert(out.end(), {c.b, c.g, c.r, 0});
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(colourRow, 0);
        for (int x = 0; x < size; ++x) {
            const Pixel& p = pixels[static_cast<std::size_t>(y) * size + x];
            const bool opaque = p.a >= 0.5;
            if (bits == 32) {
                const auto alpha = static_cast<std::uint8_t>(p.a * 255 + 0.5);
                row[4 * x] = static_cast<std::uint8_t>(p.b);
                row[4 * x + 1] = static_cast<std::uint8_t>(p.g);
                row[4 * x + 2] = static_cast<std::uint8_t>(p.r);
                row[4 * x + 3] = alpha;
            } else if (opaque) {
                const std::uint8_t index = Nearest(*palette, p);
                if (bits == 8) {
                    row[x] = index;
                } else {
                    row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
                }
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRow, 0);
        for (int x = 0; x < size; ++x) {
            if (pixels[static_cast<std::size_t>(y) * size + x].a < 0.5) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrun-icon OUTPUT.ico\n");
        return 2;
    }
    struct Entry {
        int size;
        int bits;
        std::vector<std::uint8_t> data;
    };
    std::vector<Entry> entries;
    for (const int size : {48, 32, 16}) {
        const std::vector<Pixel> pixels = Render(size);
        for (const int bits : {4, 8, 32}) {
            entries.push_back({size, bits, EncodeImage(pixels, size, bits)});
        }
    }
    std::vector<std::uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, static_cast<std::uint32_t>(entries.size()));
    std::size_t offset = 6 + 16 * entries.size();
    for (const Entry& e : entries) {
        file.push_back(static_cast<std::uint8_t>(e.size));
        file.push_back(static_cast<std::uint8_t>(e.size));
        file.push_back(e.bits == 4 ? 16 : 0);
        file.push_back(0);
        Put16(file, 1);
        Put16(file, static_cast<std::uint32_t>(e.bits));
        Put32(file, static_cast<std::uint32_t>(e.data.size()));
        Put32(file, static_cast<std::uint32_t>(offset));
        offset += e.data.size();
    }
    for (const Entry& e : entries) {
        file.insert(file.end(), e.data.begin(), e.data.end());
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
        std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}

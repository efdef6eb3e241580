// Draws the page picture: an uncompressed 24-bit bitmap of 197 by 217 pixels at 11,808 pixels per
// metre. Our own drawing: a sky fading into a sea, two servers and a link between them.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 197, kHeight = 217, kPixelsPerMetre = 11808;

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

struct Rgb {
    int r, g, b;
};

bool in_box(int x, int y, int left, int top, int w, int h) { return x >= left && x < left + w && y >= top && y < top + h; }

Rgb pixel(int x, int y) {  // y counts from the top
    // Two server towers, their lamps, and a dashed link arcing between them.
    for (int tower : {28, 124}) {
        if (in_box(x, y, tower, 92, 46, 96)) {
            bool slot = (y - 100) % 18 < 4 && x > tower + 6 && x < tower + 40;
            bool lamp = (y - 100) % 18 >= 8 && (y - 100) % 18 < 12 && x > tower + 32 && x < tower + 38;
            if (lamp) return tower == 28 ? Rgb{200, 60, 50} : Rgb{60, 190, 80};
            return slot ? Rgb{40, 46, 60} : Rgb{120, 130, 150};
        }
    }
    double arc = 92 - 40 * std::sin(M_PI * (x - 51) / 96.0);
    if (x > 51 && x < 147 && std::abs(y - arc) < 2.0 && (x / 6) % 2 == 0) return {250, 210, 60};
    double t = double(y) / kHeight;
    if (y > 188) return {int(30 + 20 * t), int(70 + 40 * t), int(110 + 60 * t)};
    return {int(90 + 120 * t), int(140 + 90 * t), int(200 + 40 * t)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    const int row = (kWidth * 3 + 3) / 4 * 4;
    // Paint programs of the time end the pixel data with two bytes of padding: 128,520 bytes in all.
    const std::uint32_t image_size = std::uint32_t(row * kHeight + 2);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 14 + 40 + image_size);
    put32(out, 0);
    put32(out, 14 + 40);
    put32(out, 40);
    put32(out, kWidth);
    put32(out, kHeight);
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);  // no compression
    put32(out, image_size);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, 0);
    put32(out, 0);
    for (int y = kHeight - 1; y >= 0; --y) {  // bottom-up rows
        for (int x = 0; x < kWidth; ++x) {
            Rgb c = pixel(x, y);
            out.push_back(std::uint8_t(c.b));
            out.push_back(std::uint8_t(c.g));
            out.push_back(std::uint8_t(c.r));
        }
        for (int pad = kWidth * 3; pad < row; ++pad) out.push_back(0);
    }
    out.push_back(0);
    out.push_back(0);
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}

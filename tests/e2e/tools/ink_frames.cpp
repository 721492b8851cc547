// Reads the pictures of a saved lesson (raw RGB, 3 bytes a pixel, frame after
// frame, as `ffmpeg -f rawvideo -pix_fmt rgb24` writes them) and says per
// frame what a drawing test asks, one line each:
//
//   ink_frames stroke <file> <width> <height> <left> <top> <path> [<path> ...]
//       "<frame> red <count> covered <0|1> farthest <distance>": the red
//       pixels, whether every point along the first path has a red pixel
//       within 2 pixels, and how far the red pixel farthest from every path
//       lies. A path is "x1,y1;x2,y2;..." in screen pixels; <left> <top> is
//       where the picture's top-left pixel is on the screen.
//   ink_frames ring <file> <width> <height> <left> <top>
//       "<frame> yellow <count> centre <x> <y>": the yellow pixels and the
//       centre of the circle through them (a click ring's centre), in screen
//       pixels. The circle is fitted to the pixels (least squares), so a part
//       of the ring hidden under the mouse pointer does not move the centre.
//
// Exit code 0, or 2 on bad arguments or an unreadable file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct PointF {
    double x, y;
};
using Path = std::vector<PointF>;

Path ParsePath(const char* text) {
    Path path;
    std::string s(text);
    size_t at = 0;
    while (at < s.size()) {
        size_t end = s.find(';', at);
        if (end == std::string::npos) end = s.size();
        const std::string pair = s.substr(at, end - at);
        const size_t comma = pair.find(',');
        if (comma != std::string::npos)
            path.push_back(PointF{std::atof(pair.substr(0, comma).c_str()), std::atof(pair.substr(comma + 1).c_str())});
        at = end + 1;
    }
    return path;
}

double DistanceToPath(double px, double py, const Path& path) {
    double best = 1e18;
    for (size_t i = 0; i + 1 < path.size() || (path.size() == 1 && i == 0); ++i) {
        const PointF a = path[i], b = path.size() == 1 ? path[0] : path[i + 1];
        const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
        double t = l2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / l2 : 0;
        t = t < 0 ? 0 : (t > 1 ? 1 : t);
        best = std::fmin(best, std::hypot(a.x + t * dx - px, a.y + t * dy - py));
        if (path.size() == 1) break;
    }
    return best;
}

bool IsRed(const unsigned char* p) { return p[0] > 150 && p[1] < 100 && p[2] < 100; }
bool IsYellow(const unsigned char* p) { return p[0] > 150 && p[1] > 130 && p[2] < 110; }

// Points every pixel along a path, its corners included.
Path Samples(const Path& path) {
    Path samples;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const PointF a = path[i], b = path[i + 1];
        const int steps = static_cast<int>(std::ceil(std::hypot(b.x - a.x, b.y - a.y)));
        for (int s = 0; s <= steps; ++s) {
            const double t = steps > 0 ? static_cast<double>(s) / steps : 0;
            samples.push_back(PointF{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    if (path.size() == 1) samples = path;
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) {
        std::fprintf(stderr, "usage: ink_frames stroke|ring <file> <width> <height> <left> <top> [paths...]\n");
        return 2;
    }
    const std::string mode = argv[1];
    FILE* file = std::fopen(argv[2], "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 2;
    }
    const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    const double left = std::atof(argv[5]), top = std::atof(argv[6]);
    std::vector<Path> paths;
    for (int i = 7; i < argc; ++i) paths.push_back(ParsePath(argv[i]));
    if (width <= 0 || height <= 0 || (mode == "stroke" && paths.empty())) return 2;
    const Path samples = mode == "stroke" ? Samples(paths[0]) : Path{};

    std::vector<unsigned char> frame(static_cast<size_t>(width) * height * 3);
    for (int index = 0; std::fread(frame.data(), 1, frame.size(), file) == frame.size(); ++index) {
        auto pixel = [&](int x, int y) { return &frame[(static_cast<size_t>(y) * width + x) * 3]; };
        if (mode == "stroke") {
            int red = 0;
            double farthest = 0;
            std::vector<char> redAt(static_cast<size_t>(width) * height, 0);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    if (!IsRed(pixel(x, y))) continue;
                    redAt[static_cast<size_t>(y) * width + x] = 1;
                    ++red;
                    double nearest = 1e18;
                    for (const Path& p : paths) nearest = std::fmin(nearest, DistanceToPath(left + x, top + y, p));
                    farthest = std::fmax(farthest, nearest);
                }
            bool covered = red > 0;
            for (const PointF& s : samples) {
                bool found = false;
                const int cx = static_cast<int>(std::lround(s.x - left)), cy = static_cast<int>(std::lround(s.y - top));
                for (int y = cy - 2; y <= cy + 2 && !found; ++y)
                    for (int x = cx - 2; x <= cx + 2 && !found; ++x)
                        found = x >= 0 && y >= 0 && x < width && y < height &&
                                redAt[static_cast<size_t>(y) * width + x] != 0 &&
                                std::hypot(left + x - s.x, top + y - s.y) <= 2.0;
                if (!found) {
                    covered = false;
                    break;
                }
            }
            std::printf("%d red %d covered %d farthest %.1f\n", index, red, covered ? 1 : 0, farthest);
        } else {
            // x^2 + y^2 + D x + E y + F = 0 through the pixels: the centre is
            // (-D/2, -E/2). Normal equations of the least-squares fit.
            double m[3][4] = {};
            int yellow = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    if (!IsYellow(pixel(x, y))) continue;
                    ++yellow;
                    const double row[3] = {static_cast<double>(x), static_cast<double>(y), 1.0};
                    const double rhs = -(static_cast<double>(x) * x + static_cast<double>(y) * y);
                    for (int i = 0; i < 3; ++i) {
                        for (int j = 0; j < 3; ++j) m[i][j] += row[i] * row[j];
                        m[i][3] += row[i] * rhs;
                    }
                }
            // Gaussian elimination with partial pivoting.
            bool solved = yellow >= 3;
            for (int c = 0; c < 3 && solved; ++c) {
                int best = c;
                for (int r = c + 1; r < 3; ++r)
                    if (std::fabs(m[r][c]) > std::fabs(m[best][c])) best = r;
                if (std::fabs(m[best][c]) < 1e-9) {
                    solved = false;
                    break;
                }
                for (int k = 0; k < 4; ++k) std::swap(m[c][k], m[best][k]);
                for (int r = 0; r < 3; ++r) {
                    if (r == c) continue;
                    const double f = m[r][c] / m[c][c];
                    for (int k = 0; k < 4; ++k) m[r][k] -= f * m[c][k];
                }
            }
            if (solved) {
                const double d = m[0][3] / m[0][0], e = m[1][3] / m[1][1];
                std::printf("%d yellow %d centre %.2f %.2f\n", index, yellow, left - d / 2, top - e / 2);
            } else {
                std::printf("%d yellow %d centre - -\n", index, yellow);
            }
        }
    }
    std::fclose(file);
    return 0;
}

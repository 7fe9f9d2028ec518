#include "relief.h"

#include <QPainter>
#include <QtMath>
#include <cmath>
#include <cstdint>

namespace artwork {
namespace {

// The direction the light comes from: upper left, fairly high.
const double LightX = -0.55, LightY = -0.62, LightZ = 0.56;

double hash(int x, int y, int seed) {
    std::uint32_t h =
        std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + std::uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double(h ^ (h >> 16)) / 4294967295.0;
}

double smoothNoise(double x, double y, int seed) {
    const int xi = int(std::floor(x)), yi = int(std::floor(y));
    const double fx = x - xi, fy = y - yi;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = hash(xi, yi, seed), b = hash(xi + 1, yi, seed);
    const double c = hash(xi, yi + 1, seed), d = hash(xi + 1, yi + 1, seed);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

// Fractal noise in [0, 1]: large blotches with finer ones on top, like cast or hammered metal.
double mottle(double x, double y) {
    double sum = 0, weight = 0, amp = 1, f = 1;
    for (int octave = 0; octave < 5; ++octave) {
        sum += amp * smoothNoise(x * f, y * f, octave + 7);
        weight += amp;
        amp *= 0.55;
        f *= 2.1;
    }
    return sum / weight;
}

// Three passes of a box blur come close to a Gaussian.
std::vector<float> blurred(std::vector<float> v, int w, int h, int radius) {
    std::vector<float> tmp(v.size());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            double acc = 0;
            for (int x = -radius; x <= radius; ++x)
                acc += v[std::size_t(y * w + std::clamp(x, 0, w - 1))];
            for (int x = 0; x < w; ++x) {
                tmp[std::size_t(y * w + x)] = float(acc / (2 * radius + 1));
                acc += v[std::size_t(y * w + std::min(x + radius + 1, w - 1))] -
                       v[std::size_t(y * w + std::max(x - radius, 0))];
            }
        }
        for (int x = 0; x < w; ++x) {
            double acc = 0;
            for (int y = -radius; y <= radius; ++y)
                acc += tmp[std::size_t(std::clamp(y, 0, h - 1) * w + x)];
            for (int y = 0; y < h; ++y) {
                v[std::size_t(y * w + x)] = float(acc / (2 * radius + 1));
                acc += tmp[std::size_t(std::min(y + radius + 1, h - 1) * w + x)] -
                       tmp[std::size_t(std::max(y - radius, 0) * w + x)];
            }
        }
    }
    return v;
}

} // namespace

Surface::Surface(int w, int h)
    : width(w), height(h), cover(std::size_t(w * h), 0.f), z(cover), nx(cover), ny(cover),
      nz(std::size_t(w * h), 1.f), occlusion(std::size_t(w * h), 1.f) {}

void Surface::add(const Surface& other) {
    for (std::size_t i = 0; i < cover.size(); ++i) {
        if (other.cover[i] <= 0)
            continue;
        cover[i] = other.cover[i];
        z[i] = other.z[i];
        nx[i] = other.nx[i];
        ny[i] = other.ny[i];
        nz[i] = other.nz[i];
        occlusion[i] = other.occlusion[i];
    }
}

Surface ringSurface(const Rings& rings, QSize size) {
    Surface s(size.width(), size.height());
    const double w = rings.halfWidth;
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            const QPointF p(x + 0.5, y + 0.5);
            const int v = rings.visibleAt(p);
            if (v < 0)
                continue;
            const std::size_t i = s.at(x, y);
            const double d = rings.offset(v, p) / w;
            const QPointF radial = p - rings.centre[std::size_t(v)];
            const double len = std::hypot(radial.x(), radial.y());
            // A slightly flattened tube: steeper near its edges than a round one, for a crisper emboss.
            const double rise = std::sqrt(std::max(0.0, 1 - d * d));
            const double slope = 1.25 * d;
            const double nlen = std::sqrt(slope * slope + rise * rise);
            s.cover[i] = 1;
            s.nx[i] = float(slope * radial.x() / len / nlen);
            s.ny[i] = float(slope * radial.y() / len / nlen);
            s.nz[i] = float(rise / nlen);
            double shade = 1;
            for (int j = 0; j < 3; ++j) {
                if (j == v)
                    continue;
                const double outside = std::abs(rings.offset(j, p)) - w;
                if (outside >= 0 && outside < 0.6 * w && rings.over(j, v, p))
                    shade = std::min(shade, 0.35 + 0.65 * outside / (0.6 * w)); // tucked under ring j
            }
            s.z[i] = float(0.8 * w * rise);
            s.occlusion[i] = float(shade);
        }
    }
    return s;
}

Surface shapeSurface(const QPainterPath& shape, QSize size, double bevel) {
    QImage mask(size, QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(shape);
    }
    Surface s(size.width(), size.height());
    for (int y = 0; y < s.height; ++y) {
        const uchar* line = mask.constScanLine(y);
        for (int x = 0; x < s.width; ++x)
            s.cover[s.at(x, y)] = line[x] / 255.f;
    }
    const int radius = std::max(1, int(bevel / 2));
    std::vector<float> height = blurred(s.cover, s.width, s.height, radius);
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            const std::size_t i = s.at(x, y);
            if (s.cover[i] <= 0)
                continue;
            // The inside of a blurred mask slopes only near the edge: that slope is the bevel.
            const double h = bevel * height[i];
            const double gx =
                bevel *
                (height[s.at(std::min(x + 1, s.width - 1), y)] - height[s.at(std::max(x - 1, 0), y)]) / 2;
            const double gy =
                bevel *
                (height[s.at(x, std::min(y + 1, s.height - 1))] - height[s.at(x, std::max(y - 1, 0))]) / 2;
            const double n = std::sqrt(gx * gx + gy * gy + 1);
            s.z[i] = float(h);
            s.nx[i] = float(-gx / n);
            s.ny[i] = float(-gy / n);
            s.nz[i] = float(1 / n);
        }
    }
    return s;
}

QImage greyGradient(QSize size, QPointF lightEnd, QPointF darkEnd, int light, int dark) {
    QImage out(size, QImage::Format_RGB32);
    const QPointF axis = darkEnd - lightEnd;
    const double length2 = axis.x() * axis.x() + axis.y() * axis.y();
    for (int y = 0; y < size.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const QPointF p(double(x) / size.width() - lightEnd.x(),
                            double(y) / size.height() - lightEnd.y());
            const double t = std::clamp((p.x() * axis.x() + p.y() * axis.y()) / length2, 0.0, 1.0);
            // A faint fine grain keeps the smooth gradient from showing bands.
            const double v = light + (dark - light) * t + 3 * (hash(x, y, 3) - 0.5);
            const int g = std::clamp(int(std::lround(v)), 0, 255);
            line[x] = qRgb(g, g, std::min(255, g + 4));
        }
    }
    return out;
}

QImage shadeTexturedBlue(const Surface& s, const QImage& background, double grain) {
    const double llen = std::sqrt(LightX * LightX + LightY * LightY + LightZ * LightZ);
    const double lx = LightX / llen, ly = LightY / llen, lz = LightZ / llen;
    const double hx = lx, hy = ly, hz = lz + 1, hlen = std::sqrt(hx * hx + hy * hy + hz * hz);
    const double scale = grain / 24.0; // sizes below are for a grain of 24 pixels

    // The drop shadow on the background: the covered area, moved away from the light and softened.
    const int shift = int(std::lround(7 * scale));
    std::vector<float> cast(s.cover.size(), 0.f);
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            const int sx = x - shift, sy = y - shift;
            if (sx >= 0 && sy >= 0)
                cast[s.at(x, y)] = s.cover[s.at(sx, sy)];
        }
    }
    cast = blurred(cast, s.width, s.height, std::max(1, int(std::lround(4 * scale))));

    QImage out = background.convertToFormat(QImage::Format_RGB32).scaled(s.width, s.height);
    for (int y = 0; y < s.height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < s.width; ++x) {
            const std::size_t i = s.at(x, y);
            const double dark = 1 - 0.42 * cast[i];
            QRgb bg = line[x];
            const double br = qRed(bg) * dark, bgg = qGreen(bg) * dark, bb = qBlue(bg) * dark;
            if (s.cover[i] <= 0) {
                line[x] = qRgb(int(br), int(bgg), int(bb));
                continue;
            }
            const double lit = 1;
            const double n_dot_l = s.nx[i] * lx + s.ny[i] * ly + s.nz[i] * lz;
            const double diffuse = std::max(0.0, n_dot_l) * lit;
            const double n_dot_h = (s.nx[i] * hx + s.ny[i] * hy + s.nz[i] * hz) / hlen;
            const double specular = std::pow(std::max(0.0, n_dot_h), 28) * lit;
            const double m = mottle(x / grain, y / grain);
            const double fine = hash(x, y, 11) - 0.5;
            const double tone = std::clamp(0.15 + 1.3 * (m - 0.5) + 0.5 + 0.12 * fine, 0.0, 1.0);
            const double r = 14 + 62 * tone, g = 44 + 96 * tone, b = 128 + 112 * tone;
            const double light = (0.28 + 0.95 * diffuse) * s.occlusion[i];
            const double cr = r * light + 235 * 0.75 * specular, cg = g * light + 242 * 0.75 * specular,
                         cb = b * light + 255 * 0.75 * specular;
            const double a = s.cover[i];
            line[x] = qRgb(std::clamp(int(br + (cr - br) * a), 0, 255),
                           std::clamp(int(bgg + (cg - bgg) * a), 0, 255),
                           std::clamp(int(bb + (cb - bb) * a), 0, 255));
        }
    }
    return out;
}

} // namespace artwork

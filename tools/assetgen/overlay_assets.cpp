// The font grid, the loading picture and the help picture, painted in float pictures.
#include "overlay_assets.h"

#include "font_picture.h"
#include "noise.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

// Windows-1252 in 128 to 159; the holes of that page have no glyph.
static constexpr char32_t kCodePage1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t fontCodeCharacter(int code)
{
    if (code < 32 || code == 127 || code > 255) return 0;
    if (code >= 128 && code < 160) return kCodePage1252High[code - 128];
    return static_cast<char32_t>(code);
}

Picture makeFontGlyphs()
{
    Picture glyphs(kFontPictureSize, kFontPictureSize, 4);
    // White everywhere, so filtering at a glyph's edge blends toward white and not toward black.
    for (size_t i = 0; i < glyphs.values.size(); i += 4) glyphs.values[i] = glyphs.values[i + 1] = glyphs.values[i + 2] = 1.0f;
    const double band = kFontAdvanceShare * kFontCellSize;
    const std::string faces[2] = {dejaVuSansPath(), dejaVuSansBoldPath()};
    for (int set = 0; set < 2; ++set) {
        TextFace face(faces[set]);
        face.setPixelSize(kFontPixelSize);
        face.setCoverageToAlpha(true);
        for (int code = 32; code < 160; ++code) {
            const char32_t character = fontCodeCharacter(code);
            if (character == 0 || character == U' ') continue;
            const int cell = code - 32 + 128 * set;
            const int x0 = (cell % 16) * kFontCellSize, y0 = (cell / 16) * kFontCellSize;
            const double advance = face.advance(character);
            const double squeeze = advance > band ? band / advance : 1.0;
            face.setClip({x0, y0, x0 + kFontCellSize, y0 + kFontCellSize});
            face.draw(glyphs, x0 + (band - advance * squeeze) / 2.0, y0 + kFontBaseline, std::u32string(1, character),
                      {1.0f, 1.0f, 1.0f}, 1.0f, squeeze);
        }
    }
    return glyphs;
}

static void blend(float* p, const Colour& c, float a)
{
    for (int k = 0; k < 3; ++k) p[k] += (c[k] - p[k]) * a;
}

static Colour mixColour(const Colour& a, const Colour& b, double t)
{
    return {static_cast<float>(mix(a[0], b[0], t)), static_cast<float>(mix(a[1], b[1], t)),
            static_cast<float>(mix(a[2], b[2], t))};
}

struct Point {
    double x, y;
};

// A tapering stroke along a polyline: its coverage is gathered first, so joints do not darken.
static void paintStroke(Picture& picture, const std::vector<Point>& points, double startWidth, double endWidth,
                        const Colour& colour)
{
    std::vector<float> mask(static_cast<size_t>(picture.width) * picture.height, 0.0f);
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const Point a = points[i], b = points[i + 1];
        const double wa = mix(startWidth, endWidth, static_cast<double>(i) / (points.size() - 1)) / 2.0;
        const double wb = mix(startWidth, endWidth, static_cast<double>(i + 1) / (points.size() - 1)) / 2.0;
        const double reach = std::max(wa, wb) + 2.0;
        const int left = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - reach)));
        const int right = std::min(picture.width - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + reach)));
        const int top = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach)));
        const int bottom = std::min(picture.height - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)));
        const double dx = b.x - a.x, dy = b.y - a.y, length2 = std::max(1e-9, dx * dx + dy * dy);
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                const double t = std::clamp(((px - a.x) * dx + (py - a.y) * dy) / length2, 0.0, 1.0);
                const double d = std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
                const float coverage = static_cast<float>(std::clamp(mix(wa, wb, t) - d + 0.5, 0.0, 1.0));
                float& m = mask[static_cast<size_t>(y) * picture.width + x];
                m = std::max(m, coverage);
            }
    }
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (float m = mask[static_cast<size_t>(y) * picture.width + x]; m > 0.0f) blend(picture.at(x, y), colour, m);
}

static std::vector<Point> bezier(Point a, Point control, Point b, int steps)
{
    std::vector<Point> points;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps, u = 1.0 - t;
        points.push_back({u * u * a.x + 2 * u * t * control.x + t * t * b.x, u * u * a.y + 2 * u * t * control.y + t * t * b.y});
    }
    return points;
}

// Text centred on x, with a soft dark copy a few pixels down and right behind it.
static void centredText(Picture& picture, TextFace& face, double centreX, double baseline, const std::u32string& text,
                        const Colour& colour, double shadowOffset)
{
    const double x = centreX - face.width(text) / 2.0;
    for (double spread : {1.0, 0.0}) {
        for (double ox = -spread; ox <= spread; ++ox)
            for (double oy = -spread; oy <= spread; ++oy)
                face.draw(picture, x + shadowOffset + ox, baseline + shadowOffset + oy, text, {0.02f, 0.10f, 0.20f},
                          spread > 0 ? 0.12f : 0.35f);
    }
    face.draw(picture, x, baseline, text, colour);
}

// The island's height above the horizon line at x, in paint pixels.
static double islandProfile(double x, double centre)
{
    const double main = 74.0 * std::exp(-std::pow((x - centre) / 150.0, 2.0));
    const double shoulder = 34.0 * std::exp(-std::pow((x - centre - 125.0) / 80.0, 2.0));
    return main + shoulder - 6.0;
}

Picture makeLoaderScreen(uint64_t seed)
{
    const int w = kOverlayPaintWidth, h = kOverlayPaintHeight;
    Picture picture(w, h, 3);
    const double horizon = 0.64 * h, sunX = 0.72 * w, sunY = 0.40 * h, islandX = 0.30 * w;
    const uint32_t cloudSeed = static_cast<uint32_t>(seed ^ (seed >> 32)) ^ 0x10ADu;
    const Colour skyTop{0.14f, 0.34f, 0.64f}, skyLow{0.80f, 0.87f, 0.92f}, seaHigh{0.32f, 0.58f, 0.68f},
        seaLow{0.04f, 0.25f, 0.42f}, sunGlow{1.0f, 0.90f, 0.72f}, sand{0.92f, 0.84f, 0.62f},
        green{0.16f, 0.40f, 0.22f}, greenDark{0.09f, 0.26f, 0.15f};

    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float* p = picture.at(x, y);
            const double sunDistance = std::hypot(x - sunX, y - sunY);
            Colour c;
            if (y < horizon) {
                c = mixColour(skyTop, skyLow, std::pow(y / horizon, 1.6));
                const double cloud = smoothstep(0.05, 0.45, fbm(x * 0.0045, y * 0.016, 5, cloudSeed));
                blend(c.data(), {1.0f, 1.0f, 1.0f}, static_cast<float>(0.45 * cloud * (1.0 - y / horizon)));
                blend(c.data(), sunGlow, static_cast<float>(0.45 * std::exp(-sunDistance * sunDistance / (2.0 * 130.0 * 130.0))));
                blend(c.data(), {1.0f, 0.98f, 0.90f}, static_cast<float>(smoothstep(44.0, 36.0, sunDistance)));
            } else {
                const double depth = (y - horizon) / (h - horizon);
                c = mixColour(seaHigh, seaLow, std::pow(depth, 0.8));
                // The sun's path on the water: a column that widens toward the viewer and glitters.
                const double spread = 24.0 + 120.0 * depth;
                const double column = std::exp(-std::pow((x - sunX) / spread, 2.0));
                const double glitter = 0.5 + 0.5 * std::sin(y * 0.85 + 6.0 * gradientNoise(x * 0.02, y * 0.08, cloudSeed + 1));
                blend(c.data(), sunGlow, static_cast<float>(0.45 * column * glitter * (1.0 - 0.6 * depth)));
                // The island's reflection, faint and short.
                const double reflected = 0.45 * islandProfile(x, islandX);
                if (y - horizon < reflected)
                    blend(c.data(), greenDark, static_cast<float>(0.35 * smoothstep(reflected, reflected - 6.0, y - horizon)));
            }
            // The island, with a sandy rim at the water.
            const double top = horizon - islandProfile(x, islandX);
            const double inside = smoothstep(top - 1.0, top + 1.0, y) * smoothstep(horizon + 1.5, horizon - 0.5, y);
            if (inside > 0.0) {
                Colour ground = mixColour(green, greenDark, std::clamp((y - top) / 80.0, 0.0, 1.0));
                ground = mixColour(ground, sand, smoothstep(horizon - 9.0, horizon - 4.0, y));
                blend(c.data(), ground, static_cast<float>(inside));
            }
            p[0] = c[0], p[1] = c[1], p[2] = c[2];
        }

    // A palm on the shoulder, leaning toward the sun.
    const double footX = islandX + 95.0;
    const Point foot{footX, horizon - islandProfile(footX, islandX) + 4.0}, crown{foot.x + 40.0, foot.y - 100.0};
    const Colour trunk{0.30f, 0.22f, 0.14f}, frond{0.07f, 0.24f, 0.12f};
    paintStroke(picture, bezier(foot, {foot.x + 4.0, foot.y - 56.0}, crown, 24), 9.0, 5.0, trunk);
    // Fronds all round the crown, arching up and drooping at their tips.
    for (int i = 0; i < 11; ++i) {
        const double a = -3.14159 + 6.28318 * (i + 0.5) / 11.0;
        const double reach = 58.0 + 12.0 * std::cos(a * 2.0 + 0.7);
        const Point tip{crown.x + reach * std::cos(a), crown.y + 0.35 * reach * std::sin(a) + 30.0};
        const Point bend{crown.x + 0.6 * reach * std::cos(a), crown.y - 20.0 + 0.25 * reach * std::sin(a)};
        paintStroke(picture, bezier(crown, bend, tip, 20), 9.0, 1.5, frond);
    }

    TextFace bold(dejaVuSansBoldPath()), regular(dejaVuSansPath());
    bold.setPixelSize(104);
    centredText(picture, bold, w / 2.0, 0.21 * h, U"Quelm 3D", {1.0f, 1.0f, 1.0f}, 4.0);
    regular.setPixelSize(38);
    centredText(picture, regular, w / 2.0, 0.90 * h, U"Loading...", {0.96f, 0.98f, 1.0f}, 2.0);
    return picture;
}

namespace {
struct HelpRow {
    std::u32string keys, action;
};
}

Picture makeHelpScreen()
{
    const int w = kOverlayPaintWidth, h = kOverlayPaintHeight;
    Picture picture(w, h, 3);
    const Colour top{0.05f, 0.13f, 0.27f}, bottom{0.02f, 0.07f, 0.16f}, border{0.55f, 0.76f, 0.95f},
        keyColour{1.0f, 0.84f, 0.45f}, textColour{0.97f, 0.98f, 1.0f}, noteColour{0.70f, 0.80f, 0.90f};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Colour c = mixColour(top, bottom, static_cast<double>(y) / h);
            // A rounded frame inset from the edge.
            const double inset = 16.0, radius = 26.0;
            const double qx = std::max(std::abs(x + 0.5 - w / 2.0) - (w / 2.0 - inset - radius), 0.0);
            const double qy = std::max(std::abs(y + 0.5 - h / 2.0) - (h / 2.0 - inset - radius), 0.0);
            const double d = std::hypot(qx, qy) - radius;
            blend(c.data(), border, static_cast<float>(std::clamp(2.0 - std::abs(d), 0.0, 1.0)));
            float* p = picture.at(x, y);
            p[0] = c[0], p[1] = c[1], p[2] = c[2];
        }

    TextFace bold(dejaVuSansBoldPath()), regular(dejaVuSansPath());
    bold.setPixelSize(52);
    centredText(picture, bold, w / 2.0, 92.0, U"Quelm 3D \u2014 Keys", {1.0f, 1.0f, 1.0f}, 2.0);
    for (int x = 120; x < w - 120; ++x)
        for (int y = 116; y < 118; ++y) blend(picture.at(x, y), border, 0.8f);

    const HelpRow rows[] = {
        {U"Esc or Space", U"end the screensaver"},
        {U"Mouse button or wheel", U"end the screensaver"},
        {U"F1", U"show or hide this help"},
        {U"F", U"show or hide the frame rate"},
        {U"T", U"show or hide the clock"},
        {U"S", U"sound and music on or off"},
        {U"Arrow keys", U"fly to another part of the island"},
    };
    // The largest size at which both columns fit between the margins.
    const double margin = 64.0, gap = 36.0;
    int size = 34;
    double keyWidth = 0.0;
    for (;; --size) {
        bold.setPixelSize(size);
        regular.setPixelSize(size);
        keyWidth = 0.0;
        double actionWidth = 0.0;
        for (const HelpRow& r : rows) {
            keyWidth = std::max(keyWidth, bold.width(r.keys));
            actionWidth = std::max(actionWidth, regular.width(r.action));
        }
        if (2 * margin + keyWidth + gap + actionWidth <= w || size <= 16) break;
    }
    const double keyRight = margin + keyWidth;
    double baseline = 178.0;
    for (const HelpRow& r : rows) {
        bold.draw(picture, keyRight - bold.width(r.keys), baseline, r.keys, keyColour);
        regular.draw(picture, keyRight + gap, baseline, r.action, textColour);
        baseline += 50.0;
    }
    regular.setPixelSize(24);
    centredText(picture, regular, w / 2.0, h - 40.0, U"Moving the mouse ends it too, when chosen in the settings.",
                noteColour, 1.0);
    return picture;
}

std::vector<uint8_t> makeFontPicture(uint64_t) { return encodePictureTga(makeFontGlyphs()); }

std::vector<uint8_t> makeLoaderPicture(uint64_t seed)
{
    return encodePictureJpeg(resampleHeight(makeLoaderScreen(seed), kOverlayPictureHeight), 92);
}

std::vector<uint8_t> makeHelpPicture(uint64_t)
{
    return encodePictureJpeg(resampleHeight(makeHelpScreen(), kOverlayPictureHeight), 94);
}

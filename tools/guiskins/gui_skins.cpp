// Draws the 21 GUI pictures into one folder: the cursors (arrow, three resize arrows, busy) and
// the skins of buttons, dialogs, check boxes and radio buttons in their states, in the logo's
// night blue and amber. Usage: kestrova_guiskins OUTPUT_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/picture/canvas.h"

namespace {

using picture::Canvas;
using picture::Color;
using picture::InPolygon;
using picture::InRoundedRect;
using picture::Mix;
using Polygon = std::vector<std::pair<float, float>>;

const Color BLACK{0, 0, 0};
const Color WHITE{255, 255, 255};
const Color CREAM{255, 247, 240};
const Color AMBER{242, 166, 70};
const Color DEEP_AMBER{196, 112, 40};
const Color NIGHT_TOP{34, 44, 70};
const Color NIGHT_BOTTOM{20, 26, 44};
const Color SLATE{84, 96, 124};
const Color MIST{170, 184, 212};

// Distance from (x, y) to the nearest edge of the polygon.
float EdgeDistance(const Polygon& points, float x, float y)
{
    float best = 1e9f;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        auto [ax, ay] = points[j];
        auto [bx, by] = points[i];
        float dx = bx - ax, dy = by - ay;
        float len2 = dx * dx + dy * dy;
        float t = len2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0f, 1.0f) : 0.0f;
        float ex = ax + t * dx - x, ey = ay + t * dy - y;
        best = std::min(best, std::sqrt(ex * ex + ey * ey));
    }
    return best;
}

auto Solid(Color c)
{
    return [c](float, float) { return c; };
}

// A cursor shape: a soft shadow, a black outline and a white (or given) inside.
void DrawOutlined(Canvas& canvas, const Polygon& shape, Color inside = WHITE)
{
    Polygon shadow = shape;
    for (auto& [x, y] : shadow) {
        x += 1.5f;
        y += 1.5f;
    }
    canvas.Fill([&](float x, float y) { return InPolygon(shadow, x, y); }, Solid(BLACK), 0.3f);
    canvas.Fill([&](float x, float y) { return InPolygon(shape, x, y); }, Solid(BLACK));
    canvas.Fill([&](float x, float y) { return InPolygon(shape, x, y) && EdgeDistance(shape, x, y) >= 1.4f; },
                Solid(inside));
}

// The arrow's tip lies on the picture's top-left corner, the point the GUI hit-tests.
Canvas Arrow()
{
    Canvas canvas(32, 32);
    DrawOutlined(canvas, {{0.2f, 0.2f}, {0.2f, 23.0f}, {5.6f, 17.8f}, {9.6f, 27.0f}, {13.4f, 25.4f},
                          {9.5f, 16.6f}, {16.8f, 16.6f}});
    return canvas;
}

// A double-headed arrow through the centre, turned by the angle (0 = horizontal).
Canvas DoubleArrow(float degrees)
{
    Canvas canvas(32, 32);
    const float half = 14.0f, head = 7.5f, headWidth = 7.5f, shaft = 3.0f;
    Polygon local = {{-half, 0},           {-half + head, -headWidth}, {-half + head, -shaft},
                     {half - head, -shaft}, {half - head, -headWidth},  {half, 0},
                     {half - head, headWidth}, {half - head, shaft},   {-half + head, shaft},
                     {-half + head, headWidth}};
    const float a = degrees * 3.14159265f / 180.0f;
    Polygon shape;
    for (auto [x, y] : local)
        shape.push_back({15.5f + x * std::cos(a) - y * std::sin(a), 15.5f + x * std::sin(a) + y * std::cos(a)});
    DrawOutlined(canvas, shape);
    return canvas;
}

// An hourglass with amber sand running down.
Canvas Hourglass()
{
    Canvas canvas(32, 32);
    DrawOutlined(canvas, {{7, 2}, {25, 2}, {25, 6}, {23, 6}, {17.5f, 16}, {23, 26}, {25, 26}, {25, 30}, {7, 30},
                          {7, 26}, {9, 26}, {14.5f, 16}, {9, 6}, {7, 6}});
    canvas.Fill([](float x, float y) { return InPolygon({{11.5f, 8.5f}, {20.5f, 8.5f}, {16, 15}}, x, y); },
                Solid(AMBER));
    canvas.Fill([](float x, float y) { return InPolygon({{16, 20}, {21.5f, 25.5f}, {10.5f, 25.5f}}, x, y); },
                Solid(AMBER));
    canvas.Fill([](float x, float y) { return x >= 15.4f && x <= 16.6f && y >= 14 && y <= 21; }, Solid(AMBER));
    return canvas;
}

struct ButtonLook {
    Color top, bottom, border;
    bool pressed;
};

// A rounded plate with a bright rim; pressed plates have their light at the bottom.
Canvas Button(const ButtonLook& look)
{
    Canvas canvas(256, 64);
    const float r = 12;
    canvas.Fill([&](float x, float y) { return InRoundedRect(x, y, 0, 0, 256, 64, r); }, Solid(look.border));
    canvas.Fill([&](float x, float y) { return InRoundedRect(x, y, 3, 3, 253, 61, r - 3); },
                [&](float, float y) { return Mix(look.top, look.bottom, (y - 3) / 58); });
    // A soft sheen on the upper (or, pressed, the lower) half.
    const float sheenTop = look.pressed ? 40 : 5;
    canvas.Fill([&](float x, float y) { return InRoundedRect(x, y, 6, sheenTop, 250, sheenTop + 19, 8); },
                Solid(WHITE), 0.12f);
    return canvas;
}

// Caption bar: a band with a light upper edge and a dark line below.
Canvas Tray(Color top, Color bottom)
{
    Canvas canvas(512, 32);
    canvas.Fill([](float, float) { return true; }, [&](float, float y) { return Mix(top, bottom, y / 32); }, 0.96f);
    canvas.Fill([](float, float y) { return y < 2; }, Solid(WHITE), 0.35f);
    canvas.Fill([](float, float y) { return y >= 30; }, Solid(BLACK), 0.4f);
    return canvas;
}

Canvas Frame(Color c)
{
    Canvas canvas(4, 4);
    canvas.Fill([](float, float) { return true; }, Solid(c));
    return canvas;
}

// The dialog's body: night blue that lets the level show through a little.
Canvas Body()
{
    Canvas canvas(256, 256);
    canvas.Fill([](float, float) { return true; },
                [](float, float y) { return Mix(NIGHT_TOP, NIGHT_BOTTOM, y / 256); }, 0.88f);
    return canvas;
}

// Check boxes and radio buttons share their colours: mist rim, amber when the cursor is on them.
Color RimOf(bool highlighted) { return highlighted ? AMBER : MIST; }
Color WellOf(bool highlighted) { return highlighted ? Color{44, 56, 88} : Color{22, 28, 46}; }

Canvas CheckBox(bool checked, bool highlighted)
{
    Canvas canvas(16, 16);
    canvas.Fill([](float x, float y) { return InRoundedRect(x, y, 0.5f, 0.5f, 15.5f, 15.5f, 3); },
                Solid(RimOf(highlighted)));
    canvas.Fill([](float x, float y) { return InRoundedRect(x, y, 2, 2, 14, 14, 2); }, Solid(WellOf(highlighted)));
    if (checked) {
        Polygon tick = {{3.2f, 8.2f}, {5.0f, 6.4f}, {7.0f, 8.6f}, {11.6f, 3.4f}, {13.2f, 5.0f}, {7.0f, 12.2f}};
        canvas.Fill([&](float x, float y) { return InPolygon(tick, x, y); }, Solid(highlighted ? CREAM : AMBER));
    }
    return canvas;
}

Canvas RadioButton(bool checked, bool highlighted)
{
    Canvas canvas(16, 16);
    auto disc = [](float radius) {
        return [radius](float x, float y) { return (x - 8) * (x - 8) + (y - 8) * (y - 8) <= radius * radius; };
    };
    canvas.Fill(disc(7.6f), Solid(RimOf(highlighted)));
    canvas.Fill(disc(6.0f), Solid(WellOf(highlighted)));
    if (checked)
        canvas.Fill(disc(3.4f), Solid(highlighted ? CREAM : AMBER));
    return canvas;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const ButtonLook plain{{76, 94, 134}, {44, 56, 88}, MIST, false};
    const ButtonLook lit{{98, 120, 168}, {60, 76, 114}, AMBER, false};
    const ButtonLook pressed{{34, 44, 70}, {58, 72, 108}, DEEP_AMBER, true};

    // In the order of their ids.
    const std::vector<std::pair<const char*, Canvas>> pictures = {
        {"cursor", Arrow()},
        {"cursor_resize_vertical", DoubleArrow(90)},
        {"cursor_resize_horizontal", DoubleArrow(0)},
        {"cursor_resize_both", DoubleArrow(45)},
        {"cursor_busy", Hourglass()},
        {"button", Button(plain)},
        {"button_highlighted", Button(lit)},
        {"button_depressed", Button(pressed)},
        {"dialog_tray_active", Tray({230, 140, 60}, {176, 90, 36})},
        {"dialog_tray_inactive", Tray({96, 108, 136}, {62, 72, 98})},
        {"dialog_frame_active", Frame(AMBER)},
        {"dialog_frame_inactive", Frame(SLATE)},
        {"dialog_body", Body()},
        {"checkbox", CheckBox(false, false)},
        {"checkbox_checked", CheckBox(true, false)},
        {"checkbox_highlighted", CheckBox(false, true)},
        {"checkbox_checked_highlighted", CheckBox(true, true)},
        {"radiobutton", RadioButton(false, false)},
        {"radiobutton_checked", RadioButton(true, false)},
        {"radiobutton_highlighted", RadioButton(false, true)},
        {"radiobutton_checked_highlighted", RadioButton(true, true)},
    };
    for (const auto& [name, canvas] : pictures) {
        const std::filesystem::path path = folder / (std::string(name) + ".tga");
        if (!picture::WriteTGA(canvas, path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

// What the companion must know of Zolvik's client area to read it, to draw its control and to
// count a pass's work: the drawing rectangle is (4, 84) to the client area's size less 4, under
// the panel, with a grid of lines every 4 pixels in three colours.
#pragma once

constexpr int kAreaLeft = 4;
constexpr int kAreaTop = 84;
constexpr int kAreaMargin = 4; // right and bottom
constexpr int kGridPitch = 4;
constexpr int kGridColours = 3;
// The client area around a drawing area: this much wider and higher.
constexpr int kAreaExtraWidth = kAreaLeft + kAreaMargin;
constexpr int kAreaExtraHeight = kAreaTop + kAreaMargin;

// Zolvik's client area and the drawing area inside it, and the work one pass does there.
#pragma once

#include "zolvik_facts.h"

#include <string>

struct ClientSize {
    int width = 0;
    int height = 0;
};

// The drawing area inside a client area (the panel above, a margin on the other sides); 0
// where the client area leaves none.
struct DrawingArea {
    int width = 0;
    int height = 0;
};

constexpr int kAreaExtraWidth = kAreaLeft + kAreaMargin;
constexpr int kAreaExtraHeight = kAreaTop + kAreaMargin;

DrawingArea AreaOfClient(ClientSize client);
ClientSize ClientOfArea(DrawingArea area);

// "900 x 600", or "400 wide, vertical lines only" where the area is too low for horizontal
// lines.
std::string AreaName(DrawingArea area);

// The lines and pixels one pass draws at a client area of the given size: three colours of
// the program's grid, its lines running backwards where the area is inverted, and clipped to
// the client area as the platform clips them. Line calls cost the same clipped or not; their
// pixels count only where they land.
struct GridWork {
    double horizontalLines = 0;
    double verticalLines = 0;
    double pixels = 0;
};
GridWork WorkOf(ClientSize client);

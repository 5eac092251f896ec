#include "model/grid.h"

#include <algorithm>

namespace
{

// Pixels a one-pixel line from `from` towards `to` (exclusive) covers inside 0..extent - 1.
double PixelsOfLine(int from, int to, int extent)
{
    const int low = to > from ? from : to + 1;
    const int high = to > from ? to - 1 : from;
    const int first = std::max(low, 0);
    const int last = std::min(high, extent - 1);
    return last >= first ? last - first + 1 : 0;
}

int LinesAcross(int from, int to)
{
    return to > from ? (to - from + kGridPitch - 1) / kGridPitch : 0;
}

} // namespace

DrawingArea AreaOfClient(ClientSize client)
{
    return {std::max(client.width - kAreaExtraWidth, 0),
            std::max(client.height - kAreaExtraHeight, 0)};
}

ClientSize ClientOfArea(DrawingArea area)
{
    return {area.width + kAreaExtraWidth, area.height + kAreaExtraHeight};
}

std::string AreaName(DrawingArea area)
{
    if (area.height <= 0) {
        return std::to_string(area.width) + " wide, vertical lines only";
    }
    return std::to_string(area.width) + " x " + std::to_string(area.height);
}

GridWork WorkOf(ClientSize client)
{
    const int right = client.width - kAreaMargin;
    const int bottom = client.height - kAreaMargin;
    GridWork work;
    const int across = LinesAcross(kAreaTop, bottom);
    const int down = LinesAcross(kAreaLeft, right);
    work.horizontalLines = kGridColours * across;
    work.verticalLines = kGridColours * down;
    work.pixels = kGridColours * (across * PixelsOfLine(kAreaLeft, right, client.width) +
                                  down * PixelsOfLine(kAreaTop, bottom, client.height));
    return work;
}

// Which drawing areas a sweep visits, and in which order: chosen to tell a line call's cost
// from a pixel's, and ordered so that a machine drifting in speed falls on every area alike.
#pragma once

#include "model/grid.h"

#include <vector>

// The largest drawing area a sweep goes to, whatever the screen holds: a 4K display's.
constexpr int kSweepMostWidth = 3840;
constexpr int kSweepMostHeight = 2160;
// The client height at which the program draws vertical lines only: its panel shows the
// readout whole, and its lines are clipped to three pixels each below the controls.
constexpr int kVerticalOnlyClientHeight = 60;

// Small and large, wide and tall, and two areas of vertical lines only, for client areas up
// to `largest` (what the screen holds beside the window's frame). Areas the screen cannot
// hold are left out; none repeats.
std::vector<ClientSize> ChooseSweepAreas(ClientSize largest);

// `rounds` visits to every area, as indices into `areas`: in each round small and large areas
// alternate, and every other round runs the one before it backwards, so that each area's
// visits fall on average near the middle of the sweep. No area is visited twice running.
std::vector<int> SweepOrder(const std::vector<ClientSize>& areas, int rounds);

// Where a pass's time goes: a fixed cost, a cost per line call and a cost per pixel, told
// apart by passes drawn at drawing areas of different sizes and shapes.
#pragma once

#include "model/sweep.h"

#include <cstddef>
#include <string>
#include <vector>

// One cost of the model, with its 95 % interval.
struct Component {
    std::string name; // "fixed", "per line call", "per million pixels", ...
    std::string unit; // "ms" or "us"
    double value = 0;
    double standardError = 0;
    double low = 0;
    double high = 0;
};

// The model fitted to one kind of pass (on screen, or the control's in memory). Each visit's
// median is one observation, weighted by its area's size, so that every area counts by its
// relative error: passes within a visit are correlated, visits far apart in time much less.
struct ModelFit {
    bool stands = false; // the components can be printed
    std::string says;    // why they cannot, or how well the model fits
    std::vector<Component> components;
    std::size_t visits = 0;
    std::size_t areas = 0;
    double freedom = 0;
    double largestResidual = 0; // an area's mean against the fit, relative to the fit
    int residualWidth = 0;      // that area's client size
    int residualHeight = 0;
    double spread = 0;      // a visit against its area's mean, relative (0: no repeats)
    double lackOfFitP = -1; // the model against the repeats' own spread; -1: not tested
};

struct SweepFit {
    // fixed + per line call x lines + per pixel x pixels
    ModelFit screen;
    ModelFit memory;
    // The same with horizontal and vertical line calls apart, where the areas tell them apart.
    ModelFit screenApart;
    ModelFit memoryApart;
    bool apart = false;
};

SweepFit FitSweep(const std::vector<SweepVisit>& visits);
ModelFit FitModel(const std::vector<SweepVisit>& visits, bool control, bool apart);

// One component of two sweeps: B's over A's, with Fieller's 95 % interval; unbounded (0, 0)
// where A's own figure is not clearly above zero.
struct ComponentRatio {
    std::string name;
    std::string unit;
    double base = 0;
    double other = 0;
    double ratio = 0;
    double low = 0;
    double high = 0;
    bool bounded = false;
    std::string verdict; // "higher", "lower", "cannot tell"
    std::string why;     // of a "cannot tell" that the interval alone would not say
};
ComponentRatio CompareComponent(const Component& base, double baseFreedom, const Component& other,
                                double otherFreedom);

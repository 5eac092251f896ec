// Where a pass's time goes: a fixed cost, a cost per line call and a cost per pixel, told
// apart by passes drawn at drawing areas of different sizes and shapes.
#pragma once

#include "model/sweep.h"

#include <cstddef>
#include <string>
#include <vector>

// The model's terms.
enum class Cost {
    Fixed,
    PerLineCall,
    PerHorizontalLineCall,
    PerVerticalLineCall,
    PerMillionPixels
};
// Their stable codes, as records key them: "fixed", "per_line_call", ...
const char* CostCode(Cost cost);
const char* CostUnit(Cost cost); // "ms" or "us"

// One cost of the model, with its 95 % interval.
struct Component {
    Cost cost = Cost::Fixed;
    double value = 0;
    double standardError = 0;
    double low = 0;
    double high = 0;
};

// How the model fits one kind of pass.
enum class FitState {
    Fits,         // within the visits' own spread
    FitsRoughly,  // misses by more than the visits' spread, not by much: intervals include it
    TooFewVisits, // no fit at all
    NotToldApart, // the areas do not tell the costs apart
    TooFewAreas,  // fitted, but not testable: no split is given
    MissesAnArea, // misses an area by more than the visits explain and by more than 5 %
    BelowZero,    // a cost other than the fixed one comes out below zero
};
const char* FitStateCode(FitState state); // for records: "fits", "misses_an_area", ...

// The model fitted to one kind of pass (on screen, or the control's in memory). Each visit's
// median is one observation, weighted by its area's size, so that every area counts by its
// relative error: passes within a visit are correlated, visits far apart in time much less.
struct ModelFit {
    bool stands = false; // the components can be printed
    FitState state = FitState::TooFewVisits;
    Cost belowZero = Cost::Fixed; // with BelowZero: which cost
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

enum class Drawn { OnScreen, InMemory };
enum class LineCalls { Together, Apart };

SweepFit FitSweep(const std::vector<SweepVisit>& visits);
ModelFit FitModel(const std::vector<SweepVisit>& visits, Drawn drawn, LineCalls lines);

// B's cost against A's.
enum class Direction { Higher, Lower, CannotTell };

// One component of two sweeps: B's over A's, with Fieller's 95 % interval; unbounded (0, 0)
// where A's own figure is not clearly above zero.
struct ComponentRatio {
    Cost cost = Cost::Fixed;
    double base = 0;
    double other = 0;
    double ratio = 0;
    double low = 0;
    double high = 0;
    bool bounded = false;
    Direction direction = Direction::CannotTell;
    // A difference on screen no wider than the machine's own change in memory: cannot tell.
    bool machineExplains = false;
    // The same where the machine's own cost neither stayed within the machine band nor
    // clearly left it: it may have changed as much.
    bool machineMayExplain = false;
};
ComponentRatio CompareComponent(const Component& base, double baseFreedom, const Component& other,
                                double otherFreedom);

// Two sweeps, cost by cost, on screen and in memory, each with the model both sides fit.
struct SweepContrast {
    LineCalls lines = LineCalls::Together;
    ModelFit base[2]; // on screen, in memory: the models compared
    ModelFit other[2];
    std::vector<ComponentRatio> screen; // empty where the model does not stand on both sides
    std::vector<ComponentRatio> memory;
    // Costs whose control moved beyond the machine band: the machine itself changed.
    std::vector<ComponentRatio> machineMoved;
};
SweepContrast ContrastSweeps(const SweepFit& base, const SweepFit& other);

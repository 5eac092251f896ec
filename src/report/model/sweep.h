// A sweep: the program's passes, and the control's, at drawing areas of several sizes and
// shapes, visit by visit.
#pragma once

#include "model/run.h"

#include <cstddef>
#include <string>
#include <vector>

// One visit of a sweep to one area: consecutive passes drawn there, and the control's passes
// drawn in memory at the same area meanwhile.
struct SweepVisit {
    int clientWidth = 0;
    int clientHeight = 0;
    double seconds = 0; // since the sweep started
    std::vector<double> passes;
    std::vector<double> controls;
    std::size_t dropped = 0;
};

// What a sweep warns of: a client area the window would not take as asked (and what it took),
// or a visit left out because the window changed size during it.
struct SweepWarning {
    enum Kind { AreaNotAsAsked, VisitLeftOut, Text } kind = Text;
    int askedWidth = 0;
    int askedHeight = 0;
    int gotWidth = 0;
    int gotHeight = 0;
    int visit = 0;
    std::string text; // Text: a sentence from an older record, shown as it is
};
// Its stable code in records: "area_not_as_asked", "visit_left_out", "text".
const char* SweepWarningCode(SweepWarning::Kind kind);

// What a sweep recorded, with where it ran.
struct SweepRecord {
    Provenance provenance;
    std::string started; // UTC, ISO 8601
    std::vector<SweepVisit> visits;
    std::vector<SweepWarning> warnings;
};

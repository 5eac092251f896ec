#include "results/sweep_record.h"

#include "exit_codes.h"
#include "model/grid.h"
#include "results/files.h"
#include "results/results.h"
#include "stats/sweep_fit.h"

#include <nlohmann/json.hpp>

#include <cmath>

using nlohmann::json;

namespace
{

// 2: warnings and cost names as codes. Sweeps without a version (1) keep them as sentences and
// names, and read as they are.
constexpr int kSweepFormatVersion = 2;

json WarningJson(const SweepWarning& w)
{
    json warning = {{"code", SweepWarningCode(w.kind)}};
    switch (w.kind) {
    case SweepWarning::AreaNotAsAsked:
        warning["asked"] = {{"width", w.askedWidth}, {"height", w.askedHeight}};
        warning["got"] = {{"width", w.gotWidth}, {"height", w.gotHeight}};
        break;
    case SweepWarning::VisitLeftOut:
        warning["visit"] = w.visit;
        break;
    case SweepWarning::Text:
        warning["text"] = w.text;
        break;
    }
    return warning;
}

// A warning as a sweep record of either format keeps it; anything else is kept as its text.
SweepWarning ReadWarning(const json& w)
{
    SweepWarning warning;
    const auto number = [](const json& object, const char* outer, const char* inner) {
        return object.contains(outer) && object[outer].is_object() &&
                       object[outer].contains(inner) && object[outer][inner].is_number_integer()
                   ? object[outer][inner].get<int>()
                   : 0;
    };
    if (w.is_object() && w.value("code", "") == SweepWarningCode(SweepWarning::AreaNotAsAsked)) {
        warning.kind = SweepWarning::AreaNotAsAsked;
        warning.askedWidth = number(w, "asked", "width");
        warning.askedHeight = number(w, "asked", "height");
        warning.gotWidth = number(w, "got", "width");
        warning.gotHeight = number(w, "got", "height");
    } else if (w.is_object() &&
               w.value("code", "") == SweepWarningCode(SweepWarning::VisitLeftOut) &&
               w.contains("visit") && w["visit"].is_number_integer()) {
        warning.kind = SweepWarning::VisitLeftOut;
        warning.visit = w["visit"].get<int>();
    } else {
        warning.text = w.is_string() ? w.get<std::string>()
                       : w.is_object() && w.contains("text") && w["text"].is_string()
                           ? w["text"].get<std::string>()
                           : w.dump();
    }
    return warning;
}

json ComponentsJson(const ModelFit& fit)
{
    json components = json::object();
    for (const Component& c : fit.components) {
        components[CostCode(c.cost)] = {{"unit", CostUnit(c.cost)},
                                        {"value", c.value},
                                        {"standard_error", c.standardError},
                                        {"low", c.low},
                                        {"high", c.high}};
    }
    return components;
}

json ModelJson(const ModelFit& fit)
{
    return {{"stands", fit.stands},
            {"state", FitStateCode(fit.state)},
            {"visits", fit.visits},
            {"areas", fit.areas},
            {"freedom", fit.freedom},
            {"largest_residual", fit.largestResidual},
            {"spread", fit.spread},
            {"lack_of_fit_p", fit.lackOfFitP < 0 ? json(nullptr) : json(fit.lackOfFitP)},
            {"components", fit.freedom > 0 ? ComponentsJson(fit) : json(nullptr)}};
}

json FitJson(const SweepFit& fit)
{
    json out = {{"on_screen", ModelJson(fit.screen)}, {"in_memory", ModelJson(fit.memory)}};
    if (fit.apart) {
        out["on_screen_lines_apart"] = ModelJson(fit.screenApart);
        out["in_memory_lines_apart"] = ModelJson(fit.memoryApart);
    }
    return out;
}

json VisitJson(const SweepVisit& visit, std::size_t number)
{
    const GridWork work = WorkOf({visit.clientWidth, visit.clientHeight});
    return {{"visit", number},
            {"client_area", {{"width", visit.clientWidth}, {"height", visit.clientHeight}}},
            {"drawing_area", AreaName(AreaOfClient({visit.clientWidth, visit.clientHeight}))},
            {"horizontal_lines", work.horizontalLines},
            {"vertical_lines", work.verticalLines},
            {"pixels", work.pixels},
            {"seconds", visit.seconds},
            {"passes_ms", visit.passes},
            {"controls_ms", visit.controls},
            {"dropped", visit.dropped}};
}

bool Fail(std::string& error, const std::string& where, const std::string& what)
{
    error = where + ": " + what;
    return false;
}

bool Durations(const json& value, std::vector<double>& out)
{
    if (!value.is_array()) {
        return false;
    }
    for (const json& d : value) {
        if (!d.is_number() || !std::isfinite(d.get<double>()) || d.get<double>() < 0) {
            return false;
        }
        out.push_back(d.get<double>());
    }
    return true;
}

bool Size(const json& value, const char* name, int& out)
{
    if (!value.contains(name) || !value[name].is_number_integer()) {
        return false;
    }
    const long long size = value[name].get<long long>();
    out = static_cast<int>(size);
    return size >= 0 && size <= 100000;
}

bool ReadVisit(const json& value, SweepVisit& visit, const std::string& where, std::string& error)
{
    if (!value.is_object() || !value.contains("client_area") || !value["client_area"].is_object() ||
        !Size(value["client_area"], "width", visit.clientWidth) ||
        !Size(value["client_area"], "height", visit.clientHeight)) {
        return Fail(error, where, "a visit needs its client_area's whole width and height");
    }
    if (!value.contains("passes_ms") || !Durations(value["passes_ms"], visit.passes) ||
        (value.contains("controls_ms") && !Durations(value["controls_ms"], visit.controls))) {
        return Fail(error, where, "passes_ms and controls_ms are arrays of durations (0 or more)");
    }
    if (value.contains("seconds") && value["seconds"].is_number()) {
        visit.seconds = value["seconds"].get<double>();
    }
    if (value.contains("dropped") && value["dropped"].is_number_unsigned()) {
        visit.dropped = value["dropped"].get<std::size_t>();
    }
    return true;
}

} // namespace

bool ParseSweepRecord(const json& document, SweepRecord& record, const std::string& name,
                      std::string& error)
{
    if (!document.is_object() || document.value("format", json()) != kSweepFormat) {
        return Fail(error, name,
                    std::string("not a zolvik-report sweep (\"format\": \"") + kSweepFormat +
                        "\")");
    }
    if (!document.contains("visits") || !document["visits"].is_array()) {
        return Fail(error, name, "a sweep needs an array of visits");
    }
    record = SweepRecord();
    record.provenance.program = document.value("program", json(nullptr)).dump();
    record.provenance.environment = document.value("environment", json(nullptr)).dump();
    if (document.contains("started") && document["started"].is_string()) {
        record.started = document["started"].get<std::string>();
    }
    const json& visits = document["visits"];
    for (std::size_t i = 0; i < visits.size(); ++i) {
        SweepVisit visit;
        if (!ReadVisit(visits[i], visit, name + ": visits[" + std::to_string(i) + "]", error)) {
            return false;
        }
        record.visits.push_back(visit);
    }
    if (document.contains("warnings") && document["warnings"].is_array()) {
        for (const json& w : document["warnings"]) {
            record.warnings.push_back(ReadWarning(w));
        }
    }
    return true;
}

int WriteSweepRecord(const std::wstring& path, const SweepRecord& record, const SweepFit& fit,
                     std::string& error)
{
    json visits = json::array();
    for (std::size_t i = 0; i < record.visits.size(); ++i) {
        visits.push_back(VisitJson(record.visits[i], i + 1));
    }
    json warnings = json::array();
    for (const SweepWarning& w : record.warnings) {
        warnings.push_back(WarningJson(w));
    }
    const json document = {{"format", kSweepFormat},
                           {"format_version", kSweepFormatVersion},
                           {"program", ObjectOrNull(record.provenance.program)},
                           {"environment", ObjectOrNull(record.provenance.environment)},
                           {"started", record.started},
                           {"visits", visits},
                           {"fit", FitJson(fit)},
                           {"warnings", warnings}};
    return WriteNewFile(path, document.dump(1) + "\n", error);
}

bool ReadSweepRecord(const std::wstring& path, SweepRecord& record, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return Fail(error, Utf8(path), "cannot open");
    }
    const json document = json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        return Fail(error, Utf8(path), "not well-formed JSON");
    }
    return ParseSweepRecord(document, record, Utf8(path), error);
}

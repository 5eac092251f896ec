// The call trace and fault injection of the portable layer: every room records its calls
// here and asks here whether a call is to fail.
#include "winport_internal.h"

namespace winport
{
namespace
{

struct Fault {
    int skip = 0;
    int times = 0;
    std::function<bool()> decide;
};

bool traceOn = false;
std::vector<Call> trace;
Fault faults[5];

} // namespace

bool ShouldFail(Api api)
{
    Fault& fault = faults[static_cast<int>(api)];
    if (fault.decide) {
        return fault.decide();
    }
    if (fault.skip > 0) {
        --fault.skip;
        return false;
    }
    if (fault.times == 0) {
        return false;
    }
    if (fault.times > 0) {
        --fault.times;
    }
    return true;
}

void Record(const char* name, std::initializer_list<long long> args, std::wstring text)
{
    if (traceOn) {
        trace.push_back(Call{name, std::vector<long long>(args), std::move(text)});
    }
}

long long HandleValue(const void* handle)
{
    return static_cast<long long>(reinterpret_cast<std::intptr_t>(handle));
}

void ResetTrace()
{
    traceOn = false;
    trace.clear();
    for (Fault& fault : faults) {
        fault = Fault{};
    }
}

void EnableTrace(bool on)
{
    traceOn = on;
}

const std::vector<Call>& Trace()
{
    return trace;
}

void ClearTrace()
{
    trace.clear();
}

void FailCall(Api api, int skip, int times)
{
    faults[static_cast<int>(api)] = Fault{skip, times, nullptr};
}

void FailWhen(Api api, std::function<bool()> decide)
{
    faults[static_cast<int>(api)] = Fault{0, 0, std::move(decide)};
}

} // namespace winport

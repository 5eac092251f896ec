#include "test_support.h"

std::vector<winport::Call> CallsNamed(const char* name)
{
    std::vector<winport::Call> calls;
    for (const winport::Call& call : winport::Trace()) {
        if (call.name == name) {
            calls.push_back(call);
        }
    }
    return calls;
}

std::wstring LastTextAt(int x, int y)
{
    std::wstring text = L"<none>";
    for (const winport::Call& call : CallsNamed("TextOutW")) {
        if (call.args[0] == x && call.args[1] == y) {
            text = call.text;
        }
    }
    return text;
}

#include "sampling/sweep_plan.h"

#include <algorithm>

namespace
{

constexpr int kSmallWidth = 400; // the readout and the reset button stay in view
constexpr int kSmallHeight = 300;
constexpr int kDesignedWidth = kDesignedAreaWidth;
constexpr int kDesignedHeight = kDesignedAreaHeight;

ClientSize Client(int areaWidth, int areaHeight)
{
    return ClientOfArea({areaWidth, areaHeight});
}

bool SameSize(const ClientSize& a, const ClientSize& b)
{
    return a.width == b.width && a.height == b.height;
}

std::vector<int> Rotated(std::vector<int> order, int by)
{
    if (!order.empty()) {
        std::rotate(order.begin(), order.begin() + by % static_cast<int>(order.size()),
                    order.end());
    }
    return order;
}

} // namespace

std::vector<ClientSize> ChooseSweepAreas(ClientSize largest)
{
    const int wide = std::min(largest.width - kAreaExtraWidth, kSweepMostWidth);
    const int tall = std::min(largest.height - kAreaExtraHeight, kSweepMostHeight);
    std::vector<ClientSize> areas;
    if (wide < kSmallWidth || tall < kSmallHeight) {
        return areas;
    }
    const ClientSize candidates[] = {
        Client(kSmallWidth, kSmallHeight),
        Client(std::min(kDesignedWidth, wide), std::min(kDesignedHeight, tall)),
        Client(wide, kSmallHeight),
        Client(kSmallWidth, tall),
        Client(wide, tall),
        Client((wide + kSmallWidth) / 2, (tall + kSmallHeight) / 2),
        {kSmallWidth + kAreaExtraWidth, kVerticalOnlyClientHeight},
        {wide + kAreaExtraWidth, kVerticalOnlyClientHeight},
    };
    for (const ClientSize& candidate : candidates) {
        if (std::none_of(areas.begin(), areas.end(),
                         [&](const ClientSize& a) { return SameSize(a, candidate); })) {
            areas.push_back(candidate);
        }
    }
    return areas;
}

std::vector<int> SweepOrder(const std::vector<ClientSize>& areas, int rounds)
{
    std::vector<int> bySize(areas.size());
    for (std::size_t i = 0; i < areas.size(); ++i) {
        bySize[i] = static_cast<int>(i);
    }
    std::stable_sort(bySize.begin(), bySize.end(), [&](int a, int b) {
        return WorkOf(areas[a]).pixels < WorkOf(areas[b]).pixels;
    });
    // Smallest, largest, second smallest, second largest, ...
    std::vector<int> alternating;
    for (std::size_t low = 0, high = bySize.size(); low < high;) {
        alternating.push_back(bySize[low++]);
        if (low < high) {
            alternating.push_back(bySize[--high]);
        }
    }
    std::vector<int> order;
    std::vector<int> round;
    for (int r = 0; r < rounds; ++r) {
        if (r % 2 == 0) {
            round = Rotated(alternating, r / 2);
        } else {
            std::reverse(round.begin(), round.end());
        }
        // A round that would start where the last one ended starts one later instead.
        if (!order.empty() && !round.empty() && round.front() == order.back()) {
            round = Rotated(round, 1);
        }
        order.insert(order.end(), round.begin(), round.end());
    }
    return order;
}

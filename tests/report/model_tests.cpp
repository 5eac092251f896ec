// The grid's work for a client area, against the grid walked line by line.
#include "model/grid.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <string>

namespace
{

using nlohmann::json;

json Oracle()
{
    std::ifstream file(std::string(ZOLVIK_TEST_DATA) + "/report/sweep/oracle.json");
    return json::parse(file);
}

TEST(SweepWork, LinesAndPixelsAsTheGridIsWalkedLineByLine)
{
    const json work = Oracle()["work"];
    for (auto item = work.begin(); item != work.end(); ++item) {
        const std::string size = item.key();
        const int width = std::stoi(size.substr(0, size.find('x')));
        const int height = std::stoi(size.substr(size.find('x') + 1));
        const GridWork w = WorkOf({width, height});
        EXPECT_EQ(w.horizontalLines, item.value()[0].get<double>()) << size;
        EXPECT_EQ(w.verticalLines, item.value()[1].get<double>()) << size;
        EXPECT_EQ(w.pixels, item.value()[2].get<double>()) << size;
    }
    // The designed area: 1,125 line calls, 150 horizontal and 225 vertical a colour.
    const GridWork designed = WorkOf({908, 688});
    EXPECT_EQ(designed.horizontalLines + designed.verticalLines, 1125);
    EXPECT_EQ(AreaName(AreaOfClient({908, 688})), "900 x 600");
    EXPECT_EQ(AreaName(AreaOfClient({408, 60})), "400 wide, vertical lines only");
}

} // namespace

// The simulated controller's local network: what it receives from its slaves
// changes with time, so the online views have something to show.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "sim/SimulatedController.h"

namespace zul {
namespace {

// Default composition (network from discrete 48, analog 6): a function-1
// entry of 8 signals, then a function-3 entry of 2 analog signals.
class SimulatedNetwork : public ::testing::Test {
 protected:
  SimulatedNetwork() : controller(ControllerSetup{}, clock) {
    BlockBytes master = controller.Blocks().at(10);
    master[1] = 1;
    master[2] = 8;
    master[13] = 3;
    master[14] = 2;
    EXPECT_TRUE(controller.SetBlock(10, master));
  }
  void At(int64_t ms) {
    clock.Advance(ms - clock.NowMs());
    controller.Plant().AdvanceTo(clock.NowMs());
  }

  VirtualClock clock;
  SimulatedController controller;
};

TEST_F(SimulatedNetwork, DiscreteSignalsOfAFunction1EntryTakeBothStates) {
  std::set<std::pair<int, bool>> seen;
  for (int64_t t = 0; t <= 120000; t += 1000) {
    At(t);
    for (int s = 48; s < 56; ++s) seen.insert({s, controller.Plant().DiscreteOn(s)});
  }
  for (int s = 48; s < 56; ++s) {
    EXPECT_TRUE(seen.count({s, true})) << s;
    EXPECT_TRUE(seen.count({s, false})) << s;
  }
}

TEST_F(SimulatedNetwork, AnalogSignalsOfAFunction3EntryMoveWithinTheirScale) {
  std::set<std::string> readings;
  for (int64_t t = 0; t <= 60000; t += 3000) {
    At(t);
    const auto r = controller.Plant().AnalogReading(6);
    readings.insert(std::string(r.begin(), r.begin() + 7));
    const float v = controller.Plant().AnalogValue(7);
    EXPECT_GE(v, -1.0f);
    EXPECT_LE(v, 101.0f);
  }
  EXPECT_GT(readings.size(), 5u);
}

}  // namespace
}  // namespace zul

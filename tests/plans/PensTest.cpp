#include "plans/Pens.h"

#include <gtest/gtest.h>

#include "plans/ColorScale.h"

namespace sonavue::render {
namespace {

using platform::Rgb;

platform::ColorTable Filled(const ColorRecord& record) {
  platform::ColorTable table{};
  table.fill({1, 2, 3});
  FillPaletteEntries(record, table);
  return table;
}

TEST(PensTest, PensNameTheirPaletteEntries) {
  const platform::ColorTable cb = Filled(kCbColors);
  EXPECT_EQ(PenColor(PenFor(PenRole::Text), cb), cb[0]);
  EXPECT_EQ(PenColor(PenFor(PenRole::Signal2), cb), (Rgb{0, 133, 252}));
  EXPECT_EQ(PenColor(PenFor(PenRole::Green), cb), (Rgb{0, 200, 0}));
  EXPECT_EQ(PenFor(PenRole::WideFreqMark).width, 2);
  EXPECT_EQ(PenColor(PenFor(PenRole::WideFreqMark), cb), (Rgb{220, 0, 0}));
}

}  // namespace
}  // namespace sonavue::render

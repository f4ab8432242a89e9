#include "dialogs/MarkerDialog.h"

#include <gtest/gtest.h>

namespace sonavue::dialogs {
namespace {

TEST(MarkerDialogTest, AnEditReadsTheIntegerItsFirstSevenCharactersStartWith) {
  EXPECT_EQ(ParseMarkerText("1000"), 1000);
  EXPECT_EQ(ParseMarkerText("  250 Hz"), 250);
  EXPECT_EQ(ParseMarkerText("+42"), 42);
  EXPECT_EQ(ParseMarkerText("-500"), 0);  // negative: off
  EXPECT_EQ(ParseMarkerText("abc"), 0);   // not a number: off
  EXPECT_EQ(ParseMarkerText(""), 0);
  EXPECT_EQ(ParseMarkerText("123456789"), 1234567);  // only seven characters are read
  EXPECT_EQ(ParseMarkerText("12.5"), 12);
}

TEST(MarkerDialogTest, TheEditsStartWithTheMarkersAndOkReadsThem) {
  FrequencyMarkersModel model(3000, 0);
  EXPECT_EQ(model.Text(IDC_MARKER1), "3000");
  EXPECT_EQ(model.Text(IDC_MARKER2), "0");
  model.SetText(IDC_MARKER2, "-500");
  model.SetText(IDC_MARKER1, "4500");
  EXPECT_EQ(model.Markers(), (std::array<int, 2>{4500, 0}));
  FrequencyMarkersDialog dialog(1, 2);
  EXPECT_EQ(dialog.ResourceId(), 146);
}

}  // namespace
}  // namespace sonavue::dialogs

#include "dialogs/ImageDialogModel.h"

#include <gtest/gtest.h>

namespace sonavue::dialogs {
namespace {

ImageDialogSetup SourceOf(int w = 1000, int h = 600) {
  ImageDialogSetup s;
  s.sourceWidth = w;
  s.sourceHeight = h;
  return s;
}

std::string Text(const ImageDialogModel& m, int id) { return m.State(id).text; }

TEST(ImageDialogModelTest, ItOpensWithTheDefaultsAtTheSourceSize) {
  const ImageDialogModel m(SourceOf());
  EXPECT_EQ(m.ResourceId(), 151);
  EXPECT_TRUE(m.State(app::ID_IMAGE_JPEG).checked);
  EXPECT_FALSE(m.State(app::ID_IMAGE_BITMAP).checked);
  EXPECT_TRUE(m.State(app::ID_UNIT_INCHES).checked);
  EXPECT_TRUE(m.State(app::ID_DOTS_PER_INCH).checked);
  EXPECT_TRUE(m.State(app::ID_FONT_TIMES).checked);
  EXPECT_TRUE(m.State(app::ID_ORIGIN_ZERO_NO).checked);
  EXPECT_EQ(m.State(IDC_IMAGE_QUALITY_BAR).value, 90);
  EXPECT_EQ(Text(m, IDC_IMAGE_QUALITY_TEXT), "90");
  EXPECT_EQ(m.WidthPixels(), 1000);
  EXPECT_EQ(m.HeightPixels(), 600);
  // 1000 and 600 pixels at 300 dots per inch.
  EXPECT_EQ(Text(m, IDC_IMAGE_WIDTH_EDIT), "3.3");
  EXPECT_EQ(Text(m, IDC_IMAGE_HEIGHT_EDIT), "2.0");
  const ControlState bar = m.State(IDC_IMAGE_WIDTH_BAR);
  EXPECT_EQ(bar.minimum, 3);
  EXPECT_EQ(bar.maximum, 40);
  EXPECT_EQ(bar.value, 3);
  const ControlState resolution = m.State(IDC_IMAGE_RESOLUTION_BAR);
  EXPECT_EQ(resolution.minimum, 300);
  EXPECT_EQ(resolution.maximum, 1200);
  EXPECT_EQ(Text(m, IDC_IMAGE_RESOLUTION_TEXT), "300");
}

TEST(ImageDialogModelTest, TheStoredWidthIsTakenUnlessItIsSmallerThanTheSource) {
  ImageDialogSetup s = SourceOf();
  s.settings.outputWidth = 2500;
  EXPECT_EQ(ImageDialogModel(s).WidthPixels(), 2500);
  EXPECT_EQ(ImageDialogModel(s).HeightPixels(), 1500);
  s.settings.outputWidth = 800;
  EXPECT_EQ(ImageDialogModel(s).WidthPixels(), 1000);
  EXPECT_EQ(ImageDialogModel(s).HeightPixels(), 600);
}

TEST(ImageDialogModelTest, BitmapShowsPixelsAndAFixedQuality) {
  ImageDialogModel m(SourceOf());
  m.Click(app::ID_IMAGE_BITMAP);
  EXPECT_TRUE(m.State(app::ID_UNIT_PIXELS).checked);
  EXPECT_FALSE(m.State(app::ID_UNIT_INCHES).enabled);
  EXPECT_FALSE(m.State(app::ID_UNIT_CENTIMETERS).enabled);
  EXPECT_FALSE(m.State(IDC_IMAGE_QUALITY_BAR).enabled);
  EXPECT_EQ(Text(m, IDC_IMAGE_QUALITY_TEXT), "100");
  EXPECT_FALSE(m.State(IDC_IMAGE_RESOLUTION_BAR).enabled);
  EXPECT_FALSE(m.State(app::ID_DOTS_PER_CENTIMETER).enabled);
  EXPECT_EQ(Text(m, IDC_IMAGE_WIDTH_EDIT), "1000");
  EXPECT_EQ(Text(m, IDC_IMAGE_HEIGHT_EDIT), "600");
  // Disabled choices do nothing.
  m.Click(app::ID_UNIT_INCHES);
  m.Scroll(IDC_IMAGE_QUALITY_BAR, ScrollAction::Thumb, 30);
  EXPECT_TRUE(m.State(app::ID_UNIT_PIXELS).checked);
  // Back to JPEG: its own quality, the unit as it was left.
  m.Click(app::ID_IMAGE_JPEG);
  EXPECT_EQ(Text(m, IDC_IMAGE_QUALITY_TEXT), "90");
  EXPECT_TRUE(m.State(app::ID_UNIT_PIXELS).checked);
  EXPECT_TRUE(m.State(app::ID_UNIT_INCHES).enabled);
}

TEST(ImageDialogModelTest, ABitmapSettingOpensInPixels) {
  ImageDialogSetup s = SourceOf();
  s.settings.formatId = app::ID_IMAGE_BITMAP;
  const ImageDialogModel m(s);
  EXPECT_TRUE(m.State(app::ID_UNIT_PIXELS).checked);
  EXPECT_EQ(m.State(IDC_IMAGE_WIDTH_BAR).minimum, 1000);
  EXPECT_EQ(m.State(IDC_IMAGE_WIDTH_BAR).maximum, 12000);
}

TEST(ImageDialogModelTest, ANewUnitPutsTheWidthOnAWholeStepOfIt) {
  ImageDialogModel m(SourceOf());
  m.Click(app::ID_UNIT_PIXELS);
  EXPECT_EQ(m.WidthPixels(), 1000);
  // 1000 pixels are 3.33 inches: 3 whole inches at 300 dots per inch.
  m.Click(app::ID_UNIT_INCHES);
  EXPECT_EQ(m.WidthPixels(), 900);
  EXPECT_EQ(m.HeightPixels(), 540);
  EXPECT_EQ(Text(m, IDC_IMAGE_WIDTH_EDIT), "3.0");
  // 900 pixels are 7.5 centimetres at 120 dots per centimetre: 8 (round half away).
  m.Click(app::ID_UNIT_CENTIMETERS);
  EXPECT_EQ(m.WidthPixels(), 960);
  EXPECT_EQ(m.State(IDC_IMAGE_WIDTH_BAR).minimum, 8);
  EXPECT_EQ(m.State(IDC_IMAGE_WIDTH_BAR).maximum, 100);
  EXPECT_EQ(Text(m, IDC_IMAGE_WIDTH_EDIT), "8.0");
  // A width below the source's gives the source size on OK.
  app::ImageSettings stored;
  m.Click(app::ID_UNIT_INCHES);
  m.Commit(stored);
  EXPECT_EQ(stored.outputWidth, 1000);
  EXPECT_EQ(stored.outputHeight, 600);
  EXPECT_EQ(stored.unitId, app::ID_UNIT_INCHES);
}

TEST(ImageDialogModelTest, TheWidthBarStepsInTheUnitUpToTwelveThousandPixels) {
  ImageDialogModel m(SourceOf());
  m.Scroll(IDC_IMAGE_WIDTH_BAR, ScrollAction::LineUp);
  EXPECT_EQ(m.WidthPixels(), 1200);
  EXPECT_EQ(m.HeightPixels(), 720);
  EXPECT_EQ(Text(m, IDC_IMAGE_WIDTH_EDIT), "4.0");
  EXPECT_EQ(Text(m, IDC_IMAGE_HEIGHT_EDIT), "2.4");
  m.Scroll(IDC_IMAGE_WIDTH_BAR, ScrollAction::PageUp);
  EXPECT_EQ(m.WidthPixels(), 4200);
  m.Scroll(IDC_IMAGE_WIDTH_BAR, ScrollAction::Thumb, 100);
  EXPECT_EQ(m.WidthPixels(), 12000);
  EXPECT_EQ(m.HeightPixels(), 7200);
  m.Scroll(IDC_IMAGE_WIDTH_BAR, ScrollAction::PageDown);
  m.Scroll(IDC_IMAGE_WIDTH_BAR, ScrollAction::Thumb, 0);
  EXPECT_EQ(m.State(IDC_IMAGE_WIDTH_BAR).value, 3);

  m.Click(app::ID_UNIT_PIXELS);
  m.Scroll(IDC_IMAGE_WIDTH_BAR, ScrollAction::Thumb, 1001);
  EXPECT_EQ(m.WidthPixels(), 1001);
  EXPECT_EQ(m.HeightPixels(), 600);  // 600.6 truncated
}

TEST(ImageDialogModelTest, ANewResolutionScalesTheWidthOfTheSameSteps) {
  ImageDialogModel m(SourceOf());
  m.Scroll(IDC_IMAGE_WIDTH_BAR, ScrollAction::Thumb, 4);
  ASSERT_EQ(m.WidthPixels(), 1200);
  m.Scroll(IDC_IMAGE_RESOLUTION_BAR, ScrollAction::Thumb, 600);
  EXPECT_EQ(m.WidthPixels(), 2400);
  EXPECT_EQ(Text(m, IDC_IMAGE_RESOLUTION_TEXT), "600");
  m.Scroll(IDC_IMAGE_RESOLUTION_BAR, ScrollAction::Thumb, 5000);
  EXPECT_EQ(m.State(IDC_IMAGE_RESOLUTION_BAR).value, 1200);
  // The bar of dots per centimetre edits the other setting.
  m.Click(app::ID_DOTS_PER_CENTIMETER);
  EXPECT_EQ(m.State(IDC_IMAGE_RESOLUTION_BAR).minimum, 120);
  EXPECT_EQ(m.State(IDC_IMAGE_RESOLUTION_BAR).maximum, 500);
  EXPECT_EQ(m.State(IDC_IMAGE_RESOLUTION_BAR).value, 120);
  m.Scroll(IDC_IMAGE_RESOLUTION_BAR, ScrollAction::LineUp);
  app::ImageSettings stored;
  m.Commit(stored);
  EXPECT_EQ(stored.dotsPerInch, 1200);
  EXPECT_EQ(stored.dotsPerCm, 121);
  EXPECT_EQ(stored.resolutionUnitId, app::ID_DOTS_PER_CENTIMETER);
}

TEST(ImageDialogModelTest, QualityRunsFromTwentyFiveToOneHundred) {
  ImageDialogModel m(SourceOf());
  m.Scroll(IDC_IMAGE_QUALITY_BAR, ScrollAction::PageUp);
  EXPECT_EQ(Text(m, IDC_IMAGE_QUALITY_TEXT), "100");
  m.Scroll(IDC_IMAGE_QUALITY_BAR, ScrollAction::Thumb, 3);
  EXPECT_EQ(m.State(IDC_IMAGE_QUALITY_BAR).value, 25);
  m.Scroll(IDC_IMAGE_QUALITY_BAR, ScrollAction::LineUp);
  app::ImageSettings stored;
  m.Commit(stored);
  EXPECT_EQ(stored.quality, 26);
}

TEST(ImageDialogModelTest, ATypedWidthIsInTheUnitAndLimited) {
  ImageDialogModel m(SourceOf());
  m.SetText(IDC_IMAGE_WIDTH_EDIT, "4.5");
  EXPECT_EQ(m.WidthPixels(), 1350);
  EXPECT_EQ(m.HeightPixels(), 810);
  m.SetText(IDC_IMAGE_WIDTH_EDIT, "abc");
  EXPECT_EQ(m.WidthPixels(), 1350);
  m.SetText(IDC_IMAGE_WIDTH_EDIT, "-3");
  EXPECT_EQ(m.WidthPixels(), 1350);
  m.SetText(IDC_IMAGE_WIDTH_EDIT, "99");
  EXPECT_EQ(m.WidthPixels(), 12000);
  m.SetHeightPixels(601);
  EXPECT_EQ(m.WidthPixels(), 1002);
  EXPECT_EQ(m.HeightPixels(), 601);
}

TEST(ImageDialogModelTest, ABatchFixesTheTimeOriginAndAScopeHasNone) {
  ImageDialogSetup s = SourceOf();
  s.batch = true;
  ImageDialogModel batch(s);
  EXPECT_TRUE(batch.State(app::ID_ORIGIN_ZERO_YES).checked);
  EXPECT_FALSE(batch.State(app::ID_ORIGIN_ZERO_YES).enabled);
  batch.Click(app::ID_ORIGIN_ZERO_NO);
  app::ImageSettings stored;
  batch.Commit(stored);
  EXPECT_EQ(stored.timeOriginId, app::ID_ORIGIN_ZERO_YES);

  s = SourceOf();
  s.scope = true;
  const ImageDialogModel scope(s);
  EXPECT_FALSE(scope.State(app::ID_ORIGIN_ZERO_NO).enabled);
  EXPECT_TRUE(scope.State(app::ID_ORIGIN_ZERO_NO).checked);

  ImageDialogModel plain(SourceOf());
  plain.Click(app::ID_ORIGIN_ZERO_YES);
  plain.Click(app::ID_FONT_COURIER);
  plain.Commit(stored);
  EXPECT_EQ(stored.timeOriginId, app::ID_ORIGIN_ZERO_YES);
  EXPECT_EQ(stored.fontId, app::ID_FONT_COURIER);
}

TEST(ImageDialogModelTest, ASourceWiderThanTheLimitIsSavedAtItsOwnSize) {
  ImageDialogSetup s = SourceOf(15000, 600);
  s.settings.formatId = app::ID_IMAGE_BITMAP;
  ImageDialogModel m(s);
  EXPECT_EQ(m.WidthPixels(), 15000);
  m.Scroll(IDC_IMAGE_WIDTH_BAR, ScrollAction::LineDown);
  app::ImageSettings stored;
  m.Commit(stored);
  EXPECT_EQ(stored.outputWidth, 15000);
  EXPECT_EQ(stored.outputHeight, 600);
}

}  // namespace
}  // namespace sonavue::dialogs

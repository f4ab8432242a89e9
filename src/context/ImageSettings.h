#pragma once

namespace sonavue::app {

// Choices of the image settings, stored as the identifiers of the radio
// buttons of the "Image Characteristics" dialog (151) that select them.
inline constexpr int ID_IMAGE_BITMAP = 1158;
inline constexpr int ID_IMAGE_JPEG = 1159;
inline constexpr int ID_UNIT_PIXELS = 1203;
inline constexpr int ID_UNIT_INCHES = 1204;
inline constexpr int ID_UNIT_CENTIMETERS = 1205;
inline constexpr int ID_DOTS_PER_INCH = 1208;
inline constexpr int ID_DOTS_PER_CENTIMETER = 1209;
inline constexpr int ID_FONT_ARIAL = 1210;
inline constexpr int ID_FONT_TIMES = 1211;
inline constexpr int ID_FONT_COURIER = 1212;
inline constexpr int ID_ORIGIN_ZERO_YES = 1227;
inline constexpr int ID_ORIGIN_ZERO_NO = 1228;

// Limits of the settings.
inline constexpr int kMaxImageWidth = 12000;  // pixels, for the dialog's choice
inline constexpr int kQualityLowest = 25;
inline constexpr int kQualityHighest = 100;
inline constexpr int kDotsPerInchLowest = 300;
inline constexpr int kDotsPerInchHighest = 1200;
inline constexpr int kDotsPerCmLowest = 120;
inline constexpr int kDotsPerCmHighest = 500;

// How screen images are saved. Part of the session's parameters but not of
// the settings file: every start begins with these defaults.
struct ImageSettings {
  int formatId = ID_IMAGE_JPEG;
  int quality = 90;  // JPEG quality, 25 … 100
  int unitId = ID_UNIT_INCHES;
  int resolutionUnitId = ID_DOTS_PER_INCH;
  int dotsPerInch = 300;   // 300 … 1200
  int dotsPerCm = 120;     // 120 … 500
  int fontId = ID_FONT_TIMES;
  int timeOriginId = ID_ORIGIN_ZERO_NO;
  // The size last chosen in the dialog, pixels; 0 until one was chosen.
  int outputWidth = 0;
  int outputHeight = 0;

  bool Jpeg() const { return formatId != ID_IMAGE_BITMAP; }
  bool TimeOriginZero() const { return timeOriginId == ID_ORIGIN_ZERO_YES; }
};

// The font family of a font choice; "Times New Roman" for an unknown one.
inline const char* ImageFontFamily(int fontId) {
  switch (fontId) {
    case ID_FONT_ARIAL: return "Arial";
    case ID_FONT_COURIER: return "Courier New";
    default: return "Times New Roman";
  }
}

}  // namespace sonavue::app

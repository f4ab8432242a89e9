// Painting the window's image on the screen, and drawing its texts.
//  - BM_PaintWindow/R: a 1600 × 900 window image (a sonogram written into
//    row memory and 40 labels) painted on a device of R device pixels per
//    pixel, as the window does once per display refresh.
//  - BM_DrawReadout/K: a readout's value drawn again in place, with the
//    texts kept for sharp painting (K = 1) or not (K = 0).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <string>

#include "platform/DisplayBitmap.h"

namespace {

using sonavue::platform::DisplayBitmap;
using sonavue::platform::FontSpec;

const FontSpec kFont{"DejaVu Sans", 13, 400};

DisplayBitmap WindowImage() {
  DisplayBitmap image;
  image.Allocate(1600, 900);
  for (int y = 0; y < 800; ++y) {
    std::uint8_t* row = image.Row(y);
    for (int x = 80; x < 1600; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(x + y);
      row[3 * x + 1] = static_cast<std::uint8_t>(x * y);
      row[3 * x + 2] = static_cast<std::uint8_t>(y);
    }
  }
  for (int i = 0; i < 20; ++i) {
    image.Text({4, 40 * i}, std::to_string(i) + " kHz", kFont, {200, 200, 200});
    image.Text({80 + 75 * i, 805}, std::to_string(i) + " sec", kFont, {200, 200, 200});
  }
  return image;
}

void BM_PaintWindow(benchmark::State& state) {
  const int ratio = static_cast<int>(state.range(0));
  sonavue::platform::KeepSharpText(ratio > 1);
  const DisplayBitmap image = WindowImage();
  QImage device(ratio * image.Width(), ratio * image.Height(), QImage::Format_RGB32);
  device.setDevicePixelRatio(ratio);
  for (auto _ : state) {
    QPainter painter(&device);
    PaintBitmap(painter, image);
  }
  state.counters["texts"] = image.SharpTextCount();
  sonavue::platform::KeepSharpText(false);
}
BENCHMARK(BM_PaintWindow)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_DrawReadout(benchmark::State& state) {
  sonavue::platform::KeepSharpText(state.range(0) != 0);
  DisplayBitmap image;
  image.Allocate(400, 40);
  int value = 0;
  for (auto _ : state) {
    image.FillRect({0, 0, 400, 40}, {240, 240, 240});
    image.Text({4, 4}, "Frequency (Hz) :  " + std::to_string(10000 + (value++ % 1000)), kFont, {0, 0, 0});
  }
  sonavue::platform::KeepSharpText(false);
}
BENCHMARK(BM_DrawReadout)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

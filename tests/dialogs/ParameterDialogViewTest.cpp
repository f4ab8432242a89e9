#include "dialogs/ParameterDialogView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

#include "context/CommandIds.h"
#include "dialogs/ParameterDialog.h"
#include "support/AppFixture.h"

namespace sonavue::dialogs {
namespace {

using View = ParameterDialogView;

template <typename Widget>
Widget* Find(View& view, int id) {
  return view.findChild<Widget*>(QString::number(id));
}

// Whether the view has a group box with this title.
bool HasGroup(View& view, const char* title) {
  for (const QGroupBox* group : view.findChildren<QGroupBox*>()) {
    if (group->title() == QString::fromUtf8(title)) return true;
  }
  return false;
}

void ExpectRadio(View& view, int id, const char* caption) {
  const QRadioButton* radio = Find<QRadioButton>(view, id);
  ASSERT_NE(radio, nullptr) << id;
  EXPECT_EQ(radio->text(), QString::fromUtf8(caption)) << id;
}

void ExpectButtons(View& view) {
  for (const auto& [id, caption] : {std::pair{1025, "OK"}, {1027, "Reset"}, {1026, "Cancel"}}) {
    const QPushButton* button = Find<QPushButton>(view, id);
    ASSERT_NE(button, nullptr) << id;
    EXPECT_EQ(button->text(), QString::fromUtf8(caption));
  }
}

void PressOk(View& view) {
  QPushButton* ok = Find<QPushButton>(view, IDC_OK);
  ASSERT_NE(ok, nullptr);
  ok->click();
}

class ParameterDialogViewTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }
  // Runs the real window of the next dialog: work acts on its widgets and
  // presses OK; a window still open afterwards is cancelled.
  void WithView(std::function<void(View&)> work) {
    prompts_.QueueDialog([work](platform::ModalDialog& d) {
      auto& dialog = static_cast<ParameterDialog&>(d);
      dialog.SetShownHook([work](View& view) {
        work(view);
        if (view.isVisible()) view.reject();
      });
      return dialog.Exec(nullptr);
    });
  }
  static FileDialogInput File(std::int32_t rateHz, int channels) {
    FileDialogInput input;
    input.rateHz = rateHz;
    input.channels = channels;
    input.endS = 8.0F;
    return input;
  }
};

TEST_F(ParameterDialogViewTest, ManualScanInputWindow) {
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  WithView([](View& view) {
    EXPECT_EQ(view.windowTitle(), "Scan Input");
    EXPECT_TRUE(view.isModal());
    ExpectRadio(view, 1165, "22k");
    ExpectRadio(view, 1168, "96k");
    ExpectRadio(view, 1013, "Mono");
    ExpectRadio(view, 1251, "24 bits");
    ExpectRadio(view, 1089, "Dual");
    ExpectRadio(view, 1199, "Scope 1");
    ExpectRadio(view, 1181, "L-R Signal Delta");
    ExpectRadio(view, 1220, "sec");
    ExpectRadio(view, 1048, "User");
    ExpectRadio(view, 1078, "Oct/3");
    ExpectRadio(view, 1087, "16384");
    ExpectRadio(view, 1216, "min");
    ExpectRadio(view, 1124, "Trigger");
    ExpectButtons(view);
    for (const char* title : {"Freq Resolution (Hz)", "High Band Limit (Hz)", "Low Band Limit (Hz)",
                              "Scroll Display Width", "Cursor Frequency Offset (Hz)"}) {
      EXPECT_TRUE(HasGroup(view, title)) << title;
    }
    EXPECT_EQ(Find<QScrollBar>(view, 1235)->accessibleName(), "Max");
    EXPECT_EQ(Find<QScrollBar>(view, 1054)->accessibleName(), "Trigger Level (dB)");
    EXPECT_EQ(Find<QLineEdit>(view, 1002), nullptr);
    EXPECT_EQ(view.Control(1236), nullptr);
    // The trigger bar waits for "Trigger".
    EXPECT_FALSE(Find<QScrollBar>(view, 1054)->isEnabled());

    // Centred on the screen; a side larger than the screen starts at its edge.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = view.frameGeometry();
    if (frame.width() <= screen.width()) {
      EXPECT_NEAR(frame.center().x(), screen.center().x(), 2);
    } else {
      EXPECT_EQ(frame.left(), 0);
    }
    if (frame.height() <= screen.height()) {
      EXPECT_NEAR(frame.center().y(), screen.center().y(), 2);
    } else {
      EXPECT_EQ(frame.top(), 0);
    }

    Find<QRadioButton>(view, 1165)->click();
    QScrollBar* high = Find<QScrollBar>(view, 1233);
    EXPECT_EQ(high->maximum(), 11025);
    high->setSliderPosition(11025);
    EXPECT_EQ(high->value(), 11020);
    high->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(high->value(), 11025);
    EXPECT_EQ(Find<QLineEdit>(view, 1059)->text(), "11025");
    QScrollBar* min = Find<QScrollBar>(view, 1237);
    min->setSliderPosition(140);
    EXPECT_EQ(Find<QScrollBar>(view, 1235)->value(), 170);
    EXPECT_EQ(Find<QLineEdit>(view, 1005)->text(), "20");
    PressOk(view);
  });
  std::int32_t trigger = 90;
  ASSERT_TRUE(RunScanInputDialog(App(), trigger));
  EXPECT_EQ(App().params.sampleRateHz, 22050);
  EXPECT_EQ(App().params.highBandHz, 11025);
  EXPECT_EQ(App().params.sonogramLevelMin, 80);
  EXPECT_EQ(App().params.sonogramLevelMax, 110);
}

TEST_F(ParameterDialogViewTest, AutomaticScanInputWindow) {
  App().params.analysisControls = app::IDM_CONTROLS_AUTOMATIC;
  WithView([](View& view) {
    EXPECT_EQ(view.windowTitle(), "Scan Input");
    ExpectRadio(view, 1166, "44k");
    ExpectRadio(view, 1110, "On");
    ExpectButtons(view);
    EXPECT_TRUE(HasGroup(view, "Display Width (sec)"));
    EXPECT_TRUE(HasGroup(view, "Frequency Resolution (Hz)"));
    EXPECT_EQ(Find<QScrollBar>(view, 1235), nullptr);
    EXPECT_EQ(Find<QRadioButton>(view, 1218), nullptr);
    EXPECT_TRUE(Find<QLineEdit>(view, 1128)->isReadOnly());
    QScrollBar* width = Find<QScrollBar>(view, 1236);
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(width->minimum(), 1);
    EXPECT_EQ(width->maximum(), 600);
    width->setSliderPosition(200);
    EXPECT_EQ(Find<QLineEdit>(view, 1123)->text(), "20.000");
    PressOk(view);
  });
  std::int32_t trigger = 90;
  ASSERT_TRUE(RunScanInputDialog(App(), trigger));
  EXPECT_FLOAT_EQ(App().params.displayWidthS, 20.0F);
}

TEST_F(ParameterDialogViewTest, ManualScanFileWindow) {
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  WithView([](View& view) {
    EXPECT_EQ(view.windowTitle(), "Scan File");
    EXPECT_TRUE(HasGroup(view, "Begin - End  (sec)"));
    EXPECT_EQ(Find<QRadioButton>(view, 1165), nullptr);
    EXPECT_EQ(Find<QRadioButton>(view, 1013), nullptr);
    ExpectRadio(view, 1090, "Left");
    EXPECT_TRUE(Find<QRadioButton>(view, 1090)->isEnabled());  // a stereo file
    ExpectButtons(view);
    QLineEdit* end = Find<QLineEdit>(view, 1004);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->text(), "8.000");
    end->setText("2.5");
    Find<QRadioButton>(view, 1090)->click();
    PressOk(view);
  });
  ASSERT_TRUE(RunScanFileDialog(App(), File(44100, 2)));
  EXPECT_FLOAT_EQ(App().params.endS, 2.5F);
  EXPECT_EQ(App().params.channelsId, app::ID_CHANNELS_LEFT);
}

TEST_F(ParameterDialogViewTest, AutomaticScanFileWindow) {
  App().params.analysisControls = app::IDM_CONTROLS_AUTOMATIC;
  WithView([](View& view) {
    EXPECT_EQ(view.windowTitle(), "Scan File");
    ExpectRadio(view, 1200, "Scope 2");
    EXPECT_NE(Find<QScrollBar>(view, 1236), nullptr);
    EXPECT_EQ(Find<QLineEdit>(view, 1126), nullptr);
    // Mono file: no channel choice.
    EXPECT_FALSE(Find<QRadioButton>(view, 1089)->isEnabled());
    EXPECT_FALSE(Find<QRadioButton>(view, 1078)->isEnabled());
    Find<QRadioButton>(view, 1199)->click();
    EXPECT_TRUE(Find<QRadioButton>(view, 1078)->isEnabled());
    EXPECT_TRUE(Find<QRadioButton>(view, 1199)->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(view, 1198)->isChecked());
    PressOk(view);
  });
  ASSERT_TRUE(RunScanFileDialog(App(), File(48000, 1)));
  EXPECT_EQ(App().params.displayId, app::ID_DISPLAY_SCOPE1);
  EXPECT_EQ(App().params.averagingId, app::ID_AVERAGING_MSEC);
}

TEST_F(ParameterDialogViewTest, ManualAnalyzeWindow) {
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  WithView([](View& view) {
    EXPECT_EQ(view.windowTitle(), "Analyze");
    EXPECT_EQ(Find<QRadioButton>(view, 1199), nullptr);
    EXPECT_EQ(Find<QRadioButton>(view, 1078), nullptr);
    EXPECT_EQ(Find<QRadioButton>(view, 1178), nullptr);
    ExpectRadio(view, 1218, "Off");
    ExpectRadio(view, 1219, "msec");
    ExpectButtons(view);
    QLineEdit* averaging = Find<QLineEdit>(view, 1127);
    EXPECT_FALSE(averaging->isEnabled());
    Find<QRadioButton>(view, 1220)->click();
    EXPECT_TRUE(averaging->isEnabled());
    averaging->setText("0.25");
    PressOk(view);
  });
  ASSERT_TRUE(RunAnalyzeDialog(App(), File(48000, 1)));
  EXPECT_EQ(App().params.averagingId, app::ID_AVERAGING_SEC);
  EXPECT_EQ(App().params.averagingScrollMs, 250);
}

TEST_F(ParameterDialogViewTest, AutomaticAnalyzeWindow) {
  App().params.analysisControls = app::IDM_CONTROLS_AUTOMATIC;
  WithView([](View& view) {
    EXPECT_EQ(view.windowTitle(), "Analyze");
    ExpectRadio(view, 1076, "Linear");
    ExpectRadio(view, 1077, "Log");
    EXPECT_EQ(Find<QRadioButton>(view, 1078), nullptr);
    ExpectButtons(view);
    Find<QRadioButton>(view, 1077)->click();
    EXPECT_FALSE(Find<QScrollBar>(view, 1233)->isEnabled());
    EXPECT_EQ(Find<QLineEdit>(view, 1128)->text(), "20.0");
    PressOk(view);
  });
  ASSERT_TRUE(RunAnalyzeDialog(App(), File(32000, 1)));
  EXPECT_EQ(App().params.frequencyScaleId, app::ID_SCALE_LOG);
  EXPECT_EQ(App().params.lowBandHz, 20);
  EXPECT_EQ(App().params.highBandHz, 16000);
}

TEST_F(ParameterDialogViewTest, UltrasoundAnalyzeWindow) {
  App().params.analysisControls = app::IDM_CONTROLS_ULTRASOUND;
  App().params.ultrasoundId = app::ID_ULTRASOUND_OFF;
  WithView([](View& view) {
    EXPECT_EQ(view.windowTitle(), "Analyze");
    EXPECT_TRUE(HasGroup(view, "Ultrasound Conversion"));
    ExpectRadio(view, 1229, "Off");
    ExpectRadio(view, 1230, "Freq Div");
    ExpectRadio(view, 1231, "Time Exp");
    EXPECT_EQ(Find<QRadioButton>(view, 1076), nullptr);
    ExpectButtons(view);
    QScrollBar* multiplier = Find<QScrollBar>(view, 1060);
    ASSERT_NE(multiplier, nullptr);
    EXPECT_EQ(multiplier->accessibleName(), "Freq Scale Multiplier (1 to 20)");
    EXPECT_FALSE(multiplier->isEnabled());
    Find<QRadioButton>(view, 1231)->click();
    EXPECT_TRUE(multiplier->isEnabled());
    multiplier->setSliderPosition(4);
    EXPECT_EQ(Find<QLineEdit>(view, 1061)->text(), "4");
    EXPECT_EQ(Find<QLineEdit>(view, 1004)->text(), "2.000");  // 8 s ÷ 4
    Find<QLineEdit>(view, 1002)->setText("0.5");
    PressOk(view);
  });
  ASSERT_TRUE(RunAnalyzeDialog(App(), File(48000, 1)));
  EXPECT_EQ(App().params.ultrasoundId, app::ID_ULTRASOUND_TIME_EXP);
  EXPECT_EQ(App().params.frequencyMultiplier, 4);
  EXPECT_FLOAT_EQ(App().params.beginS, 2.0F);
  EXPECT_FLOAT_EQ(App().params.endS, 8.0F);
}

TEST_F(ParameterDialogViewTest, CancelAndResetThroughTheWindow) {
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  App().params.paletteId = app::ID_PALETTE_BW;
  const app::CurrentParameters before = App().params;
  WithView([](View& view) {
    Find<QPushButton>(view, IDC_RESET)->click();
    EXPECT_TRUE(Find<QRadioButton>(view, 1046)->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(view, 1047)->isChecked());
    Find<QScrollBar>(view, 1235)->triggerAction(QAbstractSlider::SliderPageStepSub);
    Find<QPushButton>(view, IDC_CANCEL)->click();
  });
  EXPECT_FALSE(RunAnalyzeDialog(App(), File(48000, 1)));
  EXPECT_EQ(App().params.paletteId, app::ID_PALETTE_BW);
  EXPECT_EQ(App().params.sonogramLevelMax, before.sonogramLevelMax);
}

TEST_F(ParameterDialogViewTest, ALargeFontStillFitsEveryControl) {
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  const QFont original = QApplication::font();
  QFont large = original;
  large.setPointSize(original.pointSize() > 0 ? original.pointSize() * 2 : 20);
  QApplication::setFont(large);
  WithView([](View& view) {
    const QRect inside = view.rect();
    for (QWidget* widget : view.findChildren<QWidget*>()) {
      if (widget->objectName().isEmpty() || !widget->isVisible()) continue;
      const QRect where(widget->mapTo(&view, QPoint(0, 0)), widget->size());
      EXPECT_TRUE(inside.contains(where)) << widget->objectName().toStdString();
      if (dynamic_cast<QRadioButton*>(widget) != nullptr || dynamic_cast<QPushButton*>(widget) != nullptr) {
        EXPECT_GE(widget->width(), widget->sizeHint().width()) << widget->objectName().toStdString();
      }
    }
    view.reject();
  });
  std::int32_t trigger = 90;
  EXPECT_FALSE(RunScanInputDialog(App(), trigger));
  QApplication::setFont(original);
}

}  // namespace
}  // namespace sonavue::dialogs

#include <QApplication>
#include <gtest/gtest.h>

// Widget tests need one application object for the whole run.
int main(int argc, char** argv) {
  // Tests never need a display; this also covers ctest listing the tests before it runs them.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Text is measured and drawn with the same fonts on every machine (see support/fonts.conf).
  if (!qEnvironmentVariableIsSet("FONTCONFIG_FILE")) qputenv("FONTCONFIG_FILE", QV_TEST_FONTCONFIG);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

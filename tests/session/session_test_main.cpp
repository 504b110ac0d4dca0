#include <QCoreApplication>
#include <gtest/gtest.h>

// The session and the recorder run without a display: a core application only.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Every test run gets its own program directory so nothing touches the user's.
int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir home;
  qputenv("PIPORAPAD_HOME", home.path().toUtf8());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

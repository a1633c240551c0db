#include <QApplication>
#include <QMessageBox>

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QMessageBox::information(nullptr, "PiporaPad", "The editor is being built.");
  return 0;
}

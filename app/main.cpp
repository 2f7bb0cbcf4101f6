#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMessageBox::information(nullptr, "DIRUruzevuv", "The windows are not built yet.");
  return 0;
}

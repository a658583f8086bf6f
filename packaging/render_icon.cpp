// Renders the scalable program icon to a square PNG for the icon theme's fixed-size folders:
//   render_icon INPUT.svg OUTPUT.png SIZE
// Run at build time, so that the PNG always matches the SVG.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s INPUT.svg OUTPUT.png SIZE\n", argv[0]);
    return 2;
  }
  int size = 0;
  try {
    size = std::stoi(argv[3]);
  } catch (const std::exception&) {
  }
  if (size <= 0 || size > 1024) {
    std::fprintf(stderr, "render_icon: bad size %s\n", argv[3]);
    return 2;
  }

  // Text in an SVG needs the font database, which needs a GUI application; the offscreen
  // platform needs no display.
  char program[] = "render_icon";
  char platformOption[] = "-platform";
  char platform[] = "offscreen";
  char* guiArgv[] = {program, platformOption, platform, nullptr};
  int guiArgc = 3;
  QGuiApplication application(guiArgc, guiArgv);

  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "render_icon: cannot read %s\n", argv[1]);
    return 1;
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    renderer.render(&painter);
  }
  if (!image.convertToFormat(QImage::Format_ARGB32).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "render_icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}

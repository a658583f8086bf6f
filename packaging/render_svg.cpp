// Renders an SVG at build time, so that the result always matches the SVG: the program icon as
// a PNG for the icon theme's fixed-size folders, and the main window's picture as raw pixels,
// which the window shows at start-up without decoding anything.
//   render_svg INPUT.svg OUTPUT.png SIZE             a square of SIZE pixels
//   render_svg INPUT.svg OUTPUT.png WIDTHxHEIGHT
//   render_svg INPUT.svg OUTPUT.argb32 WIDTHxHEIGHT  raw pixels (read by the main window)
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdint>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s INPUT.svg OUTPUT.png SIZE|WIDTHxHEIGHT\n", argv[0]);
    return 2;
  }
  int width = 0;
  int height = 0;
  try {
    const std::string size = argv[3];
    std::size_t end = 0;
    width = std::stoi(size, &end);
    if (end == size.size()) {
      height = width;
    } else if (size[end] == 'x') {
      const std::string rest = size.substr(end + 1);
      height = std::stoi(rest, &end);
      if (end != rest.size()) height = 0;
    }
  } catch (const std::exception&) {
  }
  if (width <= 0 || width > 4096 || height <= 0 || height > 4096) {
    std::fprintf(stderr, "render_svg: bad size %s\n", argv[3]);
    return 2;
  }

  // Text in an SVG needs the font database, which needs a GUI application; the offscreen
  // platform needs no display.
  char program[] = "render_svg";
  char platformOption[] = "-platform";
  char platform[] = "offscreen";
  char* guiArgv[] = {program, platformOption, platform, nullptr};
  int guiArgc = 3;
  QGuiApplication application(guiArgc, guiArgv);

  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "render_svg: cannot read %s\n", argv[1]);
    return 1;
  }
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    renderer.render(&painter);
  }
  const QString output = QString::fromLocal8Bit(argv[2]);
  bool written = false;
  if (output.endsWith(QStringLiteral(".argb32"))) {
    // Width and height as 32-bit numbers, then the rows of premultiplied 0xAARRGGBB pixels, all
    // in the machine's byte order: the format of a QImage that the program wraps without a copy.
    QFile file(output);
    const std::uint32_t size[2] = {static_cast<std::uint32_t>(width),
                                   static_cast<std::uint32_t>(height)};
    written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(reinterpret_cast<const char*>(size), sizeof size) == sizeof size &&
              file.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()) ==
                  image.sizeInBytes() &&
              file.flush();
  } else {
    written = image.convertToFormat(QImage::Format_ARGB32).save(output, "PNG");
  }
  if (!written) {
    std::fprintf(stderr, "render_svg: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
